// The slimming curve window: the diary's weights read afresh at every showing.
#include "chart/dbchart.h"
#include "chart/lineseries.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QMenu>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString entries =
    TempDatabase::standardSchema() +
    QStringLiteral("INSERT INTO rj VALUES('2026-03-03 07:00:00.000','c',128),('2026-03-01 07:00:00.000','a',130),"
                   "('2026-03-02 07:00:00.000','b',NULL);");

} // namespace

class TestCurve : public QObject {
    Q_OBJECT

    DbChart* chart(Windows& w) { return w.curve->findChild<DbChart*>("DBChart1"); }

    void showCurve(Windows& w)
    {
        w.curve->show();
        w.curve->hide();
    }

private slots:
    void theCurveButtonOpensTheChartOfTheDiaryModally()
    {
        TempDatabase db(entries);
        Windows w(db.folder());
        int points = -1;
        const bool modal = whileModal([&] { Windows::click(w.button("Image11")); },
                                      [&](QWidget* m) {
                                          QCOMPARE(m, static_cast<QWidget*>(w.curve.get()));
                                          points = chart(w)->series()->count();
                                      });
        QVERIFY(modal);
        QCOMPARE(points, 3);
        QCOMPARE(w.curve->windowTitle(), QStringLiteral("瘦身曲线"));
        QCOMPARE(w.curve->size(), QSize(681, 250));
        QCOMPARE(chart(w)->geometry(), QRect(0, 0, 681, 250));
        QCOMPARE(chart(w)->series()->objectName(), QStringLiteral("Series1"));
        QCOMPARE(chart(w)->title(), QStringLiteral("瘦身曲线"));
        QVERIFY(chart(w)->legendVisible());
        QCOMPARE(chart(w)->dateFormat(), QStringLiteral("yyyy-MM-dd"));
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void pointsAreTheEntriesInTimeOrderAndTheLegendListsOnlyWeights()
    {
        TempDatabase db(entries);
        Windows w(db.folder());
        showCurve(w);
        const auto& points = chart(w)->series()->points();
        QCOMPARE(points.size(), size_t(3));
        // 2026-03-01 07:00 is day 46082 after 1899-12-30, and seven hours of it.
        QCOMPARE(points[0].x, 46082 + 7 / 24.0);
        QCOMPARE(points[0].y, 130.0);
        QCOMPARE(points[1].y, 0.0);
        QVERIFY(points[1].yNull);
        QCOMPARE(points[2].y, 128.0);
        // An entry without a weight is no weighing: the legend (like the line and the axes) leaves it out.
        QCOMPARE(chart(w)->legendRows(), (QStringList{"130 ", "128 "}));
    }

    void ctrlPExportsTheDaysTheChartShows()
    {
        TempDatabase db(entries);
        Windows w(db.folder());
        QDate from, to;
        int asked = 0;
        w.curve->setExportReport([&](const QDate& first, const QDate& last) {
            from = first;
            to = last;
            ++asked;
        });
        w.curve->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.curve.get()));
        QTest::keyClick(w.curve.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(asked, 1);
        // The whole diary, 1 to 3 March, with at most the axis's margin around it.
        QVERIFY2(from <= QDate(2026, 3, 1) && from >= QDate(2026, 2, 25), qPrintable(from.toString()));
        QVERIFY2(to >= QDate(2026, 3, 3) && to <= QDate(2026, 3, 7), qPrintable(to.toString()));
        // The menu names the key, and its item does the same.
        auto* menu = w.curve->findChild<QMenu*>(QStringLiteral("ContextMenu"));
        QVERIFY(menu);
        QAction* report = nullptr;
        for (QAction* action : menu->actions())
            if (action->text().startsWith(QStringLiteral("导出报告…")))
                report = action;
        QVERIFY(report);
        QVERIFY(report->text().endsWith(QStringLiteral("Ctrl+P")));
        report->trigger();
        QCOMPARE(asked, 2);
        w.curve->hide();
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void anEmptyDiaryShowsAnEmptyChart()
    {
        TempDatabase db;
        Windows w(db.folder());
        showCurve(w);
        QVERIFY(chart(w)->series()->isEmpty());
        QVERIFY(chart(w)->legendRows().isEmpty());
        QVERIFY(w.reporter.messages.isEmpty());
    }

    void anEntrySavedWhileClosedIsDrawnAtTheNextShowing()
    {
        TempDatabase db(entries);
        Windows w(db.folder());
        showCurve(w);
        QCOMPARE(chart(w)->series()->count(), 3);
        db.exec(QStringLiteral("INSERT INTO rj VALUES('2026-03-04 07:00:00.000','d',127.5)"));
        QCOMPARE(chart(w)->series()->count(), 3); // nothing refreshes while the window is closed
        showCurve(w);
        QCOMPARE(chart(w)->series()->count(), 4);
        QCOMPARE(chart(w)->series()->points().back().y, 127.5);
    }

    void aMissingWeightFieldIsReportedAtEveryShowingAndTheWindowStillOpens()
    {
        TempDatabase db(QStringLiteral("CREATE TABLE \"02\"(Name TEXT); CREATE TABLE rj(time DATETIME, demo TEXT);"
                                       "INSERT INTO rj VALUES('2026-03-01 07:00:00.000','a');"));
        Windows w(db.folder());
        bool opened = false;
        whileModal([&] { Windows::click(w.button("Image11")); }, [&](QWidget* m) { opened = m->isVisible(); });
        QVERIFY(opened);
        QCOMPARE(w.reporter.messages, QStringList{QStringLiteral("ADODataSetcurve: 找不到字段“lb”")});
        QVERIFY(chart(w)->series()->isEmpty());
        showCurve(w);
        QCOMPARE(w.reporter.messages.size(), 2);
        QCOMPARE(w.reporter.messages.last(), QStringLiteral("ADODataSetcurve: 找不到字段“lb”"));
    }

    void aZoomStaysAcrossShowingsUntilUndone()
    {
        TempDatabase db(entries);
        Windows w(db.folder());
        w.curve->show();
        DbChart* c = chart(w);
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(150, 60));
        QTest::mouseMove(c, QPoint(300, 180));
        QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(300, 180));
        QVERIFY(c->isZoomed());
        w.curve->hide();
        showCurve(w);
        QVERIFY(c->isZoomed());
        w.curve->show();
        QTest::mousePress(c, Qt::LeftButton, {}, QPoint(300, 180));
        QTest::mouseMove(c, QPoint(150, 60));
        QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(150, 60));
        QVERIFY(!c->isZoomed());
        w.curve->hide();
    }

    void theTrendChosenByADoubleClickStaysAcrossShowings()
    {
        TempDatabase db(entries);
        Windows w(db.folder());
        w.curve->show();
        DbChart* c = chart(w);
        const auto doubleClick = [c] {
            QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(300, 120));
            QTest::mouseDClick(c, Qt::LeftButton, {}, QPoint(300, 120));
            QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(300, 120));
        };
        QVERIFY(!c->trendVisible());
        doubleClick();
        w.curve->hide();
        showCurve(w);
        QVERIFY(c->trendVisible());
        // Trend 130, then 129.8 over the entries with a weight.
        QVERIFY2(c->chartLayout().titleText.startsWith(QStringLiteral("瘦身曲线（趋势 129")),
                 qPrintable(c->chartLayout().titleText));
        QCOMPARE(w.curve->windowTitle(), QStringLiteral("瘦身曲线"));
        w.curve->show();
        doubleClick();
        w.curve->hide();
        showCurve(w);
        QVERIFY(!c->trendVisible());
        QCOMPARE(c->chartLayout().titleText, QStringLiteral("瘦身曲线"));
    }

    void withAFoodLogTheTrendIsTheEstimatesLine()
    {
        // 41 mornings to today, 150 falling 1 jin a week, on 1,800 kcal logged each day before today: today's weight
        // is 150 − 40 / 7 = 144.3 and the rate -1.0, where the exponential trend would trail at 145.6.
        const QDate today = QDate::currentDate();
        QString sql = TempDatabase::standardSchema() +
                      QStringLiteral("CREATE TABLE food_log (time DATETIME, meal TEXT, food TEXT, amount REAL, unit "
                                     "TEXT, g REAL, kcal REAL);"
                                     "CREATE TABLE exercise_log (time DATETIME, name TEXT, minutes REAL, kcal REAL);");
        for (int d = 0; d <= 40; ++d) {
            const QString day = today.addDays(d - 40).toString(Qt::ISODate);
            sql += QStringLiteral("INSERT INTO rj VALUES('%1 07:00:00.000','',%2);")
                       .arg(day)
                       .arg(150 - d / 7.0, 0, 'f', 4);
            if (d < 40)
                sql += QStringLiteral(
                           "INSERT INTO food_log VALUES ('%1 12:00:00.000', '午餐', '米饭', 1, '克', 1000, 1800);")
                           .arg(day);
        }
        TempDatabase db(sql);
        Windows w(db.folder());
        w.curve->show();
        DbChart* c = chart(w);
        c->setTrendVisible(true);
        static const QRegularExpression title(QStringLiteral("^瘦身曲线（趋势 144\\.[234]斤，每周 -1\\.0斤）$"));
        QVERIFY2(title.match(c->chartLayout().titleText).hasMatch(), qPrintable(c->chartLayout().titleText));
        // A point a day, through the weighings from the first day on.
        QCOMPARE(c->trend().size(), std::size_t(41));
        QVERIFY2(std::abs(c->trend().front().y - 150) < 0.2, qPrintable(QString::number(c->trend().front().y)));
        w.curve->hide();
    }
};

QTEST_MAIN(TestCurve)
#include "tst_curve.moc"
