// A body's measures.
#include "health/body.h"

#include <QLocale>
#include <cmath>

namespace health {

namespace {

// Lets a value that is a whole number of tenths up to rounding stay on that tenth.
constexpr double tenthTolerance = 1e-9;

} // namespace

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

BmiClass bmiClass(double bmi)
{
    const double shown = std::round(bmi * 10) / 10;
    if (shown < 18.5)
        return BmiClass::Underweight;
    if (shown < 24)
        return BmiClass::Normal;
    if (shown < 28)
        return BmiClass::Overweight;
    return BmiClass::Obese;
}

QString bmiClassName(BmiClass bmiClass)
{
    switch (bmiClass) {
    case BmiClass::Underweight:
        return QStringLiteral("偏瘦");
    case BmiClass::Normal:
        return QStringLiteral("正常");
    case BmiClass::Overweight:
        return QStringLiteral("超重");
    case BmiClass::Obese:
        return QStringLiteral("肥胖");
    }
    return {};
}

WeightRange healthyRange(double heightCm)
{
    const double metres = heightCm / 100;
    const double low = 18.5 * metres * metres * jinPerKilogram;
    const double high = 24 * metres * metres * jinPerKilogram;
    return {std::ceil(low * 10 - tenthTolerance) / 10, (std::ceil(high * 10 - tenthTolerance) - 1) / 10};
}

double restingEnergy(double weightJin, double heightCm, int age, Sex sex)
{
    const double base = 10 * (weightJin / jinPerKilogram) + 6.25 * heightCm - 5 * age;
    return base + (sex == Sex::Male ? 5 : -161);
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

QString kcalText(int kcal)
{
    return QLocale(QLocale::English).toString(kcal);
}

} // namespace health
