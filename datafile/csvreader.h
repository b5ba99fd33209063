// Reading the diary's CSV file: bytes in, entries out, or an error naming the line and column. No database here.
#pragma once

#include "health/measure.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace datafile {

// The header line's three column names, in the order that the export writes them.
inline constexpr char16_t timeColumn[] = u"时间";
inline constexpr char16_t weightColumn[] = u"体重(斤)";
inline constexpr char16_t textColumn[] = u"日记";

// The columns of the body's measures' file, in the order that its export writes them.
inline constexpr char16_t dateColumn[] = u"日期";
inline constexpr char16_t waistColumn[] = u"腰围(厘米)";
inline constexpr char16_t hipColumn[] = u"臀围(厘米)";
inline constexpr char16_t fatColumn[] = u"体脂率(%)";

// How much of a time the file gave: the number of leading characters of the stored form that it fixes.
enum class TimePrecision { Day = 10, Minute = 16, Second = 19, Millisecond = 23 };

struct CsvEntry {
    char time[24]; // "yyyy-MM-dd HH:mm:ss.zzz", what the file did not give as zeros
    TimePrecision precision = TimePrecision::Millisecond;
    std::optional<double> weight;
    QByteArray text; // UTF-8, as the diary stores it
};

// A text that a spreadsheet would take for a formula (it begins with =, +, -, @, a tab or a carriage return, after
// any apostrophes) is written with one apostrophe before it, which the reader takes off again.
bool needsFormulaGuard(QByteArrayView text);

// The kinds of file the reader knows, by their header lines.
enum class CsvFormat {
    Tevu,         // 时间,体重(斤),日记
    OpenScale,    // DATE,TIME,… or dateTime,weight,…; ',' or ';' with dd.MM.yyyy HH:mm; kilograms
    Libra,        // "#Version:", "#Units:" and a '#'-header; ';'; times in UTC; its trend column ignored
    TrendWeight,  // Date,Actual Weight,…; the days it filled in itself skipped
    Wger,         // Date,Weight in kilograms
    Plain,        // a date and a weight whose header names its unit: 日期,体重(kg)
    Measurements, // a date and any of 腰围(厘米), 臀围(厘米), 体脂率(%); no weight
};
// The format's name as the import says it.
QString formatName(CsvFormat format);

struct CsvFile {
    CsvFormat format = CsvFormat::Tevu;
    std::vector<CsvEntry> entries;
    qint64 skipped = 0; // rows that are no weighing: a trend program's filled-in days
    // The waist, hip and body fat that a file gives beside or instead of the weight, one a date by date (a later row
    // of a date fills in or replaces what an earlier one gave); a 0, which openScale writes for what was not measured,
    // is none.
    std::vector<health::Measurement> measurements;
};

// Every entry of a CSV file (`fileName` only names it in messages): UTF-8 with or without the mark, or GB18030; CRLF
// or LF; RFC 4180 quoting. Tevu's own file: the three columns found by their header names, in any order, other columns
// ignored; times as stored or as a spreadsheet writes them back (without milliseconds or seconds, '/' between the
// date's parts, one-digit months, days and hours). Other programs' exports (see CsvFormat): weights in kilograms or
// pounds turned into 斤 (rounded to 0.01), times given in UTC turned into local time, the comment as the text.
// Throws DataError naming the line and the column of the first bad field.
CsvFile readCsv(const QByteArray& file, const QString& fileName);

} // namespace datafile
