// The report: page layout on QPdfWriter, the curve through the chart widget.
#include "report/report.h"

#include "chart/dbchart.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/profile.h"
#include "health/body.h"
#include "health/trend.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <cmath>

namespace report {

namespace {

constexpr int dpi = 300;
// A4 at 300 dots per inch with 15 mm margins: what is left for the text.
constexpr int marginMm = 15;

QString jin(double value)
{
    return QString::number(value, 'f', 1);
}

QString signedJin(double value)
{
    const QString text = QString::number(std::abs(value), 'f', 1);
    if (text == u"0.0")
        return text;
    return (value < 0 ? QStringLiteral("-") : QStringLiteral("+")) + text;
}

QString dateText(const QDate& date)
{
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

// WenQuanYi Micro Hei first: Noto Sans CJK draws 月, 日, 身 and others with the glyphs of the Kangxi radicals (⽉, ⽇,
// ⾝), and the PDF writer names each glyph by its lowest code point, so that a reader searching or copying the text
// would get the radicals.
QFont font(double points, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

struct Entry {
    QDateTime when;
    std::optional<double> weight;
    QString text;
};

// The page being written: text runs down it, and a new page starts when the next block does not fit.
class Pages {
public:
    Pages(QPdfWriter& writer, QPainter& painter) : m_writer(writer), m_painter(painter)
    {
        m_area = painter.viewport().adjusted(0, 0, 0, -footerHeight());
        m_y = m_area.top();
    }

    int width() const { return m_area.width(); }
    int left() const { return m_area.left(); }
    int y() const { return m_y; }
    int pages() const { return m_page; }
    void advance(int height) { m_y += height; }

    // Room for `height` more on this page, or a new one.
    void need(int height)
    {
        if (m_y + height <= m_area.bottom() || m_y == m_area.top())
            return;
        footer();
        m_writer.newPage();
        ++m_page;
        m_y = m_area.top();
    }

    // A paragraph of wrapped text: on one page when it fits on one, else line by line over as many as it takes, so
    // that a long diary text never runs over the footer.
    void paragraph(const QString& text, const QFont& f, int indent = 0)
    {
        m_painter.setFont(f);
        QString lines = text;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        lines.replace(u'\r', u'\n');
        lines.replace(u'\n', QChar::LineSeparator);
        QTextLayout layout(lines, f, m_painter.device());
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal height = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width() - indent);
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout.endLayout();
        if (height <= m_area.height())
            need(static_cast<int>(std::ceil(height)));
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            need(static_cast<int>(std::ceil(line.height())));
            line.draw(&m_painter, QPointF(left() + indent, m_y - line.y()));
            m_y += static_cast<int>(std::ceil(line.height()));
        }
    }

    void footer()
    {
        const QRect page = m_painter.viewport();
        m_painter.setFont(font(8));
        m_painter.setPen(Qt::black);
        const QRect line(page.left(), page.bottom() - footerHeight() / 2, page.width(), footerHeight() / 2);
        m_painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("数据由本人记录，仅供参考"));
        m_painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("第 %1 页").arg(m_page));
    }

private:
    int footerHeight() const { return QFontMetrics(font(8), &m_writer).height() * 3; }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QRect m_area;
    int m_y = 0;
    int m_page = 1;
};

// A row of the weekly table: cells at fixed shares of the width.
void tableRow(Pages& pages, QPainter& painter, const QStringList& cells, bool heading)
{
    static constexpr double shares[] = {0.30, 0.12, 0.20, 0.20, 0.18};
    const QFont f = font(9, heading);
    const int height = QFontMetrics(f, painter.device()).height() * 14 / 10;
    pages.need(height);
    painter.setFont(f);
    int x = pages.left();
    for (int i = 0; i < cells.size(); ++i) {
        const int w = static_cast<int>(pages.width() * shares[i]);
        painter.drawText(QRect(x, pages.y(), w, height), (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                         cells[i]);
        x += w;
    }
    if (heading)
        painter.drawLine(pages.left(), pages.y() + height, pages.left() + pages.width(), pages.y() + height);
    pages.advance(height);
}

QString bothUnits(double value, bool sign = false)
{
    return sign ? QStringLiteral("%1 / %2").arg(signedJin(value), signedJin(value / 2))
                : QStringLiteral("%1 / %2").arg(jin(value), jin(value / 2));
}

} // namespace

