// The line series: ordering of points, and filling from a real diary file through a dataset.
#include "chart/axis.h"
#include "chart/lineseries.h"
#include "chartfixture.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "support/tempdb.h"

#include <QCursor>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <memory>

using chartfixture::bind;
using chartfixture::Diary;
using chartfixture::diaryRow;

namespace {

const QString selectAll = QStringLiteral("select * from rj");

// "date time|weight", with "|空" after the weight of a point whose weight was empty.
QStringList describe(const LineSeries& series)
{
    QStringList out;
    for (const LineSeries::Point& p : series.points()) {
        QString text =
            conversions::fromOleDate(p.x).toString(QStringLiteral("yyyy-MM-dd HH:mm")) + u'|' + axis::formatNumber(p.y);
        if (p.yNull)
            text += QStringLiteral("|空");
        out << text;
    }
    return out;
}

} // namespace

class LineSeriesTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void addXY_data();
    void addXY();
    void fill_data();
    void fill();
    void closeEmptiesAndOpenRefills();
    void bindingChanges();
    void fillReturnsToTheCurrentRow();
    void missingField_data();
    void missingField();
    void hourglassDuringFill_data();
    void hourglassDuringFill();
    void manyRowsOutOfOrder();
    void seriesDeletedBeforeDataset();
};

void LineSeriesTest::cleanup()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void LineSeriesTest::addXY_data()
{
    QTest::addColumn<QList<QPointF>>("added");
    QTest::addColumn<QList<double>>("ys");

    QTest::newRow("ascending") << QList<QPointF>{{1, 10}, {2, 20}, {3, 30}} << QList<double>{10, 20, 30};
    QTest::newRow("descending") << QList<QPointF>{{3, 30}, {2, 20}, {1, 10}} << QList<double>{10, 20, 30};
    QTest::newRow("equal x keep the order added")
        << QList<QPointF>{{3, 1}, {1, 2}, {3, 3}, {2, 4}, {3, 5}, {1, 6}} << QList<double>{2, 6, 4, 1, 3, 5};
}

void LineSeriesTest::addXY()
{
    QFETCH(QList<QPointF>, added);
    QFETCH(QList<double>, ys);
    LineSeries series;
    for (const QPointF& p : added)
        series.addXY(p.x(), p.y());
    QList<double> got;
    for (const LineSeries::Point& p : series.points())
        got << p.y;
    QCOMPARE(got, ys);
}

void LineSeriesTest::fill_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QStringList>("points");

    QTest::newRow("in date order") << diaryRow("2024-01-05 08:00:00.000", "72.5") +
                                          diaryRow("2024-01-06 08:30:00.000", "72.1") +
                                          diaryRow("2024-01-09 07:45:00.000", "71.8")
                                   << QStringList{"2024-01-05 08:00|72.5", "2024-01-06 08:30|72.1",
                                                  "2024-01-09 07:45|71.8"};
    QTest::newRow("out of order, equal dates in file order")
        << diaryRow("2024-01-09 08:00:00.000", "71") + diaryRow("2024-01-05 08:00:00.000", "73") +
               diaryRow("2024-01-09 08:00:00.000", "70.5") + diaryRow("2024-01-07 08:00:00.000", "72") +
               diaryRow("2024-01-05 08:00:00.000", "72.8")
        << QStringList{"2024-01-05 08:00|73", "2024-01-05 08:00|72.8", "2024-01-07 08:00|72", "2024-01-09 08:00|71",
                       "2024-01-09 08:00|70.5"};
    QTest::newRow("empty weight is 0 and flagged")
        << diaryRow("2024-01-05 08:00:00.000", "72.5") + diaryRow("2024-01-06 08:00:00.000", "")
        << QStringList{"2024-01-05 08:00|72.5", "2024-01-06 08:00|0|空"};
    QTest::newRow("empty date is day 0") << diaryRow("2024-01-05 08:00:00.000", "72.5") + diaryRow("", "71")
                                         << QStringList{"1899-12-30 00:00|71", "2024-01-05 08:00|72.5"};
    QTest::newRow("no rows") << QString() << QStringList{};
}

void LineSeriesTest::fill()
{
    QFETCH(QString, rows);
    QFETCH(QStringList, points);
    Diary diary(rows);
    LineSeries series;
    bind(series, diary.dataset);
    QVERIFY(series.isEmpty());
    load(diary.dataset, selectAll);
    QCOMPARE(describe(series), points);
}

void LineSeriesTest::closeEmptiesAndOpenRefills()
{
    Diary diary(diaryRow("2024-01-05 08:00:00.000", "72.5") + diaryRow("2024-01-07 08:00:00.000", "72"));
    LineSeries series;
    bind(series, diary.dataset);
    load(diary.dataset, selectAll);
    QCOMPARE(series.count(), 2);

    diary.dataset.close();
    QVERIFY(series.isEmpty());
    // Written by another program while the dataset was closed.
    diary.db.exec(diaryRow("2024-01-06 08:00:00.000", "72.2"));
    diary.dataset.open();
    QCOMPARE(describe(series), (QStringList{"2024-01-05 08:00|72.5", "2024-01-06 08:00|72.2", "2024-01-07 08:00|72"}));
}

