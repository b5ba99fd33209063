// Damaged data.Mdb files: the program starts, says in words what is wrong with which file, and never writes to it.
#include "data/errors.h"
#include "data/sqlite.h"
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <QtTest>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>

using namespace reliability;

namespace {

enum class Kind { File, Directory, Missing };

struct Variant {
    Kind kind = Kind::File;
    QByteArray bytes;
};

// A diary of some years with articles, foods and a plan: enough pages for damage to land on every kind.
QByteArray healthyFile()
{
    static const QByteArray bytes = [] {
        TempDatabase db;
        db.exec(QStringLiteral("INSERT INTO \"02\" VALUES('谷类'),('蔬菜'),('水果')"));
        QStringList foods, articles;
        for (int i = 0; i < 60; ++i)
            foods << QStringLiteral("('%1','食物%2','%3')")
                         .arg(i % 3 == 0   ? QStringLiteral("谷类")
                              : i % 3 == 1 ? QStringLiteral("蔬菜")
                                           : QStringLiteral("水果"))
                         .arg(i)
                         .arg(10 + i);
        for (int i = 0; i < 12; ++i)
            articles << QStringLiteral("('文章%1','%2')").arg(i).arg(QStringLiteral("正文").repeated(300 + 50 * i));
        db.exec(QStringLiteral("INSERT INTO \"01\" VALUES ") + foods.join(u','));
        for (const char* table : {"sp", "yd", "xd"})
            db.exec(QStringLiteral("INSERT INTO %1 VALUES ").arg(QLatin1String(table)) + articles.join(u','));
        seedDiary(db.path(), 99, 1, 300);
        seedPlan(db.path(), planTexts(99, 0));
        QFile file(db.path());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    return bytes;
}

int pageSize(const QByteArray& file)
{
    const int size = (static_cast<unsigned char>(file[16]) << 8) | static_cast<unsigned char>(file[17]);
    return size == 1 ? 65536 : size;
}

// Reads everything the program reads, from a copy, through a read-only connection of the test's own.
struct Oracle {
    bool startUpFails = false; // opening, the schema, or the two tables of the food tree
    bool anythingFails = false;
};

Oracle consult(const Variant& variant)
{
    Oracle oracle;
    if (variant.kind != Kind::File) {
        oracle.startUpFails = oracle.anythingFails = true;
        return oracle;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.Mdb"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(variant.bytes);
    file.close();
    sqlite::Database db;
    const auto run = [&](const char* sql) {
        try {
            sqlite::Statement statement(db.get(), QString::fromLatin1(sql), path);
            while (statement.step())
                for (int c = 0; c < statement.columnCount(); ++c)
                    statement.read(c);
            return true;
        } catch (const DataError&) {
            return false;
        }
    };
    try {
        db = sqlite::open(path, sqlite::OpenMode::ReadWrite);
    } catch (const DataError&) {
    }
    if (!db || !run("PRAGMA cell_size_check=ON") || !run("SELECT count(*) FROM sqlite_master") ||
        !run("SELECT * FROM \"02\"") || !run("SELECT * FROM \"01\"")) {
        oracle.startUpFails = oracle.anythingFails = true;
    } else {
        for (const char* sql :
             {"SELECT * FROM sp", "SELECT * FROM yd", "SELECT * FROM xd", "SELECT * FROM rj", "SELECT * FROM plan"})
            oracle.anythingFails = !run(sql) || oracle.anythingFails;
    }
    return oracle;
}

void setOldTime(const QString& path)
{
    // An old time stamp, so that any write shows however fast it comes.
    const timespec times[2] = {{1577836800, 0}, {1577836800, 0}};
    ::utimensat(AT_FDCWD, path.toUtf8().constData(), times, AT_SYMLINK_NOFOLLOW);
}

} // namespace

Q_DECLARE_METATYPE(Variant)

class TestDamaged : public QObject {
    Q_OBJECT

    int m_variants = 0;
    int m_reported = 0;

private slots:
    void initTestCase() { useProgramLocale(); }
    void cleanupTestCase()
    {
        qInfo("damaged: %d files opened (one of them the undamaged control), %d of them reported by the program, "
              "none written",
              m_variants, m_reported);
    }

    void theProgramSaysWhatIsWrongAndNeverWrites_data()
    {
        QTest::addColumn<Variant>("variant");
        const QByteArray healthy = healthyFile();
        const int page = pageSize(healthy);
        const int pages = static_cast<int>(healthy.size() / page);
        QVERIFY(pages >= 20);
        std::mt19937_64 random(20261207);
        const auto randomBytes = [&](qsizetype size) {
            QByteArray bytes(size, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random());
            return bytes;
        };

        QTest::newRow("healthy (control)") << Variant{Kind::File, healthy};
        // Every page boundary near the start, where the schema and the small tables are, then every tenth.
        for (int k = 1; k < pages; k += k < 12 ? 1 : 10)
            QTest::addRow("cut after page %d of %d", k, pages)
                << Variant{Kind::File, healthy.left(qsizetype(k) * page)};
        QTest::addRow("last page cut off") << Variant{Kind::File, healthy.left(healthy.size() - page)};
        for (const int size : {50, 100, 1000, page + 1, page * 3 - 7})
            QTest::addRow("cut at byte %d", size) << Variant{Kind::File, healthy.left(size)};
        for (const qsizetype size : {qsizetype(100), qsizetype(4096), qsizetype(12345), healthy.size()})
            QTest::addRow("%lld random bytes", static_cast<long long>(size)) << Variant{Kind::File, randomBytes(size)};
        // Every byte of the header flipped in turn: some are harmless, most are not.
        for (int offset = 0; offset < 100; ++offset) {
            QByteArray bytes = healthy;
            bytes[offset] = static_cast<char>(bytes[offset] ^ 0xff);
            QTest::addRow("header byte %d flipped", offset) << Variant{Kind::File, bytes};
        }
        for (const int target : {0, 1, pages / 2, pages - 1}) {
            QByteArray noise = healthy;
            const qsizetype start = qsizetype(target) * page + (target == 0 ? 100 : 0);
            noise.replace(start, page - (target == 0 ? 100 : 0), randomBytes(page - (target == 0 ? 100 : 0)));
            QTest::addRow("page %d of %d overwritten with noise", target + 1, pages) << Variant{Kind::File, noise};
            QByteArray zeros = healthy;
            zeros.replace(start, page - (target == 0 ? 100 : 0), QByteArray(page - (target == 0 ? 100 : 0), '\0'));
            QTest::addRow("page %d of %d zeroed", target + 1, pages) << Variant{Kind::File, zeros};
        }
        QTest::newRow("0 bytes") << Variant{Kind::File, QByteArray()};
        QTest::newRow("a text file") << Variant{Kind::File, QByteArray("我的体重记录\n2026-12-07 61.5kg\n")};
        QTest::newRow("only the header") << Variant{Kind::File, healthy.left(100)};
        QTest::newRow("a folder named data.Mdb") << Variant{Kind::Directory, QByteArray()};
        QTest::newRow("no file at all") << Variant{Kind::Missing, QByteArray()};
    }

    void theProgramSaysWhatIsWrongAndNeverWrites()
    {
        QFETCH(Variant, variant);
        ++m_variants;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data.Mdb"));
        if (variant.kind == Kind::File) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(variant.bytes);
            file.close();
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
            setOldTime(path);
        } else if (variant.kind == Kind::Directory) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("data.Mdb")));
            setOldTime(path);
        }
        const Oracle oracle = consult(variant);
        const Snapshot before = snapshot(path);

        QStringList startUp, later;
        {
            Windows w(dir.path());
            QVERIFY(w.main->isVisible());
            startUp = w.reporter.messages;
            // Every view and window that reads the file, as a user would open them.
            for (const char* name : {"Image8", "Image5", "Image12", "Image12", "Image2", "Image6", "Image7", "Image9"})
                Windows::click(w.button(QLatin1String(name)));
            auto* tree = w.foodTree();
            if (tree->topLevelItemCount() > 0) {
                tree->topLevelItem(0)->setExpanded(true);
                tree->setCurrentItem(tree->topLevelItem(0)->child(0) ? tree->topLevelItem(0)->child(0)
                                                                     : tree->topLevelItem(0));
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                                  tree->visualItemRect(tree->currentItem()).center());
            }
            QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image10"))); }));
            QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image11"))); }));
            later = w.reporter.messages.mid(startUp.size());
        }

        const QStringList all = startUp + later;
        if (qEnvironmentVariableIsSet("TEVU_VERBOSE"))
            qInfo().noquote() << "start-up:" << startUp << "later:" << later;
        // Start-up names the file; a later view may instead give the dataset's own error about what the failed
        // start left it (a closed dataset, a missing field).
        for (const QString& message : startUp)
            QVERIFY2(message.contains(path), qPrintable(QStringLiteral("does not name the file: ") + message));
        static const QRegularExpression datasetError(QStringLiteral("^ADODataSet\\w*: "));
        for (const QString& message : later)
            QVERIFY2(message.contains(path) || datasetError.match(message).hasMatch(),
                     qPrintable(QStringLiteral("neither names the file nor is a dataset's error: ") + message));
        if (oracle.startUpFails)
            QVERIFY2(!startUp.isEmpty(), "the program started on a damaged file without a word");
        if (oracle.anythingFails)
            QVERIFY2(!all.isEmpty(), "the program read a damaged file without a word");
        else
            QVERIFY2(all.isEmpty(), qPrintable(all.join(u'\n')));
        m_reported += all.isEmpty() ? 0 : 1;

        const Snapshot after = snapshot(path);
        QVERIFY2(before == after, qPrintable(difference(before, after)));
    }
};

QTEST_MAIN(TestDamaged)
#include "tst_damaged.moc"