QList<Week> weeks(const std::vector<LineSeries::Point>& points, const std::vector<LineSeries::Point>& trend)
{
    QList<Week> out;
    size_t t = 0;
    double sum = 0;
    for (const LineSeries::Point& point : points) {
        if (point.yNull || point.y <= 0)
            continue;
        const QDate day = conversions::fromOleDate(point.x).date();
        const QDate monday = day.addDays(1 - day.dayOfWeek());
        if (out.isEmpty() || out.back().monday != monday) {
            if (!out.isEmpty())
                out.back().mean = sum / out.back().weighings;
            Week week;
            week.monday = monday;
            week.sunday = monday.addDays(6);
            out.push_back(week);
            sum = 0;
        }
        Week& week = out.back();
        ++week.weighings;
        sum += point.y;
        if (t < trend.size())
            week.trendAtEnd = trend[t++].y;
    }
    if (!out.isEmpty())
        out.back().mean = sum / out.back().weighings;
    for (qsizetype i = 1; i < out.size(); ++i)
        out[i].change = out[i].trendAtEnd - out[i - 1].trendAtEnd;
    return out;
}

Result write(const QString& dataPath, const QString& target, const Options& options)
{
    datafile::checkTarget(target, dataPath);
    // The period as stored times compare: text from the first day's midnight to before the day after the last.
    QStringList conditions;
    if (options.from.isValid())
        conditions << QStringLiteral("time >= '%1'").arg(options.from.toString(Qt::ISODate));
    if (options.to.isValid())
        conditions << QStringLiteral("time < '%1'").arg(options.to.addDays(1).toString(Qt::ISODate));
    const QString where =
        conditions.isEmpty() ? QString() : QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));

    // The entries for the table and the notes.
    QList<Entry> entries;
    health::Profile profile;
    const int thisYear = options.made.isValid() ? options.made.year() : QDate::currentDate().year();
    {
        const sqlite::Database db = sqlite::openDataFile(dataPath, sqlite::Access::Read);
        profile = datafile::readProfile(db.get(), dataPath, thisYear);
        sqlite::Statement rows(
            db.get(), QStringLiteral("select time, lb, demo from rj%1 order by time, rowid").arg(where), dataPath);
        while (rows.step()) {
            Entry entry;
            entry.when = conversions::fromOleDate(conversions::toOleDate(
                QDateTime::fromString(rows.value(0).toString().left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))));
            const QVariant weight = rows.value(1);
            if (!weight.isNull() && weight.toDouble() > 0)
                entry.weight = weight.toDouble();
            entry.text = rows.value(2).toString();
            entries.push_back(entry);
        }
    }

    // The curve, drawn by the chart as the curve window draws it.
    Connection connection(QString{});
    connection.setConnectionString(QStringLiteral("Data Source=") + dataPath);
    Dataset rows(QStringLiteral("report"), connection);
    rows.setCommandText(QStringLiteral("select * from rj%1 order by time, rowid").arg(where));
    rows.open();
    DbChart chart;
    chart.series()->setDataSource(&rows);
    chart.series()->setXField(QStringLiteral("time"));
    chart.series()->setYField(QStringLiteral("lb"));
    chart.setDateFormat(QStringLiteral("yyyy-MM-dd"));
    chart.setTrendVisible(true);
    chart.setPrintStyle(true);
    chart.setGoal(profile.goal);
    // The chart's own title would be drawn in the window's font; the page writes it in its own, above the chart.
    chart.setTitle(QString());
    const std::vector<LineSeries::Point> points = chart.series()->points();
    const std::vector<LineSeries::Point> smooth = chart.trend();
    const QList<Week> table = weeks(points, smooth);

    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    Result result;
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(QStringLiteral("瘦身记录报告"));
        writer.setCreator(QStringLiteral("Tevu"));
        writer.setResolution(dpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter));
        QPainter painter(&writer);
        painter.setPen(Qt::black);
        Pages pages(writer, painter);

        const QDate first = entries.isEmpty() ? options.from : entries.front().when.date();
        const QDate last = entries.isEmpty() ? options.to : entries.back().when.date();
        const QDate from = options.from.isValid() ? options.from : first;
        const QDate to = options.to.isValid() ? options.to : last;
        pages.paragraph(QStringLiteral("瘦身记录报告"), font(20, true));
        pages.advance(20);
        const QString period = from.isValid() && to.isValid()
                                   ? QStringLiteral("记录期间：%1 至 %2").arg(dateText(from), dateText(to))
                                   : QStringLiteral("记录期间：全部");
        pages.paragraph(period + QStringLiteral("　　生成日期：%1").arg(dateText(options.made)), font(10));
        QStringList person;
        if (profile.height)
            person << QStringLiteral("身高 %1 厘米").arg(QString::number(*profile.height, 'f', 0));
        if (profile.birthYear && options.made.isValid())
            person << QStringLiteral("%1 岁").arg(options.made.year() - *profile.birthYear);
        if (profile.sex)
            person << health::sexName(*profile.sex);
        if (profile.goal)
            person << QStringLiteral("目标体重 %1 斤（%2 公斤）").arg(jin(*profile.goal), jin(*profile.goal / 2));
        if (!person.isEmpty())
            pages.paragraph(person.join(QStringLiteral("，")) + u'。', font(10));
        pages.advance(40);

        if (points.empty() || table.isEmpty()) {
            pages.paragraph(QStringLiteral("这段时间没有体重记录。"), font(12));
        } else {
            const int chartHeight = pages.width() * 55 / 100;
            pages.need(chartHeight + 60);
            pages.paragraph(trend::title(QStringLiteral("体重（斤）：点为每次称重，实线为趋势"), smooth,
                                         QLocale(QLocale::Chinese, QLocale::China)),
                            font(10, true));
            chart.paint(painter, QRect(pages.left(), pages.y(), pages.width(), chartHeight));
            pages.advance(chartHeight + 40);

            pages.paragraph(QStringLiteral("小结"), font(12, true));
            const double startTrend = smooth.front().y;
            const double endTrend = smooth.back().y;
            int weighings = 0;
            for (const Week& week : table)
                weighings += week.weighings;
            QStringList summary;
            summary << QStringLiteral("称重 %1 次，共 %2 周有记录。").arg(weighings).arg(table.size());
            summary << QStringLiteral("趋势体重：开始 %1 斤（%2 公斤），结束 %3 斤（%4 公斤）。")
                           .arg(jin(startTrend), jin(startTrend / 2), jin(endTrend), jin(endTrend / 2));
            summary << QStringLiteral("共变化 %1 斤（%2 公斤）。")
                           .arg(signedJin(endTrend - startTrend), signedJin((endTrend - startTrend) / 2));
            if (const std::optional<double> rate = trend::weeklyRate(smooth))
                summary
                    << QStringLiteral("最近每周变化 %1 斤（%2 公斤）。").arg(signedJin(*rate), signedJin(*rate / 2));
            if (profile.height) {
                // A child's BMI is judged on growth charts by age and sex: the figure alone, no adult class.
                const bool child = health::isChild(profile, thisYear);
                const auto bmiText = [&](double weight) {
                    const std::optional<double> value = health::bmi(weight, *profile.height);
                    if (!value)
                        return QStringLiteral("—");
                    const QString figure = QString::number(health::shownTenths(*value) / 10.0, 'f', 1);
                    return child
                               ? figure
                               : QStringLiteral("%1（%2）").arg(figure, health::bmiClassName(health::bmiClass(*value)));
                };
                summary << (child
                                ? QStringLiteral("BMI（按趋势体重；未满 18 岁，不按成人标准分类）：开始 %1，结束 %2。")
                                : QStringLiteral("BMI（按趋势体重，中国成人标准）：开始 %1，结束 %2。"))
                               .arg(bmiText(startTrend), bmiText(endTrend));
            }
            for (const QString& line : summary)
                pages.paragraph(line, font(10), 40);
            pages.advance(40);

            pages.paragraph(QStringLiteral("每周记录（斤 / 公斤）"), font(12, true));
            pages.advance(10);
            const QStringList heading{QStringLiteral("周"), QStringLiteral("称重次数"), QStringLiteral("平均体重"),
                                      QStringLiteral("周末趋势"), QStringLiteral("比上周")};
            tableRow(pages, painter, heading, true);
            for (const Week& week : table) {
                tableRow(pages, painter,
                         {QStringLiteral("%1 至 %2")
                              .arg(week.monday.toString(QStringLiteral("yyyy-MM-dd")),
                                   week.sunday.toString(QStringLiteral("MM-dd"))),
                          QString::number(week.weighings), bothUnits(week.mean), bothUnits(week.trendAtEnd),
                          week.change ? bothUnits(*week.change, true) : QStringLiteral("—")},
                         false);
            }
        }

        if (options.withNotes) {
            pages.advance(40);
            pages.paragraph(QStringLiteral("日记"), font(12, true));
            bool any = false;
            for (const Entry& entry : entries) {
                if (entry.text.trimmed().isEmpty())
                    continue;
                any = true;
                const QString when = entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
                const QString weight = entry.weight ? QStringLiteral("　%1斤").arg(jin(*entry.weight)) : QString();
                pages.paragraph(when + weight + QStringLiteral("　") + entry.text, font(9), 40);
            }
            if (!any)
                pages.paragraph(QStringLiteral("这段时间的日记没有文字。"), font(9), 40);
        }
        pages.footer();
        result.pages = pages.pages();
        result.weighings = static_cast<qint64>(
            std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.weight.has_value(); }));
    }
    pdf.close();
    datafile::PartialFile partial(target);
    partial.write(pdf.data().constData(), pdf.data().size());
    result.durability = partial.commit();
    return result;
}

} // namespace report
