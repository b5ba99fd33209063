// The day's nutrients and their shares against the guideline.
#include "foods/nutrients.h"

#include "data/sqlite.h"
#include "foods/ownfoods.h"

#include <cmath>

namespace nutrients {

namespace {

QString grams(double value, bool atLeast, int decimals = 0)
{
    if (atLeast && value == 0)
        return QStringLiteral("不详");
    return (atLeast ? QStringLiteral("至少 ") : QString()) + QString::number(value, 'f', decimals) +
           QStringLiteral(" 克");
}

std::size_t at(Nutrient nutrient)
{
    return static_cast<std::size_t>(nutrient);
}

} // namespace

Per100g of(sqlite3* db, const QString& path, const QString& title)
{
    Per100g values;
    if (sqlite::hasTable(db, QStringLiteral("nutrients"), path)) {
        const sqlite::CachedStatement row = sqlite::cached(
            db, "SELECT protein, fat, carbohydrate, fibre, sodium FROM nutrients WHERE Title = ? LIMIT 1", path);
        row->bind(1, title);
        if (row->step()) {
            for (std::size_t n = 0; n < count; ++n)
                if (const QVariant value = row->value(static_cast<int>(n)); !value.isNull())
                    values[n] = value.toDouble();
            return values;
        }
    }
    if (const std::optional<ownfoods::Food> own = ownfoods::named(db, path, title)) {
        values[at(Nutrient::Protein)] = own->protein;
        values[at(Nutrient::Fat)] = own->fat;
        values[at(Nutrient::Carbohydrate)] = own->carbohydrate;
    }
    return values;
}

Totals ofDay(sqlite3* db, const QString& path, const foodlog::Day& day)
{
    Totals totals;
    for (const foodlog::Item& item : day.items) {
        const Per100g values = of(db, path, item.food);
        for (std::size_t n = 0; n < count; ++n) {
            if (values[n])
                totals.amounts[n] += *values[n] * item.grams / 100;
            else if (item.grams > 0)
                totals.atLeast[n] = true;
        }
    }
    return totals;
}

double saltGrams(double sodiumMilligrams)
{
    return sodiumMilligrams * 2.54 / 1000;
}

QString amountLine(const Totals& totals, bool anyItem)
{
    if (!anyItem)
        return QString();
    const auto figure = [&totals](Nutrient n) { return totals.amounts[at(n)]; };
    const auto partial = [&totals](Nutrient n) { return totals.atLeast[at(n)]; };
    return QStringLiteral("蛋白质 %1 · 脂肪 %2 · 碳水 %3 · 膳食纤维 %4 · 盐 %5")
        .arg(grams(figure(Nutrient::Protein), partial(Nutrient::Protein)),
             grams(figure(Nutrient::Fat), partial(Nutrient::Fat)),
             grams(figure(Nutrient::Carbohydrate), partial(Nutrient::Carbohydrate)),
             grams(figure(Nutrient::Fibre), partial(Nutrient::Fibre)),
             grams(saltGrams(figure(Nutrient::Sodium)), partial(Nutrient::Sodium), 1));
}

std::optional<std::array<double, 3>> energyShares(const Totals& totals)
{
    const double protein = totals.amounts[at(Nutrient::Protein)] * 4;
    const double fat = totals.amounts[at(Nutrient::Fat)] * 9;
    const double carbohydrate = totals.amounts[at(Nutrient::Carbohydrate)] * 4;
    const double sum = protein + fat + carbohydrate;
    if (!(sum > 0))
        return std::nullopt;
    return std::array<double, 3>{protein * 100 / sum, fat * 100 / sum, carbohydrate * 100 / sum};
}

QString guidelineLine(const Totals& totals, bool anyItem)
{
    if (!anyItem)
        return QString();
    QStringList parts;
    if (const auto shares = energyShares(totals)) {
        const std::pair<const char16_t*, Range> names[] = {
            {u"蛋白质", proteinShare}, {u"脂肪", fatShare}, {u"碳水", carbohydrateShare}};
        QStringList shown;
        for (std::size_t s = 0; s < 3; ++s) {
            const auto& [name, range] = names[s];
            const long share = std::lround((*shares)[s]);
            QString text = QString::fromUtf16(name) + QStringLiteral(" %1%").arg(share);
            if (share < range.low || share > range.high)
                text += QStringLiteral("（%1，宜 %2–%3%）")
                            .arg(share < range.low ? QStringLiteral("偏低") : QStringLiteral("偏高"))
                            .arg(range.low)
                            .arg(range.high);
            shown << text;
        }
        parts << QStringLiteral("能量来自") + shown.join(QStringLiteral("、"));
    }
    const double salt = saltGrams(totals.amounts[at(Nutrient::Sodium)]);
    QString saltText = QStringLiteral("盐 ") + grams(salt, totals.atLeast[at(Nutrient::Sodium)], 1);
    if (std::round(salt * 10) / 10 >= saltLimit)
        saltText += QStringLiteral("（偏多，宜少于 %1 克）").arg(saltLimit);
    parts << saltText;
    const double fibre = totals.amounts[at(Nutrient::Fibre)];
    QString fibreText = QStringLiteral("膳食纤维 ") + grams(fibre, totals.atLeast[at(Nutrient::Fibre)]);
    if (std::lround(fibre) < fibreRange.low)
        fibreText += QStringLiteral("（偏少，宜 %1–%2 克）").arg(fibreRange.low).arg(fibreRange.high);
    parts << fibreText;
    return parts.join(QStringLiteral("；"));
}

QString summaryLine(const Totals& totals)
{
    return QStringLiteral("今天蛋白质 %1，盐 %2")
        .arg(grams(totals.amounts[at(Nutrient::Protein)], totals.atLeast[at(Nutrient::Protein)]),
             grams(saltGrams(totals.amounts[at(Nutrient::Sodium)]), totals.atLeast[at(Nutrient::Sodium)], 1));
}

} // namespace nutrients
