// The diary as a CSV file that a Chinese spreadsheet opens with a double click, and back.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace datafile {

// The header line's three column names, in the order that the export writes them.
inline constexpr char16_t timeColumn[] = u"时间";
inline constexpr char16_t weightColumn[] = u"体重(斤)";
inline constexpr char16_t textColumn[] = u"日记";

// Writes every diary entry of the data file at `dataPath` in stored order: UTF-8 with a byte-order mark, CRLF, RFC 4180
// quoting; the time as stored, the weight in its shortest form with a point (empty when none), the text as stored.
// Returns the number of entries written.
qint64 exportCsv(const QString& dataPath, QIODevice& out);

// A time in one of the forms that a spreadsheet writes back (as stored, without milliseconds or seconds, '/' between
// the date's parts, one-digit months, days and hours) in the stored form; nothing when it does not read.
std::optional<QString> csvTimeToStored(QStringView text);

struct ImportResult {
    qint64 added = 0;
    qint64 skipped = 0;
};
// Rows read so far and in all; called now and then while an import runs.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Adds the entries of a CSV file (its bytes; `fileName` only names it in messages): UTF-8 with or without the mark or
// GB18030, CRLF or LF, the columns found by their header names. Rows equal to an entry already in the diary are
// skipped. One transaction: a bad row throws DataError naming its line and column, and nothing is written. Afterwards
// the diary's rows stand in time order (equal times keep their order).
ImportResult importCsv(const QString& dataPath, const QByteArray& file, const QString& fileName,
                       const Progress& progress = {});

} // namespace datafile
