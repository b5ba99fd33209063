// The slimming curve window: the diary's weights read afresh at every showing.
#include "chart/dbchart.h"
#include "chart/lineseries.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QSettings>
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

    void wAndFDrawAMeasureOnItsOwnAxisAndTheChoiceIsRemembered()
    {
        // A woman: the faint lines at 80 and 85 cm. Waists 88 (Mar 1) and 84 (Mar 5, after the last weighing on Mar
        // 3, so the time axis reaches it); body fat only on Mar 1.
        TempDatabase db(entries +
                        QStringLiteral("INSERT INTO profile VALUES (165, '女', 1980, 120, 1, NULL);"
                                       "CREATE TABLE measurements (date TEXT, waist REAL, hip REAL, fat REAL);"
                                       "INSERT INTO measurements VALUES ('2026-03-01', 88, NULL, 32),"
                                       "('2026-03-05', 84, NULL, NULL);"));
        // The choice is kept in the temporary configuration folder of the test, never the user's.
        Windows::keepTheUsersSessionOut();
        QSettings(QStringLiteral("Tevu"), QStringLiteral("Tevu")).remove(QStringLiteral("curve/measure"));
        {
            Windows w(db.folder());
            w.curve->show();
            QVERIFY(QTest::qWaitForWindowActive(w.curve.get()));
            // Off by default; on, the waist's own colour is drawn.
            const auto orange = [&] {
                const QImage image = chart(w)->grab().toImage();
                int count = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        count += image.pixelColor(x, y) == QColor(224, 112, 0);
                return count;
            };
            QVERIFY(!chart(w)->sideLine());
            QCOMPARE(orange(), 0);
            QTest::keyClick(chart(w), Qt::Key_W);
            QVERIFY(orange() > 50);
            const auto& waist = chart(w)->sideLine();
            QVERIFY(waist);
            QCOMPARE(waist->caption, QStringLiteral("腰围(厘米)"));
            QCOMPARE(waist->points.size(), size_t(2));
            QCOMPARE(waist->points[1].y, 84.0);
            QCOMPARE(waist->marks, (std::vector<double>{80, 85}));
            const ChartLayout l = chart(w)->chartLayout();
            // The right-hand axis spans the waists and the band lines, 80 to 88; the weights keep the left one.
            QCOMPARE(l.side.min, 80.0);
            QCOMPARE(l.side.max, 88.0);
            QCOMPARE(l.y.max, 130.0);
            // 2026-03-05 is day 46086.
            QCOMPARE(l.x.max, 46086.0);
            auto* menu = w.curve->findChild<QMenu*>(QStringLiteral("ContextMenu"));
            QAction* waistChoice = nullptr;
            for (QAction* action : menu->actions())
                if (action->text().startsWith(QStringLiteral("腰围曲线")))
                    waistChoice = action;
            QVERIFY(waistChoice && waistChoice->isChecked());
            // F changes to the body fat, which has no bands.
            QTest::keyClick(chart(w), Qt::Key_F);
            QCOMPARE(chart(w)->sideLine()->caption, QStringLiteral("体脂率(%)"));
            QVERIFY(chart(w)->sideLine()->marks.empty());
            QVERIFY(!waistChoice->isChecked());
            w.curve->hide();
        }
        // Another start shows the body fat again; F once more hides it.
        Windows again(db.folder());
        again.curve->show();
        QVERIFY(QTest::qWaitForWindowActive(again.curve.get()));
        QCOMPARE(chart(again)->sideLine()->caption, QStringLiteral("体脂率(%)"));
        QTest::keyClick(chart(again), Qt::Key_F);
        QVERIFY(!chart(again)->sideLine());
        QVERIFY(again.reporter.messages.isEmpty());
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

    // The trend chosen is kept in the data file: a new run shows it as it was left; the legend, switched off with L,
    // is on again at the next showing.
    void theTrendIsKeptBetweenRunsAndTheLegendComesBackAtEachShowing()
    {
        TempDatabase db(entries);
        {
            Windows w(db.folder());
            w.curve->show();
            QTest::keyClick(chart(w), Qt::Key_T);
            QTest::keyClick(chart(w), Qt::Key_L);
            QVERIFY(!chart(w)->legendVisible());
            QVERIFY(chart(w)->legendRows().isEmpty());
            w.curve->hide();
            showCurve(w);
            QVERIFY(chart(w)->legendVisible());
            QVERIFY(w.reporter.messages.isEmpty());
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT value FROM settings WHERE name = 'curve.trend'")).toString(),
                 QStringLiteral("1"));
        Windows again(db.folder());
        showCurve(again);
        QVERIFY(chart(again)->trendVisible());
        // What the trend is, in one line, for a screen reader.
        QVERIFY(
            chart(again)->accessibleDescription().contains(QStringLiteral("趋势：最近体重的平滑值，比单次称重稳定")));
    }

    // The Menu key and Shift+F10 open the context menu, which lists every action of the chart with its key, and each
    // entry does what its key does.
    void theMenuOpensByKeyboardAndListsEveryActionWithItsKey_data()
    {
        QTest::addColumn<bool>("menuKey"); // else Shift+F10
        QTest::newRow("Menu") << true;
        QTest::newRow("Shift+F10") << false;
    }

    void theMenuOpensByKeyboardAndListsEveryActionWithItsKey()
    {
        QFETCH(bool, menuKey);
        TempDatabase db(entries);
        Windows w(db.folder());
        w.curve->show();
        QVERIFY(QTest::qWaitForWindowActive(w.curve.get()));
        DbChart* c = chart(w);
        c->setFocus();
        auto* menu = w.curve->findChild<QMenu*>(QStringLiteral("ContextMenu"));
        if (menuKey) {
            // The platform turns the Menu key into a context menu event from the keyboard.
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), c->mapToGlobal(QPoint(0, 0)));
            QCoreApplication::sendEvent(c, &event);
        } else {
            QTest::keyClick(c, Qt::Key_F10, Qt::ShiftModifier);
        }
        QTRY_VERIFY(menu->isVisible());
        QStringList listed;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                listed << action->text();
        QCOMPARE(listed,
                 (QStringList{"显示趋势线\tT", "显示图例\tL", "放大\t+", "缩小\t-", "还原\t0", "我的目标…\tAlt+8",
                              "导出报告…\tCtrl+P", "腰围曲线\tW", "体脂率曲线\tF", "身体围度…\tAlt+0"}));
        menu->hide();
        const auto item = [menu](const char* name) { return menu->findChild<QAction*>(QString::fromUtf8(name)); };
        item("showTrend")->trigger();
        QVERIFY(c->trendVisible());
        item("showLegend")->trigger();
        QVERIFY(!c->legendVisible());
        item("zoomIn")->trigger();
        QVERIFY(c->isZoomed());
        item("undoZoom")->trigger();
        QVERIFY(!c->isZoomed());
        w.curve->hide();
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
