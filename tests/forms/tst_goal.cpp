// The 我的目标 window and the facts it shares with the command line's summary: the worked example of a woman of
// 165 cm born 1990 whose trend is 150 jin, goal 120 jin, light activity, counted in 2026.
#include "chart/dbchart.h"
#include "data/conversions.h"
#include "datafile/diary.h"
#include "health/goalfacts.h"
#include "support/tempdb.h"
#include "support/windows.h"
#include "ui_ttevu_goal.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextLayout>
#include <QtTest>

using health::Activity;
using health::Profile;
using health::Sex;

Q_DECLARE_METATYPE(goalfacts::Diary)
Q_DECLARE_METATYPE(health::Profile)

namespace {

const QDate today(2026, 12, 7);

Profile worked()
{
    return {165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, false};
}

// Two weighings of 150 jin a week apart: a flat trend at 150.
QString flatDiary()
{
    return TempDatabase::standardSchema() +
           QStringLiteral("INSERT INTO rj VALUES ('2026-11-30 07:00:00.000', '', 150);"
                          "INSERT INTO rj VALUES ('2026-12-07 07:00:00.000', '', 150);");
}

// Opens the goal window of `w` modally, with `today`, and runs `act` on it while it is up.
bool withGoal(Windows& w, const std::function<void(Ttevu_goal*)>& act)
{
    w.goal->setToday(today);
    // Closed without the question that changed fields would bring.
    return whileModal([&] { w.goal->exec(); },
                      [&](QWidget*) {
                          act(w.goal.get());
                          if (w.goal->isVisible())
                              w.goal->done(QDialog::Rejected);
                      });
}

// Presses a button of the question that `act` brings up; returns the question's text, empty when none came.
QString answering(const std::function<void()>& act, const QString& button)
{
    QString asked;
    whileModal(act, [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        asked = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
    return asked;
}

// The text of a label as its lines are laid out at its width.
QStringList lines(const QLabel* label)
{
    QTextLayout layout(label->text(), label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList texts;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->width());
        texts << label->text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return texts;
}

} // namespace

class TestGoal : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { conversions::setLocale(QLocale(QLocale::Chinese, QLocale::China)); }

    void summaryOfTheDiaryAndTheProfile_data()
    {
        QTest::addColumn<goalfacts::Diary>("diary");
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<QStringList>("lines");

        const goalfacts::Diary losing{148.5, today, 150.0, -1.0, {}};
        // BMI 75 ÷ 1.65² = 27.5; 30 jin at 1 a week is 210 days, 5 July 2027; 1440.25 × 1.375 − 500 = 1480, and
        // 1980 without the deficit once the goal is reached.
        QTest::newRow("the worked example")
            << losing << worked()
            << QStringList{"最新体重：148.5斤（2026年12月7日）",
                           "趋势：150.0斤",
                           "每周变化：-1.0斤",
                           "BMI：27.5（超重）",
                           "目标：120斤，还要减 30.0斤；按现在的速度，预计 2027年7月5日 达到目标。",
                           "能量预算：每天建议摄入约 1,480 大卡"};
        Profile own = worked();
        own.ownBudget = 1300;
        own.goal = 149.5;
        QTest::newRow("own budget, goal reached")
            << losing << own
            << QStringList{"最新体重：148.5斤（2026年12月7日）",
                           "趋势：150.0斤",
                           "每周变化：-1.0斤",
                           "BMI：27.5（超重）",
                           "目标：149.5斤；已达到目标，保持住！",
                           "能量预算：每天摄入 1,300 大卡（自己设定），建议约 1,980 大卡"};
        // A goal above the trend: 5 jin at 0.5 a week is 70 days, 15 February 2027; 1440.25 × 1.375 = 1980.3 with no
        // deficit.
        Profile gaining = worked();
        gaining.goal = 155;
        QTest::newRow("goal above the trend: no deficit")
            << goalfacts::Diary{150.0, today, 150.0, 0.5, {}} << gaining
            << QStringList{"最新体重：150斤（2026年12月7日）",
                           "趋势：150.0斤",
                           "每周变化：+0.5斤",
                           "BMI：27.5（超重）",
                           "目标：155斤，还要增 5.0斤；按现在的速度，预计 2027年2月15日 达到目标。",
                           "能量预算：每天建议摄入约 1,980 大卡（保持体重）"};
        QTest::newRow("one weighing, nothing set")
            << goalfacts::Diary{150.0, today, 150.0, std::nullopt, {}} << Profile{}
            << QStringList{"最新体重：150斤（2026年12月7日）",
                           "趋势：150.0斤",
                           "每周变化：称重记录还太少",
                           "BMI：未设置身高",
                           "目标：未设置目标体重",
                           "能量预算：未设置身高、性别、出生年份、活动量"};
        // An estimate by hand: 1,533 (1,421-1,644) a day on 1,033 logged, 150 jin today. 3 jin to go, stepped a day at
        // a time at 3,465 kcal a jin, the use falling 9.9 kcal a jin lost: 500 kcal a day takes 22 days, 611 takes 18,
        // 388 takes 28 (worked day by day). Numbers of the command line have no thousands separators.
        goalfacts::Diary estimated = losing;
        estimated.today = today;
        estimated.body.kind = health::BodyEstimate::Kind::Estimate;
        estimated.body.kcal = 1533;
        estimated.body.low = 1421;
        estimated.body.high = 1644;
        estimated.body.intake = 1033;
        estimated.body.jin = 150;
        estimated.body.loggedDays = 20;
        Profile nearGoal;
        nearGoal.goal = 147;
        QTest::newRow("the real use and a goal date that follows the body")
            << estimated << nearGoal
            << QStringList{"最新体重：148.5斤（2026年12月7日）",
                           "趋势：150.0斤",
                           "每周变化：-1.0斤",
                           "BMI：未设置身高",
                           "目标：147斤，还要减 3.0斤；按现在的速度，预计 2026年12月29日 达到目标（多半在 12月25日 到 "
                           "2027年1月4日 之间）。",
                           "能量预算：未设置身高、性别、出生年份、活动量",
                           "实际消耗：约 1530 大卡/天（80% 区间 1420-1640），根据 28 天里 20 天的饮食记录"};
        // Before the estimate, the straight line of the trend: 3 jin at 1 a week is 21 days.
        goalfacts::Diary needing = losing;
        needing.body.loggedDays = 3;
        needing.body.needed = 11;
        QTest::newRow("some log, not enough")
            << needing << nearGoal
            << QStringList{"最新体重：148.5斤（2026年12月7日）",
                           "趋势：150.0斤",
                           "每周变化：-1.0斤",
                           "BMI：未设置身高",
                           "目标：147斤，还要减 3.0斤；按现在的速度，预计 2026年12月28日 达到目标。",
                           "能量预算：未设置身高、性别、出生年份、活动量",
                           "实际消耗：还需要 11 天的饮食记录"};
        QTest::newRow("no weighing") << goalfacts::Diary{} << worked()
                                     << QStringList{"最新体重：还没有称重记录",
                                                    "趋势：还没有称重记录",
                                                    "每周变化：还没有称重记录",
                                                    "BMI：还没有称重记录",
                                                    "目标：120斤；还没有称重记录，无法预计达到目标的日期。",
                                                    "能量预算：还没有称重记录"};
    }

    void summaryOfTheDiaryAndTheProfile()
    {
        QFETCH(goalfacts::Diary, diary);
        QFETCH(Profile, profile);
        QFETCH(QStringList, lines);
        QCOMPARE(goalfacts::summary(profile, diary, today.year(), conversions::locale()), lines);
    }

    void newestWeighingSkipsEntriesWithoutAWeight()
    {
        // Days since 1899-12-30: 46363 is 7 December 2026.
        const goalfacts::Diary diary = datafile::diaryFromPoints({{46362.3, 151, false}, {46363.3, 0, true}});
        QCOMPARE(diary.newestWeight, std::optional<double>(151));
        QCOMPARE(diary.newestDate, QDate(2026, 12, 6));
        QVERIFY(!diary.weeklyRate);
    }

    void fieldsAreNamedByTheirLabelsAndShowTheFacts()
    {
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            QCOMPARE(goal->windowTitle(), QStringLiteral("我的目标"));
            Ui::Ttevu_goal& ui = *goal->ui();
            QCOMPARE(ui.heightEdit->accessibleName(), QStringLiteral("身高(厘米)"));
            QCOMPARE(ui.sexBox->accessibleName(), QStringLiteral("性别"));
            QCOMPARE(ui.birthYearEdit->accessibleName(), QStringLiteral("出生年份"));
            QCOMPARE(ui.goalEdit->accessibleName(), QStringLiteral("目标体重(斤)"));
            QCOMPARE(ui.activityBox->accessibleName(), QStringLiteral("活动量"));
            QCOMPARE(ui.bmiValue->text(), QStringLiteral("未设置身高"));

            // Each field changes the facts as it is typed.
            ui.heightEdit->setText(QStringLiteral("165"));
            QCOMPARE(ui.bmiValue->text(), QStringLiteral("27.5（超重）"));
            QCOMPARE(ui.rangeValue->text(), QStringLiteral("100.5–130.4斤"));
            ui.birthYearEdit->setText(QStringLiteral("1990"));
            ui.activityBox->setCurrentIndex(1);
            // No deficit until she has said whether she is pregnant or breastfeeding: 1,440.25 × 1.375 = 1,980.
            QCOMPARE(ui.budgetValue->text(), QStringLiteral("每天建议摄入约 1,980 大卡（保持体重）"));
            QCOMPARE(ui.noteLabel->text(), QStringLiteral("回答了“是否怀孕或在哺乳期？”之后，才会给出减重的预算。"));
            QCOMPARE(ui.pregnantBox->accessibleName(), QStringLiteral("是否怀孕或在哺乳期？"));
            ui.pregnantBox->setCurrentIndex(1);
            QCOMPARE(ui.budgetValue->text(), QStringLiteral("每天建议摄入约 1,480 大卡"));
            ui.goalEdit->setText(QStringLiteral("１２０")); // full-width, as an input method may type it
            QCOMPARE(ui.goalValue->text(), QStringLiteral("120斤，还要减 30.0斤；按现在的趋势还达不到目标。"));
            QCOMPARE(ui.noteLabel->text(), QString());
            ui.goalEdit->setText(QStringLiteral("100"));
            QCOMPARE(ui.noteLabel->text(), QStringLiteral("目标低于健康范围的下限（100.5斤）。"));
            // Not asked of a man.
            ui.sexBox->setCurrentIndex(1);
            QVERIFY(ui.pregnantBox->isHidden());
        }));
    }

    // What the window will not advise, for the people it protects, all women of 160 cm (5.12 jin a BMI unit) in 2026,
    // sitting most of the day; each saved, and what is stored read back.
    void whatTheWindowWillNotAdvise_data()
    {
        QTest::addColumn<double>("weight");
        QTest::addColumn<int>("born");
        QTest::addColumn<QString>("goal");
        QTest::addColumn<int>("pregnant"); // the box's index: 请选择, 否, 是
        QTest::addColumn<QString>("bmi");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("budget");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shot");
        // 14 years old at 100 jin: BMI 19.5 without an adult class, no goal (the field is off), no budget.
        QTest::newRow("a girl of 14") << 100.0 << 2012 << "" << 0 << "19.5（未满 18 岁，不按成人标准分类）"
                                      << "未满 18 岁不适用"
                                      << "未满 18 岁不给出预算"
                                      << "未满 18 岁还在生长发育，体重是否合适要按年龄和性别来判断，不能用成人的 BMI "
                                         "标准，也不要自己节食减重；请咨询医生或学校的保健老师。"
                                      << "160.0|女|2012|<null>|1|<null>|<null>"
                                      << "child";
        // 30 years old at 92 jin, BMI 18.0: (10 × 46 + 1000 − 150 − 161) × 1.2 = 1,378.8, kept at 1,380.
        QTest::newRow("a woman at 92 jin") << 92.0 << 1996 << "100" << 1 << "18.0（体重过低）"
                                           << "94.5–122.6斤"
                                           << "每天建议摄入约 1,380 大卡（保持体重）"
                                           << "体重过低，不建议再减重。"
                                           << "160.0|女|1996|100.0|1|<null>|0"
                                           << "underweight";
        // 70 years old at 107.5 jin, BMI 21.0, within 20–26.9: (10 × 53.75 + 1000 − 350 − 161) × 1.2 = 1,231.8,
        // kept at 1,230.
        QTest::newRow("a woman of 70 at BMI 21")
            << 107.5 << 1956 << "105" << 1 << "21.0（正常）"
            << "102.2–137.9斤（65 岁以上，BMI 20–26.9）"
            << "每天建议摄入约 1,230 大卡（保持体重）"
            << "65 岁以上的人，BMI 在 20–26.9 之间是健康的；在这个范围里不建议减重，以免流失肌肉和骨量。"
            << "160.0|女|1956|105.0|1|<null>|<null>"
            << "older";
        // Pregnant at 150 jin, BMI 29.3: (10 × 75 + 1000 − 150 − 161) × 1.2 = 1,726.8, kept at 1,730.
        QTest::newRow("pregnant") << 150.0 << 1996 << "120" << 2 << "29.3（肥胖）"
                                  << "94.5–122.6斤"
                                  << "每天建议摄入约 1,730 大卡（保持体重）"
                                  << "怀孕或哺乳期间不要节食减重，该吃多少、体重长多少，请听从医生的建议。"
                                  << "160.0|女|1996|120.0|1|<null>|1"
                                  << "";
    }
    void whatTheWindowWillNotAdvise()
    {
        QFETCH(double, weight);
        QFETCH(int, born);
        QFETCH(QString, goal);
        QFETCH(int, pregnant);
        QFETCH(QString, bmi);
        QFETCH(QString, range);
        QFETCH(QString, budget);
        QFETCH(QString, note);
        QFETCH(QString, stored);
        QFETCH(QString, shot);
        TempDatabase db(TempDatabase::standardSchema() +
                        QStringLiteral("INSERT INTO rj VALUES ('2026-12-07 07:00:00.000', '', %1);").arg(weight));
        Windows w(db.folder());
        QVERIFY(withGoal(w, [&](Ttevu_goal* window) {
            Ui::Ttevu_goal& ui = *window->ui();
            ui.heightEdit->setText(QStringLiteral("160"));
            ui.birthYearEdit->setText(QString::number(born));
            ui.goalEdit->setText(goal);
            ui.pregnantBox->setCurrentIndex(pregnant);
            QCOMPARE(ui.bmiValue->text(), bmi);
            QCOMPARE(ui.rangeValue->text(), range);
            QCOMPARE(ui.budgetValue->text(), budget);
            QCOMPARE(ui.noteLabel->text(), note);
            QCOMPARE(ui.goalEdit->isEnabled(), born < 2008);
            QCOMPARE(ui.ownBudgetEdit->isEnabled(), born < 2008);
            if (!shot.isEmpty() && qEnvironmentVariableIsSet("TEVU_SHOTS"))
                window->grab().save(qEnvironmentVariable("TEVU_SHOTS") + u'/' + shot + QStringLiteral(".png"));
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
        }));
        QCOMPARE(w.reporter.messages, QStringList{});
        QCOMPARE(db.rows(QStringLiteral("SELECT * FROM profile")), QStringList{stored});
    }

    void anOlderAdultsGoalUnderHerRangeIsRefused()
    {
        // 70 years old, 160 cm: her range starts at 102.2 jin.
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QVERIFY(withGoal(w, [&](Ttevu_goal* window) {
            Ui::Ttevu_goal& ui = *window->ui();
            ui.heightEdit->setText(QStringLiteral("160"));
            ui.birthYearEdit->setText(QStringLiteral("1956"));
            ui.goalEdit->setText(QStringLiteral("102.1"));
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
        }));
        QCOMPARE(w.reporter.messages, QStringList{QStringLiteral("目标低于健康范围的下限（102.2斤）")});
    }

    void badInputIsNamedWithItsRangeAndNothingIsStored_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("height too small") << "heightEdit"
                                          << "99"
                                          << "身高(厘米)要填 100 到 250 之间的数";
        QTest::newRow("height not a number") << "heightEdit"
                                             << "一米六五"
                                             << "身高(厘米)要填 100 到 250 之间的数";
        QTest::newRow("born too late") << "birthYearEdit"
                                       << "2017"
                                       << "出生年份要填 1900 到 2016 之间的年份";
        QTest::newRow("half a year") << "birthYearEdit"
                                     << "1990.5"
                                     << "出生年份要填 1900 到 2016 之间的年份";
        QTest::newRow("goal too heavy") << "goalEdit"
                                        << "601"
                                        << "目标体重(斤)要填 40 到 600 之间的数";
        QTest::newRow("goal empty") << "goalEdit"
                                    << ""
                                    << "目标体重(斤)要填 40 到 600 之间的数";
        QTest::newRow("goal under the healthy range") << "goalEdit"
                                                      << "100.4"
                                                      << "目标低于健康范围的下限（100.5斤）";
        QTest::newRow("own budget too small") << "ownBudgetEdit"
                                              << "799"
                                              << "自定每日摄入(大卡)要填 800 到 5000 之间的整数，或者留空";
        QTest::newRow("own budget under the floor")
            << "ownBudgetEdit"
            << "800"
            << "自定每日摄入不能低于 1,200 大卡：女性每天吃得比这更少，身体需要的营养就难以吃够";
    }

    void badInputIsNamedWithItsRangeAndNothingIsStored()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QVERIFY(withGoal(w, [&](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            ui.heightEdit->setText(QStringLiteral("165"));
            ui.birthYearEdit->setText(QStringLiteral("1990"));
            ui.goalEdit->setText(QStringLiteral("120"));
            auto* edit = goal->findChild<QLineEdit*>(field);
            edit->setText(text);
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
            QCOMPARE(w.reporter.messages, QStringList{message});
            QVERIFY(goal->isVisible());
            QCOMPARE(edit->text(), text);
            QCOMPARE(goal->focusWidget(), edit);
        }));
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM profile")).toInt(), 0);
    }

    void saveStoresTheProfileAndTheNextShowingReadsIt()
    {
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            ui.heightEdit->setText(QStringLiteral("165.5"));
            ui.sexBox->setCurrentIndex(1);
            ui.birthYearEdit->setText(QStringLiteral("1990"));
            ui.goalEdit->setText(QStringLiteral("130"));
            ui.activityBox->setCurrentIndex(2);
            ui.ownBudgetEdit->setText(QStringLiteral("1800"));
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
            QVERIFY(!goal->isVisible());
        }));
        QCOMPARE(w.reporter.messages, QStringList{});
        QCOMPARE(db.rows(QStringLiteral("SELECT * FROM profile")),
                 QStringList{QStringLiteral("165.5|男|1990|130.0|3|1800|<null>")});
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            QCOMPARE(ui.heightEdit->text(), QStringLiteral("165.5"));
            QCOMPARE(ui.sexBox->currentText(), QStringLiteral("男"));
            QCOMPARE(ui.activityBox->currentText(), QStringLiteral("中度活动"));
            QCOMPARE(ui.ownBudgetEdit->text(), QStringLiteral("1800"));
            // Cancel keeps what is stored.
            ui.goalEdit->setText(QStringLiteral("125"));
            answering([&] { QTest::mouseClick(ui.cancelButton, Qt::LeftButton); }, QStringLiteral("放弃修改"));
        }));
        QCOMPARE(db.scalar(QStringLiteral("SELECT goal FROM profile")).toDouble(), 130.0);
    }

    // 每天提醒我称体重 with a time installs the user's timer at that time; unchecked, 保存 removes it.
    void theReminderIsTurnedOnAndOffWithTheProfile()
    {
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        const QString timer = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                              QStringLiteral("/systemd/user/tevu-remind.timer");
        const auto fill = [](Ui::Ttevu_goal& ui) {
            ui.heightEdit->setText(QStringLiteral("165"));
            ui.birthYearEdit->setText(QStringLiteral("1990"));
            ui.goalEdit->setText(QStringLiteral("120"));
        };
        QVERIFY(withGoal(w, [&](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            QVERIFY(!ui.remindBox->isChecked());
            QVERIFY(!ui.remindTime->isEnabled());
            QCOMPARE(ui.remindTime->time(), QTime(7, 30));
            fill(ui);
            ui.remindBox->setChecked(true);
            ui.remindTime->setTime(QTime(6, 45));
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
        }));
        QCOMPARE(w.reporter.messages, QStringList{});
        QFile installed(timer);
        QVERIFY2(installed.open(QIODevice::ReadOnly), qPrintable(timer));
        QVERIFY(installed.readAll().contains("06:45"));
        QVERIFY(withGoal(w, [&](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            QVERIFY(ui.remindBox->isChecked());
            QCOMPARE(ui.remindTime->time(), QTime(6, 45));
            ui.remindBox->setChecked(false);
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
        }));
        QVERIFY(!QFile::exists(timer));
        QVERIFY(Windows::systemctlCalls().join(u'\n').contains(QStringLiteral("disable")));
    }

    void aFileWithoutTheTableOpensAndTheFirstSaveMakesIt()
    {
        QString sql = flatDiary();
        sql.remove(QRegularExpression(QStringLiteral("CREATE TABLE profile\\s*\\([^;]*\\);")));
        TempDatabase db(sql);
        Windows w(db.folder());
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            QCOMPARE(ui.heightEdit->text(), QString());
            ui.heightEdit->setText(QStringLiteral("165"));
            ui.birthYearEdit->setText(QStringLiteral("1990"));
            ui.goalEdit->setText(QStringLiteral("120"));
            QTest::mouseClick(ui.saveButton, Qt::LeftButton);
        }));
        QCOMPARE(w.reporter.messages, QStringList{});
        QCOMPARE(db.scalar(QStringLiteral("SELECT goal FROM profile")).toDouble(), 120.0);
    }

    // Escape is 取消, and both ask before a change is dropped; unchanged, the window just closes.
    void escapeAndCancelAskBeforeDroppingAChange_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("escape, nothing typed") << true << false << QString() << true;
        QTest::newRow("escape, typed, back") << true << true << "返回" << false;
        QTest::newRow("escape, typed, drop") << true << true << "放弃修改" << true;
        QTest::newRow("cancel, typed, back") << false << true << "返回" << false;
    }

    void escapeAndCancelAskBeforeDroppingAChange()
    {
        QFETCH(bool, escape);
        QFETCH(bool, typed);
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QString asked;
        bool open = true;
        QVERIFY(withGoal(w, [&](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            if (typed)
                QTest::keyClicks(ui.goalEdit, QStringLiteral("125"));
            const auto close = [&] {
                if (escape)
                    QTest::keyClick(ui.goalEdit, Qt::Key_Escape);
                else
                    QTest::mouseClick(ui.cancelButton, Qt::LeftButton);
            };
            if (typed)
                asked = answering(close, answer);
            else
                close();
            open = goal->isVisible();
            if (open)
                QCOMPARE(ui.goalEdit->text(), QStringLiteral("125"));
        }));
        QCOMPARE(asked, typed ? QStringLiteral("放弃刚才的修改吗？") : QString());
        QCOMPARE(open, !closed);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM profile")).toInt(), 0);
    }

    // Alt with a digit that no shortcut takes types nothing.
    void altWithADigitTypesNothing()
    {
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            QLineEdit* height = goal->ui()->heightEdit;
            QTest::keyClicks(height, QStringLiteral("165"));
            QTest::keyClick(height, Qt::Key_7, Qt::AltModifier);
            QCOMPARE(height->text(), QStringLiteral("165"));
        }));
    }

    // A screen reader hears each result as its value labelled by its caption, and each list by its field.
    void resultsAreHeardWithTheirCaptionsAndListsByTheirFields()
    {
        TempDatabase db(flatDiary());
        Windows w(db.folder());
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            ui.heightEdit->setText(QStringLiteral("165"));
            const QList<std::pair<QLabel*, QString>> results{{ui.bmiValue, "BMI"},
                                                             {ui.rangeValue, "健康体重"},
                                                             {ui.trendValue, "趋势"},
                                                             {ui.goalValue, "目标"},
                                                             {ui.budgetValue, "每日能量"}};
            for (const auto& [value, caption] : results) {
                QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(value);
                QCOMPARE(heard->text(QAccessible::Name), value->text());
                QCOMPARE(heard->text(QAccessible::Description), caption);
                const auto labels = heard->relations(QAccessible::Label);
                QVERIFY2(labels.size() == 1 && labels.front().first->text(QAccessible::Name) == caption,
                         qPrintable(caption));
            }
            QCOMPARE(QAccessible::queryAccessibleInterface(ui.bmiValue)->text(QAccessible::Name),
                     QStringLiteral("27.5（超重）"));
            ui.activityBox->setCurrentIndex(1);
            for (const auto& [box, name, value] :
                 {std::tuple{ui.sexBox, "性别", "女"}, std::tuple{ui.activityBox, "活动量", "轻度活动"}}) {
                QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(box);
                QCOMPARE(heard->role(), QAccessible::ComboBox);
                QCOMPARE(heard->text(QAccessible::Name), QString::fromUtf8(name));
                QCOMPARE(heard->text(QAccessible::Value), QString::fromUtf8(value));
            }
        }));
    }

    // The window keeps its size and its buttons their places while the texts change; a date is never broken, a
    // goal over the healthy range is a note, and a birth year out of range is said as such.
    void theWindowKeepsItsSizeWhileTheFieldsChange()
    {
        // 160 over four weeks down to 150 by 7 December: the trend falls, and the goal has a date.
        QString sql = TempDatabase::standardSchema();
        for (int d = 0; d <= 28; d += 2)
            sql += QStringLiteral("INSERT INTO rj VALUES ('%1 07:00:00.000', '', %2);")
                       .arg(QDate(2026, 11, 9).addDays(d).toString(Qt::ISODate))
                       .arg(160 - d * 10.0 / 28);
        TempDatabase db(sql);
        Windows w(db.folder());
        QVERIFY(withGoal(w, [](Ttevu_goal* goal) {
            Ui::Ttevu_goal& ui = *goal->ui();
            const QSize size = goal->size();
            const QRect save = ui.saveButton->geometry();
            const QList<std::pair<QLineEdit*, QString>> typing{
                {ui.heightEdit, "1"}, {ui.heightEdit, "165"}, {ui.birthYearEdit, "2020"}, {ui.birthYearEdit, "1990"},
                {ui.goalEdit, "140"}, {ui.goalEdit, "100"},   {ui.goalEdit, "120"}};
            static const QRegularExpression date(QStringLiteral("\\d{4}年\\d{1,2}月\\d{1,2}日"));
            for (const auto& [edit, text] : typing) {
                edit->setText(text);
                QCoreApplication::processEvents();
                QCOMPARE(goal->size(), size);
                QCOMPARE(ui.saveButton->geometry(), save);
                // And no text is cut: each fits the lines its label keeps.
                for (const QLabel* value : {ui.goalValue, ui.budgetValue, ui.noteLabel})
                    QVERIFY2(value->heightForWidth(value->width()) <= value->height(), qPrintable(value->text()));
                // 2027年3月21日 stays on one line.
                const QString shown = QString(ui.goalValue->text()).remove(QChar(0x2060));
                if (const QRegularExpressionMatch found = date.match(shown); found.hasMatch())
                    QVERIFY2(QString(lines(ui.goalValue).join(u'\n')).remove(QChar(0x2060)).contains(found.captured()),
                             qPrintable(lines(ui.goalValue).join(u'|')));
                if (text == "2020")
                    QCOMPARE(ui.budgetValue->text(), QStringLiteral("出生年份要在 1900 到 2016 之间"));
                if (text == "140")
                    QVERIFY2(ui.noteLabel->text().split(u'\n').contains(QStringLiteral(
                                 "目标高于健康范围的上限（130.4斤），可以把它当作第一步，达到后再往下定。")),
                             qPrintable(ui.noteLabel->text()));
            }
            QVERIFY(ui.goalValue->text().contains(QStringLiteral("达到目标")));
        }));
    }

    void openedFromThePlanTheMainWindowAndTheCurve()
    {
        TempDatabase db(flatDiary());
        db.exec(QStringLiteral("INSERT INTO profile VALUES (165, '女', 1990, 120, 2, NULL)"));
        Windows w(db.folder());
        const auto isGoal = [](QWidget* modal) { QCOMPARE(modal->windowTitle(), QStringLiteral("我的目标")); };
        QVERIFY(whileModal(
            [&] { w.plan->exec(); },
            [&](QWidget*) {
                QVERIFY(whileModal(
                    [&] { QTest::mouseClick(w.plan->findChild<QPushButton*>("GoalButton"), Qt::LeftButton); }, isGoal));
            }));
        QVERIFY(whileModal([&] { w.main->findChild<QShortcut*>("GoalShortcut")->activated(); }, isGoal));
        QVERIFY(whileModal([&] { w.curve->exec(); },
                           [&](QWidget*) {
                               DbChart* chart = w.curve->findChild<DbChart*>("DBChart1");
                               QCOMPARE(chart->goal(), std::optional<double>(120));
                               QVERIFY(chart->accessibleDescription().contains(QStringLiteral("BMI 27.5（超重）")));
                               QVERIFY(whileModal([&] { w.curve->showGoal(); }, isGoal));
                           }));
        QCOMPARE(w.reporter.messages, QStringList{});
    }
};

QTEST_MAIN(TestGoal)
#include "tst_goal.moc"
