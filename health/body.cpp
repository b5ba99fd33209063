// A body's measures.
#include "health/body.h"

#include <QLocale>
#include <cmath>

namespace health {

QString sexName(Sex sex)
{
    switch (sex) {
    case Sex::Female:
        return QStringLiteral("女");
    case Sex::Male:
        return QStringLiteral("男");
    }
    return {};
}

QString activityName(Activity activity)
{
    switch (activity) {
    case Activity::Sedentary:
        return QStringLiteral("久坐");
    case Activity::Light:
        return QStringLiteral("轻度活动");
    case Activity::Moderate:
        return QStringLiteral("中度活动");
    case Activity::Heavy:
        return QStringLiteral("重度活动");
    }
    return {};
}

double activityFactor(Activity activity)
{
    switch (activity) {
    case Activity::Sedentary:
        return 1.2;
    case Activity::Light:
        return 1.375;
    case Activity::Moderate:
        return 1.55;
    case Activity::Heavy:
        return 1.725;
    }
    return 1.2;
}

std::optional<double> bmi(double weightJin, double heightCm)
{
    if (!(weightJin > 0) || !(heightCm > 0))
        return std::nullopt;
    const double metres = heightCm / 100;
    return weightJin / jinPerKilogram / (metres * metres);
}

std::optional<int> age(const Profile& profile, int thisYear)
{
    if (!profile.birthYear)
        return std::nullopt;
    return thisYear - *profile.birthYear;
}

bool isChild(const Profile& profile, int thisYear)
{
    const std::optional<int> years = age(profile, thisYear);
    return years && *years < adultAge;
}

bool asksPregnancy(const Profile& profile, int thisYear)
{
    const std::optional<int> years = age(profile, thisYear);
    return profile.sex == Sex::Female && !isChild(profile, thisYear) && !(years && *years >= lastAskedPregnancyAge);
}

int shownTenths(double bmi)
{
    return static_cast<int>(std::lround(bmi * 10));
}

BmiClass bmiClass(double bmi)
{
    const int shown = shownTenths(bmi);
    if (shown < 185)
        return BmiClass::Underweight;
    if (shown < 240)
        return BmiClass::Normal;
    if (shown < 280)
        return BmiClass::Overweight;
    return BmiClass::Obese;
}

QString bmiClassName(BmiClass bmiClass)
{
    switch (bmiClass) {
    case BmiClass::Underweight:
        return QStringLiteral("体重过低");
    case BmiClass::Normal:
        return QStringLiteral("正常");
    case BmiClass::Overweight:
        return QStringLiteral("超重");
    case BmiClass::Obese:
        return QStringLiteral("肥胖");
    }
    return {};
}

BmiRange healthyBmi(std::optional<int> age)
{
    if (age && *age >= oldestAge)
        return {220, 269};
    if (age && *age >= olderAge)
        return {200, 269};
    return {};
}

WeightRange healthyRange(double heightCm, std::optional<int> age)
{
    const BmiRange wanted = healthyBmi(age);
    // The shown BMI of a weight of `tenths` tenths of a jin, by the same rounding as the class.
    const auto shown = [heightCm](long long tenths) {
        return shownTenths(bmi(static_cast<double>(tenths) / 10, heightCm).value_or(0));
    };
    // BMI × jin per BMI unit gives a first guess; the steps then settle each end on the rounding the class uses.
    const double jinPerBmi = heightCm / 100 * heightCm / 100 * jinPerKilogram;
    auto low = static_cast<long long>(std::floor((wanted.lowTenths - 0.5) * jinPerBmi));
    while (low > 1 && shown(low - 1) >= wanted.lowTenths)
        --low;
    while (shown(low) < wanted.lowTenths)
        ++low;
    auto high = static_cast<long long>(std::ceil((wanted.highTenths + 0.5) * jinPerBmi));
    while (shown(high) > wanted.highTenths)
        --high;
    while (shown(high + 1) <= wanted.highTenths)
        ++high;
    return {static_cast<double>(low) / 10, static_cast<double>(high) / 10};
}

double restingEnergy(double weightJin, double heightCm, int age, Sex sex)
{
    const double base = 10 * (weightJin / jinPerKilogram) + 6.25 * heightCm - 5 * age;
    return base + (sex == Sex::Male ? 5 : -161);
}

int floorFor(std::optional<Sex> sex)
{
    return sex == Sex::Male ? manFloor : womanFloor;
}

int dailyBudget(double restingEnergy, Activity activity, Sex sex, bool losing)
{
    const double wanted = restingEnergy * activityFactor(activity) - (losing ? dailyDeficit : 0);
    const int rounded = static_cast<int>(std::lround(wanted / 10)) * 10;
    const int floor = sex == Sex::Male ? manFloor : womanFloor;
    return rounded < floor ? floor : rounded;
}

QString numberText(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return locale.toString(value);
    const QString group = locale.groupSeparator();
    const auto grouped = [&group](QString digits) {
        for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, group);
        return digits;
    };
    const double scaled = std::round(std::abs(value) * 1000);
    QString text;
    qint64 thousandths = 0;
    if (scaled >= 9e15) {
        // Beyond whole thousandths in 64 bits: no decimals can be shown anyway.
        text = grouped(QString::number(std::abs(value), 'f', 0));
        thousandths = 1;
    } else {
        thousandths = static_cast<qint64>(scaled);
        text = grouped(QString::number(thousandths / 1000));
        if (const qint64 fraction = thousandths % 1000; fraction != 0) {
            QString decimals = QStringLiteral("%1").arg(fraction, 3, 10, QLatin1Char('0'));
            while (decimals.endsWith(u'0'))
                decimals.chop(1);
            text += locale.decimalPoint() + decimals;
        }
    }
    // A value that rounds to zero reads "0", not "-0".
    return value < 0 && thousandths != 0 ? locale.negativeSign() + text : text;
}

Caution caution(const Profile& profile, std::optional<double> trendJin, int thisYear)
{
    if (isChild(profile, thisYear))
        return Caution::Child;
    if (profile.pregnant == true && asksPregnancy(profile, thisYear))
        return Caution::Pregnant;
    const std::optional<double> value =
        trendJin && profile.height ? bmi(*trendJin, *profile.height) : std::optional<double>();
    if (value && bmiClass(*value) == BmiClass::Underweight)
        return Caution::Underweight;
    const std::optional<int> years = age(profile, thisYear);
    if (value && years && *years >= olderAge && shownTenths(*value) <= healthyBmi(years).highTenths)
        return Caution::OlderInRange;
    if (asksPregnancy(profile, thisYear) && !profile.pregnant)
        return Caution::Unasked;
    return Caution::None;
}

Profile admissible(Profile profile, int thisYear)
{
    if (isChild(profile, thisYear)) {
        profile.goal.reset();
        profile.ownBudget.reset();
    }
    if (profile.goal && profile.height && *profile.goal < healthyRange(*profile.height, age(profile, thisYear)).low)
        profile.goal.reset();
    if (profile.ownBudget && *profile.ownBudget < floorFor(profile.sex))
        profile.ownBudget.reset();
    return profile;
}

QString kcalText(int kcal)
{
    return QLocale(QLocale::English).toString(kcal);
}

} // namespace health
