// The report scenario.
#include "bench/reportbench.h"

#include "bench/measure.h"
#include "chart/dbchart.h"
#include "data/connection.h"
#include "data/dataset.h"
#include "data/sqlite.h"
#include "report/report.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>

namespace bench {

namespace {

// The chart and one line a row, drawn into a bare writer: what the report draws, without its layout.
void bareReport(const QString& path)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                     QPageLayout::Millimeter));
    QPainter painter(&writer);
    Connection connection(QString{});
    connection.setConnectionString(QStringLiteral("Data Source=") + path);
    Dataset rows(QStringLiteral("floor"), connection);
    rows.setCommandText(QStringLiteral("select * from rj order by time, rowid"));
    rows.open();
    DbChart chart;
    chart.series()->setDataSource(&rows);
    chart.series()->setXField(QStringLiteral("time"));
    chart.series()->setYField(QStringLiteral("lb"));
    chart.setTrendVisible(true);
    chart.setPrintStyle(true);
    const QRect page = painter.viewport();
    chart.paint(painter, QRect(page.left(), page.top(), page.width(), page.width() * 55 / 100));
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPointSizeF(9);
    painter.setFont(font);
    const int line = painter.fontMetrics().height();
    int y = page.width() * 55 / 100 + line;
    const sqlite::Database db = sqlite::openDataFile(path, sqlite::Access::Read);
    sqlite::Statement entries(db.get(), QStringLiteral("SELECT time, lb, demo FROM rj ORDER BY time"), path);
    while (entries.step()) {
        if (y + line > page.bottom()) {
            writer.newPage();
            y = page.top();
        }
        painter.drawText(page.left(), y + line,
                         entries.value(0).toString() + u' ' + entries.value(1).toString() + u' ' +
                             entries.value(2).toString());
        y += line;
    }
}

} // namespace

int runReport(const QString& folder, int repetitions)
{
    const QString path = QDir(folder).filePath(QStringLiteral("data.Mdb"));
    {
        const sqlite::Database db = sqlite::openDataFile(path, sqlite::Access::Write);
        sqlite::exec(db.get(),
                     QStringLiteral("DELETE FROM rj; WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                    "WHERE i < 364) INSERT INTO rj SELECT strftime('%Y-%m-%d 07:30:00.000', "
                                    "'2026-01-01', '+' || i || ' days'), '早上称重，晚饭少吃了半碗米饭', "
                                    "150 - i * 0.05 + (i % 7) * 0.3 FROM n"),
                     path);
    }
    const QString target = QDir(folder).filePath(QStringLiteral("report.pdf"));
    report::Options options;
    options.withNotes = true;
    options.made = QDate(2026, 12, 31);
    for (int round = -1; round < repetitions; ++round) {
        qint64 start = nowNs();
        report::write(path, target, options);
        const double written = msBetween(start, nowNs());
        start = nowNs();
        bareReport(path);
        const double floor = msBetween(start, nowNs());
        if (round >= 0) {
            sample("report", written);
            sample("floor", floor);
        }
    }
    return 0;
}

} // namespace bench
