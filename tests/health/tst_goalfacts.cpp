// The advice rules as the goal window and `tevu --summary` say them, for the people they protect: a child, the
// underweight, the pregnant, an older adult, and an own budget or a week of eating under the floor. Counted in 2026;
// each budget worked by hand from Mifflin-St Jeor (10 × kg + 6.25 × cm − 5 × age − 161 for a woman).
#include "health/goalfacts.h"

#include <QtTest>

using health::Activity;
using health::Profile;
using health::Sex;

Q_DECLARE_METATYPE(goalfacts::Diary)
Q_DECLARE_METATYPE(health::Profile)

namespace {

constexpr int thisYear = 2026;
const QDate today(2026, 12, 7);

goalfacts::Diary weighing(double jin, std::optional<double> rate = std::nullopt)
{
    return {jin, today, jin, rate, {}};
}

} // namespace

class GoalFactsTest : public QObject {
    Q_OBJECT

private slots:
    void summary_data()
    {
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<goalfacts::Diary>("diary");
        QTest::addColumn<QStringList>("lines"); // from the BMI on

        // A girl born 2012 is 14; 160 cm, 100 jin: 100 ÷ 5.12 = 19.53. The formula would give her (10 × 50 + 1000 −
        // 70 − 161) × 1.375 − 500 = 1,240: a deficit for a growing body. She gets no class, no goal, no budget,
        // even with a goal and an own budget set.
        QTest::newRow("the 14-year-old girl")
            << Profile{160.0, Sex::Female, 2012, 90.0, Activity::Light, 1500, false} << weighing(100)
            << QStringList{"BMI：19.5（未满 18 岁，不按成人标准分类）", "目标：未满 18 岁不设目标体重",
                           "能量预算：未满 18 岁不给出预算",
                           "未满 18 岁还在生长发育，体重是否合适要按年龄和性别来判断，不能用成人的 BMI "
                           "标准，也不要自己节食减重；请咨询医生或学校的保健老师。"};
        // Born 1996, 30; 160 cm, 92 jin: BMI 17.97, shown 18.0. (10 × 46 + 1000 − 150 − 161) × 1.2 = 1,378.8,
        // 1,380 to keep her weight; with the deficit it was 878.8, raised to the floor of 1,200.
        QTest::newRow("the woman at 92 jin, no goal")
            << Profile{160.0, Sex::Female, 1996, std::nullopt, Activity::Sedentary, std::nullopt, false} << weighing(92)
            << QStringList{"BMI：18.0（体重过低）", "目标：未设置目标体重",
                           "能量预算：每天建议摄入约 1,380 大卡（保持体重）", "体重过低，不建议再减重。"};
        // The worked example (165 cm, born 1990, 150 jin, goal 120, light): 1,440.25 × 1.375 = 1,980.3, 1,980 with
        // no deficit, where 1,480 was advised.
        QTest::newRow("pregnant") << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, true}
                                  << weighing(150)
                                  << QStringList{
                                         "BMI：27.5（超重）",
                                         "目标：120斤，还要减 30.0斤；称重记录还太少，无法预计达到目标的日期。",
                                         "能量预算：每天建议摄入约 1,980 大卡（保持体重）",
                                         "怀孕或哺乳期间不要节食减重，该吃多少、体重长多少，请听从医生的建议。"};
        QTest::newRow("not yet asked")
            << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, std::nullopt} << weighing(150)
            << QStringList{"BMI：27.5（超重）", "目标：120斤，还要减 30.0斤；称重记录还太少，无法预计达到目标的日期。",
                           "能量预算：每天建议摄入约 1,980 大卡（保持体重）",
                           "回答了“是否怀孕或在哺乳期？”之后，才会给出减重的预算。"};
        QTest::newRow("answered no") << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, false}
                                     << weighing(150)
                                     << QStringList{
                                            "BMI：27.5（超重）",
                                            "目标：120斤，还要减 30.0斤；称重记录还太少，无法预计达到目标的日期。",
                                            "能量预算：每天建议摄入约 1,480 大卡"};
        // Born 1956, 70; 160 cm, 107.5 jin: BMI 21.0, within 20–26.9. (10 × 53.75 + 1000 − 350 − 161) × 1.2 =
        // 1,231.8: 1,230 to keep it.
        QTest::newRow("70 at BMI 21")
            << Profile{160.0, Sex::Female, 1956, std::nullopt, Activity::Sedentary, std::nullopt, false}
            << weighing(107.5)
            << QStringList{"BMI：21.0（正常）", "目标：未设置目标体重",
                           "能量预算：每天建议摄入约 1,230 大卡（保持体重）",
                           "65 岁以上的人，BMI 在 20–26.9 之间是健康的；在这个范围里不建议减重，以免流失肌肉和骨量。"};
        // 143.4 jin is BMI 28.0, above her range: (10 × 71.7 + 1000 − 350 − 161) × 1.55 − 500 = 1,369.3, 1,370. At
        // −1.0 jin a week she loses more than half of 1 % (0.717 jin) but less than 1 % (1.434): the older pace note.
        QTest::newRow("70 at BMI 28, losing 1 jin a week")
            << Profile{160.0, Sex::Female, 1956, 130.0, Activity::Moderate, std::nullopt, false}
            << weighing(143.4, -1.0)
            << QStringList{"BMI：28.0（肥胖）",
                           "目标：130斤，还要减 13.4斤；按现在的速度，预计 2027年3月11日 达到目标。",
                           "能量预算：每天建议摄入约 1,370 大卡",
                           "65 岁以上的人，BMI 在 20–26.9 之间是健康的；在这个范围里不建议减重，以免流失肌肉和骨量。"};
    }
    void summary()
    {
        QFETCH(Profile, profile);
        QFETCH(goalfacts::Diary, diary);
        QFETCH(QStringList, lines);
        const QStringList all = goalfacts::summary(profile, diary, thisYear, QLocale(QLocale::Chinese, QLocale::China));
        QCOMPARE(all.mid(3), lines);
    }

    void theChildHasNoDayBudgetEvenHerOwn()
    {
        const Profile girl{160.0, Sex::Female, 2012, std::nullopt, Activity::Light, 1500, false};
        QCOMPARE(goalfacts::dayBudget(girl, weighing(100), thisYear), std::nullopt);
        QCOMPARE(goalfacts::formulaUse(girl, weighing(100), thisYear), std::nullopt);
    }

    void olderPaceIsHalf()
    {
        // The same loss of 1 jin a week from 143.4: more than half of 1 % at 70, within 1 % at 50.
        Profile older{160.0, Sex::Female, 1956, 130.0, Activity::Moderate, std::nullopt, false};
        QCOMPARE(health::paceNote(goalfacts::projection(older, weighing(143.4, -1.0), thisYear)),
                 QStringLiteral("每周减重超过体重的 0.5%，慢一点更安全，也更容易保持。"));
        older.birthYear = 1976;
        QCOMPARE(health::paceNote(goalfacts::projection(older, weighing(143.4, -1.0), thisYear)), QString());
    }

    void goalsUnderTheRangeAreRefused_data()
    {
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<QString>("refusal");
        // 160 cm: the range starts at 94.5 jin at 30, at 102.2 from 65.
        QTest::newRow("30, 94.4") << Profile{160.0, Sex::Female, 1996, 94.4, Activity::Light, std::nullopt, false}
                                  << "目标低于健康范围的下限（94.5 斤）";
        QTest::newRow("30, 94.5") << Profile{160.0, Sex::Female, 1996, 94.5, Activity::Light, std::nullopt, false}
                                  << "";
        QTest::newRow("70, 100") << Profile{160.0, Sex::Female, 1956, 100.0, Activity::Light, std::nullopt, false}
                                 << "目标低于健康范围的下限（102.2 斤）";
        QTest::newRow("14, any goal") << Profile{160.0, Sex::Female, 2012, 110.0, Activity::Light, std::nullopt, false}
                                      << "未满 18 岁不设目标体重，请把目标体重留空";
    }
    void goalsUnderTheRangeAreRefused()
    {
        QFETCH(Profile, profile);
        QFETCH(QString, refusal);
        QCOMPARE(goalfacts::goalTooLow(profile, thisYear, QLocale(QLocale::Chinese, QLocale::China)), refusal);
    }

    void ownBudgetUnderTheFloorIsRefused_data()
    {
        QTest::addColumn<Profile>("profile");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a woman's 800")
            << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, 800, false}
            << "自定每日摄入不能低于 1,200 大卡：女性每天吃得比这更少，身体需要的营养就难以吃够";
        QTest::newRow("a woman's 1,200") << Profile{165.0, Sex::Female, 1990, 120.0, Activity::Light, 1200, false}
                                         << "";
        QTest::newRow("a man's 1,499")
            << Profile{165.0, Sex::Male, 1990, 120.0, Activity::Light, 1499, false}
            << "自定每日摄入不能低于 1,500 大卡：男性每天吃得比这更少，身体需要的营养就难以吃够";
    }
    void ownBudgetUnderTheFloorIsRefused()
    {
        QFETCH(Profile, profile);
        QFETCH(QString, refusal);
        QCOMPARE(goalfacts::ownBudgetTooLow(profile), refusal);
    }

    void aWeekUnderTheFloorIsSaidGently_data()
    {
        QTest::addColumn<int>("sex"); // 0 woman, 1 man
        QTest::addColumn<QList<double>>("days");
        QTest::addColumn<QString>("line");
        // (1,000 × 3 + 1,300) ÷ 4 = 1,075, under 1,200.
        QTest::newRow("four days, mean 1,075") << 0 << QList<double>{1000, 1000, 1000, 1300}
                                               << "最近 7 天里记下的日子，平均每天只吃了约 1,080 大卡，低于 1,200 "
                                                  "大卡。吃得太少容易流失肌肉、营养不够，也难以坚持，不妨多吃一点。";
        // Three logged days say too little about the week.
        QTest::newRow("three days") << 0 << QList<double>{900, 900, 900} << "";
        // (1,100 × 3 + 1,500) ÷ 4 = 1,200: at the floor, not under it.
        QTest::newRow("at the floor") << 0 << QList<double>{1100, 1100, 1100, 1500} << "";
        QTest::newRow("a man at 1,400") << 1 << QList<double>{1400, 1400, 1400, 1400}
                                        << "最近 7 天里记下的日子，平均每天只吃了约 1,400 大卡，低于 1,500 "
                                           "大卡。吃得太少容易流失肌肉、营养不够，也难以坚持，不妨多吃一点。";
    }
    void aWeekUnderTheFloorIsSaidGently()
    {
        QFETCH(int, sex);
        QFETCH(QList<double>, days);
        QFETCH(QString, line);
        std::vector<health::DayIntake> intake;
        for (int i = 0; i < days.size(); ++i)
            intake.push_back({today.addDays(-1 - i), days[i]});
        const Profile profile{165.0, sex ? Sex::Male : Sex::Female, 1990, 120.0, Activity::Light, std::nullopt, false};
        QCOMPARE(goalfacts::lowIntake(profile, intake), line);
    }
};

QTEST_GUILESS_MAIN(GoalFactsTest)
#include "tst_goalfacts.moc"
