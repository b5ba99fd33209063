// Waist, hip and body fat: the waist's class on the Chinese bands for central obesity, the waist-to-height and
// waist-to-hip ratios, and how the measures changed. Lengths are in cm, body fat in per cent.
#pragma once

#include "health/body.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace health {

// What a user may enter, ends included.
inline constexpr double minimumGirth = 40;
inline constexpr double maximumGirth = 200;
inline constexpr double minimumBodyFat = 3;
inline constexpr double maximumBodyFat = 70;

// A day's measures; any of them may be missing.
struct Measurement {
    QDate date;
    std::optional<double> waist; // cm
    std::optional<double> hip;   // cm
    std::optional<double> fat;   // %
    bool operator==(const Measurement&) const = default;
};

enum class WaistClass { Normal, PreCentral, Central };
// Where the two upper classes begin: women 80 and 85 cm, men 85 and 90 cm.
struct WaistBands {
    double preCentral = 0;
    double central = 0;
};
WaistBands waistBands(Sex sex);
// Under the first band 正常, up to the second 中心型肥胖前期, from it 中心型肥胖. The waist is taken at the tenth that
// is shown, so that a waist shown as 80 never reads 正常.
WaistClass waistClass(double waistCm, Sex sex);
QString waistClassName(WaistClass waistClass);
// Where the class begins for that sex, for telling the user why: 80 for a woman's 中心型肥胖前期; none for 正常.
std::optional<double> waistClassStart(WaistClass waistClass, Sex sex);

// A waist over half the height is a warning whatever the class.
inline constexpr double waistToHeightWarning = 0.5;
// a ÷ b at two decimals; none for a b that is not above 0.
std::optional<double> ratio(double a, double b);

// "86", "84.9": a measure at its tenth, no trailing zero.
QString measureText(double value);

// The newest value of one measure and how it moved: since the first row that has it, and within the four weeks
// before the newest (from the earliest row dated at most 28 days before it).
inline constexpr int recentDays = 28;
struct Change {
    std::optional<double> newest;
    QDate newestDate;
    std::optional<double> sinceFirst;
    std::optional<double> recent;
};
enum class Measure { Waist, Hip, Fat };
std::optional<double> valueOf(const Measurement& row, Measure measure);
// `rows` in date order.
Change changeOf(const std::vector<Measurement>& rows, Measure measure);

// The means of a month's rows, each over the rows that have that measure.
struct MonthMeans {
    int year = 0;
    int month = 0;
    std::optional<double> waist;
    std::optional<double> fat;
    bool operator==(const MonthMeans&) const = default;
};
// `rows` in date order; months without a waist or a body fat are left out.
std::vector<MonthMeans> byMonth(const std::vector<Measurement>& rows);

} // namespace health
