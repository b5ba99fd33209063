// The body's measures in words.
#include "health/measurefacts.h"

#include <cmath>

namespace measurefacts {

namespace {

using health::measureText;

QString ratioText(double ratio)
{
    return QString::number(ratio, 'f', 2);
}

std::optional<double> waistToHeight(const health::Change& waist, const health::Profile& profile)
{
    if (!waist.newest || !profile.height)
        return std::nullopt;
    return health::ratio(*waist.newest, *profile.height);
}

// The newest row that has both a waist and a hip.
std::optional<double> waistToHip(const std::vector<health::Measurement>& rows)
{
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (row->waist && row->hip)
            return health::ratio(*row->waist, *row->hip);
    return std::nullopt;
}

QString changesOf(const health::Change& change, const QString& name, const QString& unit)
{
    QStringList parts;
    if (change.sinceFirst)
        parts << QStringLiteral("比第一次 %1").arg(changeText(*change.sinceFirst, unit));
    if (change.recent)
        parts << QStringLiteral("最近 4 周 %1").arg(changeText(*change.recent, unit));
    if (parts.isEmpty())
        return {};
    return QStringLiteral("%1：%2").arg(name, parts.join(QStringLiteral("，")));
}

} // namespace

QString changeText(double change, const QString& unit)
{
    const QString figure = measureText(std::abs(change));
    const QString sign = figure == u"0" ? QString() : change < 0 ? QStringLiteral("−") : QStringLiteral("+");
    return sign + figure + (unit == u"%" ? QString() : QStringLiteral(" ")) + unit;
}

QStringList facts(const std::vector<health::Measurement>& rows, const health::Profile& profile)
{
    if (rows.empty())
        return {QStringLiteral("还没有记录。量一下腰围（肚脐上方一圈），填上，按“保存”。")};
    QStringList lines;
    const health::Change waist = health::changeOf(rows, health::Measure::Waist);
    const health::Change fat = health::changeOf(rows, health::Measure::Fat);
    if (waist.newest) {
        QString line = QStringLiteral("腰围 %1 厘米").arg(measureText(*waist.newest));
        if (profile.sex) {
            const health::WaistClass waistClass = health::waistClass(*waist.newest, *profile.sex);
            const QString sex = *profile.sex == health::Sex::Male ? QStringLiteral("男性") : QStringLiteral("女性");
            const health::WaistBands bands = health::waistBands(*profile.sex);
            const std::optional<double> start = health::waistClassStart(waistClass, *profile.sex);
            line += QStringLiteral("：%1（%2）")
                        .arg(health::waistClassName(waistClass),
                             start ? QStringLiteral("%1 %2 厘米起").arg(sex, measureText(*start))
                                   : QStringLiteral("%1 %2 厘米以下").arg(sex, measureText(bands.preCentral)));
        } else {
            line += QStringLiteral("（在“我的目标”里填上性别，这里就会说出腰围属于哪一类）");
        }
        lines << line;
        if (const std::optional<double> ratio = waistToHeight(waist, profile))
            lines << QStringLiteral("腰高比 %1%2")
                         .arg(ratioText(*ratio), *ratio > health::waistToHeightWarning
                                                     ? QStringLiteral("，超过 0.5")
                                                     : QStringLiteral("，不超过 0.5"));
        else
            lines << QStringLiteral("腰高比：在“我的目标”里填上身高后显示");
    } else {
        lines << QStringLiteral("还没有腰围的记录");
    }
    if (const std::optional<double> ratio = waistToHip(rows))
        lines << QStringLiteral("腰臀比 %1").arg(ratioText(*ratio));
    if (fat.newest)
        lines << QStringLiteral("体脂率 %1%").arg(measureText(*fat.newest));
    for (const QString& change : {changesOf(waist, QStringLiteral("腰围"), QStringLiteral("厘米")),
                                  changesOf(fat, QStringLiteral("体脂率"), QStringLiteral("%"))})
        if (!change.isEmpty())
            lines << change;
    return lines;
}

QString summaryLine(const std::vector<health::Measurement>& rows, const health::Profile& profile)
{
    const health::Change waist = health::changeOf(rows, health::Measure::Waist);
    if (!waist.newest)
        return {};
    QString line = QStringLiteral("腰围：%1厘米").arg(measureText(*waist.newest));
    if (profile.sex)
        line += QStringLiteral("（%1）").arg(health::waistClassName(health::waistClass(*waist.newest, *profile.sex)));
    if (const std::optional<double> ratio = waistToHeight(waist, profile))
        line += QStringLiteral("，腰高比 %1").arg(ratioText(*ratio));
    return line;
}

} // namespace measurefacts
