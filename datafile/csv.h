// The diary as a CSV file that a Chinese spreadsheet opens with a double click, and back.
#pragma once

#include "datafile/csvreader.h"
#include "datafile/partialfile.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

namespace datafile {

// Writes every diary entry of the data file at `dataPath` in stored order: UTF-8 with a byte-order mark, CRLF, the
// time and the text always in quotes (a text that a spreadsheet would take for a formula with an apostrophe before
// it), the weight in its shortest form with a point (empty when none). Returns the number of entries written.
qint64 exportCsv(const QString& dataPath, QIODevice& out);

struct ExportResult {
    qint64 entries = 0;
    Durability durability = Durability::OnDisk;
};
// The same into the file `target`, written whole or not at all and readable by its owner only. Refuses the data file
// itself, a folder and a link.
ExportResult exportCsvFile(const QString& dataPath, const QString& target);

// The food log as a second CSV file with the diary's conventions: 时间,餐次,食物,数量,单位,克,大卡, by time. A file
// without the log gives the heading alone. Returns the number of items written.
ExportResult exportFoodLogFile(const QString& dataPath, const QString& target);

// The body's measures as a further CSV file with the diary's conventions: 日期,腰围(厘米),臀围(厘米),体脂率(%), by
// date, a missing measure empty. A file without them gives the heading alone.
ExportResult exportMeasurementsFile(const QString& dataPath, const QString& target);

struct ImportResult {
    CsvFormat format = CsvFormat::Tevu;
    qint64 added = 0;
    qint64 skipped = 0;      // entries already in the diary
    qint64 notWeighings = 0; // rows of another program's file that it filled in itself
    qint64 measurementsAdded = 0;
    qint64 measurementsSkipped = 0; // dates that had measures already
    Durability durability = Durability::OnDisk;
};
// Rows read so far and in all; called now and then while an import runs.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Adds the entries of a CSV file (its bytes, read by readCsv; `fileName` only names it in messages). A row is skipped
// when the diary already holds the same entry: equal text and weight, and a stored time that falls within what the
// row's time gives (its millisecond, or its second, minute or day when a spreadsheet dropped the rest), or when an
// equal row came earlier in the file. One transaction: a bad row throws DataError naming its line and column, and
// nothing is written. Afterwards the diary's rows stand in time order (equal times keep their order). The body's
// measures the file gives are added in the same transaction for the dates that have none yet.
ImportResult importCsv(const QString& dataPath, const QByteArray& file, const QString& fileName,
                       const Progress& progress = {});

} // namespace datafile
