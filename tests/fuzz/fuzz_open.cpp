// Fuzz target: any file image opened as data.Mdb and read as the program reads it: no crash, no write.
#include "data/connection.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "fuzz_support.h"

#include <cstddef>
#include <cstdint>

namespace {

const char* const commandTexts[] = {"select * from 02", "select * from 01", "select * from sp",  "select * from yd",
                                    "select * from xd", "select * from rj", "select * from plan"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray image(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& stray : fuzz::strays())
        QFile::remove(fuzz::scratchFolder() + u'/' + stray);
    fuzz::writeAll(fuzz::databasePath(), image);
    {
        Connection connection(fuzz::scratchFolder());
        try {
            connection.openDatabase();
            fuzz::boundWork(connection.handle());
            connection.durable();
        } catch (const DataError& e) {
            if (!e.message().contains(fuzz::databasePath()))
                fuzz::finding("an open error that does not name the file:", e.message());
        }
        for (const char* text : commandTexts) {
            Dataset dataset(QStringLiteral("ADODataSet_fuzz"), connection);
            try {
                load(dataset, QString::fromLatin1(text));
                const int rows = dataset.recordCount();
                for (int row = 0; row < rows; ++row, dataset.next())
                    for (const QString& field : dataset.fieldNames()) {
                        dataset.asText(field);
                        try {
                            dataset.asNumber(field);
                        } catch (const DataError&) {
                        }
                    }
            } catch (const DataError& e) {
                if (e.message().isEmpty())
                    fuzz::finding("an error without a message");
            }
        }
    }
    // A file in write-ahead-log mode (bytes 18 and 19 = 2) is a sound database in another journal mode: opening
    // it takes it back to the program's own, which is a write by design.
    if (size > 19 && (data[18] == 2 || data[19] == 2))
        return 0;
    if (fuzz::readAll(fuzz::databasePath()) != image)
        fuzz::finding("opening the image changed it");
    if (!fuzz::strays().isEmpty())
        fuzz::finding("opening the image left files beside it:", fuzz::strays().join(u' '));
    return 0;
}
