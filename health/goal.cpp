// The goal projection.
#include "health/goal.h"

#include <QLocale>
#include <cmath>

namespace health {

namespace {

// A distance and rate that meet on a whole day exactly stay on that day, though their quotient may round above it.
constexpr double dayTolerance = 1e-9;

} // namespace

Projection project(std::optional<double> trend, std::optional<double> weeklyRate, const QDate& newest, double goal,
                   double safeShare)
{
    Projection projection;
    projection.safeShare = safeShare;
    if (!trend || !newest.isValid())
        return projection;
    const double distance = *trend - goal;
    if (std::abs(distance) <= reachedBand) {
        projection.kind = Projection::Kind::Reached;
        return projection;
    }
    if (!weeklyRate) {
        projection.kind = Projection::Kind::NoRate;
        return projection;
    }
    const double rate = *weeklyRate;
    // The distance shrinks only when the rate has the opposite sign.
    if (std::abs(rate) < minimumRate || (distance > 0) == (rate > 0)) {
        projection.kind = Projection::Kind::Away;
        return projection;
    }
    projection.tooFast = rate < 0 && -rate > safeShare * *trend;
    const double days = std::ceil(distance / (-rate / 7) - dayTolerance);
    const QDate horizon = newest.addYears(horizonYears);
    if (days > static_cast<double>(newest.daysTo(horizon))) {
        projection.kind = Projection::Kind::TooFar;
        return projection;
    }
    projection.kind = Projection::Kind::Date;
    projection.date = newest.addDays(static_cast<qint64>(days));
    return projection;
}

QString dateText(const QDate& date)
{
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

QString projectionSentence(const Projection& projection)
{
    switch (projection.kind) {
    case Projection::Kind::NoTrend:
        return QStringLiteral("还没有称重记录，无法预计达到目标的日期。");
    case Projection::Kind::NoRate:
        return QStringLiteral("称重记录还太少，无法预计达到目标的日期。");
    case Projection::Kind::Reached:
        return QStringLiteral("已达到目标，保持住！");
    case Projection::Kind::Away:
        return QStringLiteral("按现在的趋势还达不到目标。");
    case Projection::Kind::TooFar:
        return QStringLiteral("按现在的速度，达到目标要超过三年。");
    case Projection::Kind::Date:
        return QStringLiteral("按现在的速度，预计 %1 达到目标。").arg(dateText(projection.date));
    }
    return {};
}

QString projectionShort(const Projection& projection)
{
    switch (projection.kind) {
    case Projection::Kind::NoTrend:
    case Projection::Kind::NoRate:
        return {};
    case Projection::Kind::Reached:
        return QStringLiteral("已达到目标");
    case Projection::Kind::Away:
        return QStringLiteral("还达不到目标");
    case Projection::Kind::TooFar:
        return QStringLiteral("超过三年达到目标");
    case Projection::Kind::Date:
        return QStringLiteral("预计 %1 达到目标").arg(dateText(projection.date));
    }
    return {};
}

QString paceNote(const Projection& projection)
{
    if (!projection.tooFast)
        return {};
    return QStringLiteral("每周减重超过体重的 %1%，慢一点更安全，也更容易保持。")
        .arg(QLocale(QLocale::English).toString(projection.safeShare * 100));
}

} // namespace health