void LineSeriesTest::bindingChanges()
{
    Diary diary(diaryRow("2024-01-05 08:00:00.000", "72.5") + diaryRow("2024-01-07 08:00:00.000", "72"));
    load(diary.dataset, selectAll);
    LineSeries series;
    QSignalSpy changes(&series, &LineSeries::changed);

    series.setDataSource(&diary.dataset);
    series.setXField(QStringLiteral("time"));
    QVERIFY2(series.isEmpty(), "no fill before both fields are named");
    series.setYField(QStringLiteral("lb"));
    QCOMPARE(series.count(), 2);

    changes.clear();
    series.setXField(QStringLiteral("time"));
    series.setYField(QStringLiteral("lb"));
    series.setDataSource(&diary.dataset);
    QCOMPARE(changes.count(), 0);

    // A new binding reads the dataset again: the row appended in memory is there now.
    diary.dataset.append();
    diary.dataset.setText(QStringLiteral("time"), QStringLiteral("2024-01-06 08:00:00"));
    diary.dataset.setNumber(QStringLiteral("lb"), 72.3);
    diary.dataset.post();
    series.setYField(QStringLiteral("LB"));
    QCOMPARE(describe(series), (QStringList{"2024-01-05 08:00|72.5", "2024-01-06 08:00|72.3", "2024-01-07 08:00|72"}));

    // Unbound, the dataset no longer reaches the series.
    series.setDataSource(nullptr);
    QVERIFY(series.isEmpty());
    diary.dataset.close();
    diary.dataset.open();
    QVERIFY(series.isEmpty());
}

void LineSeriesTest::fillReturnsToTheCurrentRow()
{
    Diary diary(diaryRow("2024-01-09 08:00:00.000", "71") + diaryRow("2024-01-05 08:00:00.000", "73") +
                diaryRow("2024-01-07 08:00:00.000", "72"));
    load(diary.dataset, selectAll);
    diary.dataset.moveTo(2);
    LineSeries series;
    bind(series, diary.dataset);
    QCOMPARE(series.count(), 3);
    QCOMPARE(diary.dataset.recNo(), 2);
    QCOMPARE(diary.dataset.asNumber(QStringLiteral("lb")), 72.0);
}

void LineSeriesTest::missingField_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("yField");
    QTest::addColumn<QString>("message");

    QTest::newRow("opened without the weight") << "select time, demo from rj"
                                               << "lb"
                                               << "ADODataSetcurve: 找不到字段“lb”";
    QTest::newRow("opened without the date") << "select demo, lb from rj"
                                             << "lb"
                                             << "ADODataSetcurve: 找不到字段“time”";
    QTest::newRow("bound to a field that is not there") << "select * from rj"
                                                        << "kg"
                                                        << "ADODataSetcurve: 找不到字段“kg”";
}

void LineSeriesTest::missingField()
{
    QFETCH(QString, query);
    QFETCH(QString, yField);
    QFETCH(QString, message);
    Diary diary(diaryRow("2024-01-05 08:00:00.000", "72.5"));
    LineSeries series;
    bind(series, diary.dataset);
    load(diary.dataset, selectAll);
    QCOMPARE(series.count(), 1);

    try {
        if (query == selectAll)
            series.setYField(yField);
        else
            load(diary.dataset, query);
        QFAIL("the fill should have failed");
    } catch (const DataError& e) {
        QCOMPARE(e.message(), message);
    }
    QVERIFY(series.isEmpty());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void LineSeriesTest::hourglassDuringFill_data()
{
    QTest::addColumn<QString>("yField");
    QTest::addColumn<bool>("fails");

    QTest::newRow("fill") << "lb" << false;
    QTest::newRow("failed fill") << "kg" << true;
}

void LineSeriesTest::hourglassDuringFill()
{
    QFETCH(QString, yField);
    QFETCH(bool, fails);
    Diary diary(diaryRow("2024-01-05 08:00:00.000", "72.5") + diaryRow("2024-01-06 08:00:00.000", "72"));
    load(diary.dataset, selectAll);
    LineSeries series;
    series.setDataSource(&diary.dataset);
    series.setXField(QStringLiteral("time"));

    // Another cursor already overridden must come back as it was: one restore per override.
    QGuiApplication::setOverrideCursor(QCursor(Qt::PointingHandCursor));
    Qt::CursorShape during = Qt::ArrowCursor;
    connect(&series, &LineSeries::changed, this, [&during] {
        if (const QCursor* cursor = QGuiApplication::overrideCursor())
            during = cursor->shape();
    });
    bool threw = false;
    try {
        series.setYField(yField);
    } catch (const DataError&) {
        threw = true;
    }
    QCOMPARE(threw, fails);
    QCOMPARE(during, Qt::WaitCursor);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void LineSeriesTest::manyRowsOutOfOrder()
{
    // 100,000 rows, newest first, two rows per minute; the weight numbers the rows in file order.
    Diary diary(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
        "INSERT INTO rj(time, demo, lb) "
        "SELECT strftime('%Y-%m-%d %H:%M:%f', '2024-06-01', '-' || (i / 2) || ' minutes'), '', i FROM n;"));
    LineSeries series;
    bind(series, diary.dataset);
    load(diary.dataset, selectAll);
    QCOMPARE(series.count(), 100000);
    const auto& points = series.points();
    const auto misplaced = std::adjacent_find(points.begin(), points.end(), [](const auto& a, const auto& b) {
        return !(a.x < b.x || (a.x == b.x && a.y < b.y));
    });
    QCOMPARE(misplaced - points.begin(), static_cast<std::ptrdiff_t>(points.size()));
    QCOMPARE(points.front().y, 99998.0);
    QCOMPARE(points.back().y, 1.0);
}

void LineSeriesTest::seriesDeletedBeforeDataset()
{
    Diary diary(diaryRow("2024-01-05 08:00:00.000", "72.5"));
    auto series = std::make_unique<LineSeries>();
    bind(*series, diary.dataset);
    load(diary.dataset, selectAll);
    QCOMPARE(series->count(), 1);
    series.reset();
    // The listener left in the dataset must not reach the deleted series.
    diary.dataset.close();
    diary.dataset.open();
    QCOMPARE(diary.dataset.recordCount(), 1);
}

QTEST_MAIN(LineSeriesTest)
#include "tst_lineseries.moc"
