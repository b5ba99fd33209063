// The weight trend under the day-to-day swings: an exponentially smoothed line and its weekly rate.
#include "chart/trend.h"

#include <cmath>

namespace trend {

QString tenths(double value, const QLocale& locale)
{
    // A weight too large for tenths (only a damaged file holds one) is shown as it is.
    const double rounded = std::isfinite(value * 10) ? std::round(value * 10) / 10 : value;
    QString text = locale.toString(std::abs(rounded), 'f', 1);
    if (rounded < 0)
        text.prepend(locale.negativeSign());
    return text;
}

QString rateText(double rate, const QLocale& locale)
{
    QString number = tenths(rate, locale);
    if (std::round(rate * 10) > 0)
        number.prepend(locale.positiveSign());
    return number;
}

QString summary(const std::vector<LineSeries::Point>& trend, const QLocale& locale)
{
    if (trend.empty())
        return QString();
    QString text = QStringLiteral("趋势 ") + tenths(trend.back().y, locale) + u'斤';
    if (const std::optional<double> rate = health::weeklyRate(trend))
        text += QStringLiteral("，每周 ") + rateText(*rate, locale) + u'斤';
    return text;
}

QString title(const QString& base, const std::vector<LineSeries::Point>& trend, const QLocale& locale,
              const QString& projection)
{
    if (trend.empty() || base.isEmpty())
        return base;
    QString text = base + u'（' + summary(trend, locale);
    if (!projection.isEmpty())
        text += u'，' + projection;
    return text + u'）';
}

} // namespace trend
