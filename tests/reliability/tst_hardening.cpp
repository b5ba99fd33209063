// How the program opens and writes data.Mdb: never created, distrusted schema, safe settings, no user text in SQL.
#include "data/sqlite.h"
#include "faultvfs.h"
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace reliability;

namespace {

QVariant pragma(sqlite3* db, const char* sql)
{
    sqlite::Statement statement(db, QString::fromLatin1(sql), QString());
    return statement.step() ? statement.value(0) : QVariant();
}

void writeEntry(Windows& w, const QString& text, const QString& weight)
{
    Windows::click(w.button(QStringLiteral("Image13")));
    w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->setPlainText(text);
    w.find<QLineEdit>(QStringLiteral("Edit1"))->setText(weight);
    Windows::click(w.button(QStringLiteral("Image15")));
}

void savePlan(Windows& w, const QStringList& texts)
{
    for (int day = 0; day < 7; ++day)
        w.plan->dayBox(day)->setPlainText(texts[day]);
    w.plan->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
}

int traceStatement(unsigned, void* context, void* statement, void*)
{
    static_cast<QStringList*>(context)->append(QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement))));
    return 0;
}

} // namespace

class TestHardening : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        saveUnlikelyWeightsWithoutAsking();
        useProgramLocale();
        faultvfs::install();
    }

    void theFileIsOpenedForReadingAndWritingButNeverCreated()
    {
        TempDatabase db;
        faultvfs::watch(db.folder());
        {
            Windows w(db.folder());
            QVERIFY(w.reporter.messages.isEmpty());
        }
        const QList<faultvfs::Opened> opened = faultvfs::opened();
        faultvfs::stopWatching();
        bool seen = false;
        for (const faultvfs::Opened& file : opened) {
            if (!(file.flags & SQLITE_OPEN_MAIN_DB))
                continue;
            seen = true;
            QVERIFY(file.flags & SQLITE_OPEN_READWRITE);
            QVERIFY2(!(file.flags & SQLITE_OPEN_CREATE), "the program may create data.Mdb");
        }
        QVERIFY(seen);

        // And where there is none, none appears, whatever the user does.
        QTemporaryDir empty;
        {
            Windows w(empty.path());
            for (const char* name : {"Image8", "Image5", "Image6", "Image7", "Image9", "Image13", "Image15"})
                Windows::click(w.button(QLatin1String(name)));
            QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image10"))); }));
            QVERIFY(whileModal([&] { Windows::click(w.button(QStringLiteral("Image11"))); }));
            w.plan->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            for (const QString& message : w.reporter.messages)
                QVERIFY2(message.contains(empty.filePath(QStringLiteral("data.Mdb"))) ||
                             message.startsWith(QLatin1String("ADODataSet")),
                         qPrintable(message));
        }
        QCOMPARE(QDir(empty.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void theConnectionDistrustsTheSchemaChecksCellsAndSyncsEverything()
    {
        TempDatabase db;
        Windows w(db.folder());
        sqlite3* handle = w.data->ADOCN.handle();
        QVERIFY(handle);
        QCOMPARE(pragma(handle, "PRAGMA trusted_schema").toInt(), 0);
        QCOMPARE(pragma(handle, "PRAGMA cell_size_check").toInt(), 1);
        QCOMPARE(pragma(handle, "PRAGMA journal_mode").toString(), QStringLiteral("delete"));
        QCOMPARE(pragma(handle, "PRAGMA synchronous").toInt(), 3);
        QVERIFY(w.data->ADOCN.durable());
    }

    // Something changes the connection's settings behind the program's back: every save is refused in words,
    // nothing is written, and the next start puts the settings back.
    void aConnectionThatCouldLoseEntriesRefusesToSave_data()
    {
        QTest::addColumn<QByteArray>("change");
        for (const char* sync : {"OFF", "NORMAL", "FULL"})
            QTest::addRow("synchronous=%s", sync) << QByteArray("PRAGMA synchronous=") + sync;
        for (const char* mode : {"MEMORY", "OFF", "TRUNCATE", "PERSIST", "WAL"})
            QTest::addRow("journal_mode=%s", mode) << QByteArray("PRAGMA journal_mode=") + mode;
    }

    void aConnectionThatCouldLoseEntriesRefusesToSave()
    {
        QFETCH(QByteArray, change);
        TempDatabase db;
        seedDiary(db.path(), 5, 1, 3);
        seedPlan(db.path(), planTexts(5, 0));
        const Entry entry = diaryEntry(5, 4);
        {
            Windows w(db.folder());
            Windows::click(w.button(QStringLiteral("Image8")));
            QCOMPARE(sqlite3_exec(w.data->ADOCN.handle(), change.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            QVERIFY(!w.data->ADOCN.durable());
            writeEntry(w, entry.text, entry.weightText);
            savePlan(w, planTexts(5, 1));
            const QString refused =
                QStringLiteral("数据库文件“%1”的设置无法保证数据安全写入，已拒绝保存").arg(db.path());
            QCOMPARE(w.reporter.messages, (QStringList{refused, refused}));
            QCOMPARE(w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText(), entry.text);
        }
        QCOMPARE(checkDiary(db.path(), 5, {1, 2, 3}, {}).failure, QString());
        QCOMPARE(planRows(db.path()), planTexts(5, 0));
        QCOMPARE(integrity(db.path()), QStringLiteral("ok"));

        Windows w(db.folder());
        Windows::click(w.button(QStringLiteral("Image8")));
        writeEntry(w, entry.text, entry.weightText);
        QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n')));
        QCOMPARE(checkDiary(db.path(), 5, {1, 2, 3, 4}, {}).failure, QString());
    }

    void userTextNeverBecomesSql()
    {
        TempDatabase db;
        const int tables = db.scalar(QStringLiteral("select count(*) from sqlite_master where type = 'table'")).toInt();
        Windows w(db.folder());
        QStringList statements;
        sqlite3_trace_v2(w.data->ADOCN.handle(), SQLITE_TRACE_STMT, traceStatement, &statements);
        const QString marker = QStringLiteral("标记q7");
        const QStringList attacks{
            QStringLiteral("%1'); DROP TABLE rj; --").arg(marker),
            QStringLiteral("%1\"; DELETE FROM plan; --").arg(marker),
            QStringLiteral("%1' OR '1'='1").arg(marker),
            QStringLiteral("%1; ATTACH 'x' AS y; /*").arg(marker),
            QStringLiteral("%1?1 :a @b $c ?999").arg(marker),
            QStringLiteral("%1\\'); SELECT 1; --").arg(marker),
            QStringLiteral("%1'||(SELECT sql FROM sqlite_master)||'").arg(marker),
        };
        Windows::click(w.button(QStringLiteral("Image8")));
        for (const QString& attack : attacks)
            writeEntry(w, attack, QStringLiteral("120"));
        savePlan(w, attacks);
        QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n')));
        sqlite3_trace_v2(w.data->ADOCN.handle(), 0, nullptr, nullptr);

        QVERIFY(!statements.isEmpty());
        for (const QString& sql : statements)
            QVERIFY2(!sql.contains(marker), qPrintable(QStringLiteral("user text in SQL: ") + sql));
        QStringList stored;
        for (const QString& row : db.rows(QStringLiteral("select demo from rj order by rowid")))
            stored << row;
        QCOMPARE(stored, attacks);
        QCOMPARE(planRows(db.path()), attacks);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from sqlite_master where type = 'table'")).toInt(), tables);
    }

    void theJournalIsOwnerOnlyWhateverTheUmask()
    {
        TempDatabase db;
        QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::WriteOwner));
        const mode_t previous = ::umask(0);
        QList<faultvfs::Opened> opened;
        {
            Windows w(db.folder());
            Windows::click(w.button(QStringLiteral("Image8")));
            faultvfs::watch(db.folder());
            writeEntry(w, QStringLiteral("私密的体重"), QStringLiteral("120"));
            savePlan(w, planTexts(1, 1));
            opened = faultvfs::opened();
            faultvfs::stopWatching();
            QVERIFY(w.reporter.messages.isEmpty());
        }
        ::umask(previous);
        int journals = 0;
        for (const faultvfs::Opened& file : opened) {
            if (!file.path.endsWith(QLatin1String("-journal")))
                continue;
            ++journals;
            QCOMPARE(file.mode, 0600u);
        }
        QCOMPARE(journals, 2);
        QCOMPARE(snapshot(db.path()).mode, 0600u);
    }

    // A data.Mdb that another tool switched to write-ahead logging, with entries still in its log: every entry is
    // read, the file comes back to the program's own journal, and nothing is left beside it.
    void aFileInWriteAheadLogModeKeepsEveryEntryAndComesBack()
    {
        TempDatabase db;
        seedDiary(db.path(), 9, 1, 3);
        {
            const sqlite::Database other = sqlite::open(db.path(), sqlite::OpenMode::ReadWrite);
            sqlite::execScript(other.get(), QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0"),
                               db.path());
            // Entries 4 and 5 stay in the log: the other tool closes without copying them into the file.
            sqlite3_db_config(other.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            sqlite::Statement insert(
                other.get(), QStringLiteral("INSERT INTO rj VALUES('2026-12-01 07:00:00.000', ?, ?)"), db.path());
            for (int seq : {4, 5}) {
                const Entry entry = diaryEntry(9, seq);
                insert.reset();
                insert.bind(1, entry.text);
                insert.bind(2, entry.weight);
                QVERIFY(!insert.step());
            }
        }
        QVERIFY(QFile(db.path() + QStringLiteral("-wal")).size() > 0);
        {
            Windows w(db.folder());
            Windows::click(w.button(QStringLiteral("Image8")));
            QCOMPARE(w.data->ADODataSet_tevu.recordCount(), 5);
            QCOMPARE(pragma(w.data->ADOCN.handle(), "PRAGMA journal_mode").toString(), QStringLiteral("delete"));
            const Entry entry = diaryEntry(9, 6);
            writeEntry(w, entry.text, entry.weightText);
            QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n')));
        }
        QCOMPARE(checkDiary(db.path(), 9, {1, 2, 3, 4, 5, 6}, {}).failure, QString());
        const Snapshot after = snapshot(db.path());
        QCOMPARE(after.folder, QStringList{QStringLiteral("data.Mdb")});
        QCOMPARE(int(after.bytes[18]), 1);
        QCOMPARE(int(after.bytes[19]), 1);
    }
};

QTEST_MAIN(TestHardening)
#include "tst_hardening.moc"
