// Fuzz target: the dataset front, given any command text on a real file: it never crashes and never writes.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "fuzz_support.h"

#include <cstddef>
#include <cstdint>

namespace {

// A small data.Mdb with every kind of value a field can hold, made once per process.
const QByteArray& original()
{
    static const QByteArray bytes = [] {
        const QByteArray schema = fuzz::readAll(QStringLiteral(TEVU_SOURCE_DIR "/resources/content/schema.sql"));
        if (schema.isEmpty())
            fuzz::finding("cannot read resources/content/schema.sql");
        // The shipped tables, and beside them what another program may have added: an index, a view, a trigger.
        const QString extra = QStringLiteral(
            "CREATE INDEX rj_time ON rj(time);"
            "CREATE VIEW heavy AS SELECT * FROM rj WHERE lb > 120;"
            "CREATE TRIGGER stamp AFTER INSERT ON rj BEGIN UPDATE plan SET foodsport = 'x'; END;"
            "INSERT INTO \"02\" VALUES('谷类'),(NULL),(x'ff00fe');"
            "INSERT INTO \"01\" VALUES('谷类','米饭','116'),('谷类','馒头',223),('x',NULL,1e308);"
            "INSERT INTO sp VALUES('一','甲'),('二',x'00');"
            "INSERT INTO rj VALUES('2026-12-07 08:30:15.123','今天',120.5),(46000.25,'OLE',130),"
            "('昨天','坏',x'31'),(NULL,NULL,NULL),(9223372036854775807,'大','-1e400'),('2026-02-30','无效日期','很重');"
            "INSERT INTO plan VALUES('一'),('二'),('三'),('四'),('五'),('六'),('日');");
        try {
            const sqlite::Database db = sqlite::open(fuzz::databasePath(), sqlite::OpenMode::Create);
            sqlite::exec(db.get(), QStringLiteral("PRAGMA journal_mode=DELETE"), fuzz::databasePath());
            sqlite::execScript(db.get(), QString::fromUtf8(schema) + u'\n' + extra, fuzz::databasePath());
        } catch (const DataError& e) {
            fuzz::finding("cannot make the fuzzing database", e.message());
        }
        return fuzz::readAll(fuzz::databasePath());
    }();
    return bytes;
}

void readEverything(Dataset& dataset)
{
    const int rows = dataset.recordCount();
    dataset.first();
    for (int row = 0; row < rows; ++row) {
        for (const QString& field : dataset.fieldNames()) {
            dataset.fieldKind(field);
            dataset.isNull(field);
            dataset.asText(field);
            try {
                dataset.asNumber(field);
            } catch (const DataError&) {
            }
        }
        dataset.next();
    }
    dataset.last();
    dataset.prior();
    dataset.moveTo(rows / 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray& before = original();
    const QString command = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        Connection connection(fuzz::scratchFolder());
        Dataset dataset(QStringLiteral("ADODataSet_fuzz"), connection);
        try {
            connection.openDatabase();
            fuzz::boundWork(connection.handle());
            dataset.setCommandText(command);
            dataset.open();
            readEverything(dataset);
            dataset.close();
        } catch (const DataError& e) {
            if (e.message().isEmpty())
                fuzz::finding("an error without a message for", command);
        }
    }
    if (fuzz::readAll(fuzz::databasePath()) != before)
        fuzz::finding("the command text changed the file:", command);
    if (!fuzz::strays().isEmpty())
        fuzz::finding("the command text left files beside it:",
                      command + QStringLiteral(" -> ") + fuzz::strays().join(u' '));
    return 0;
}
