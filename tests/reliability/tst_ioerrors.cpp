// Writes and syncs failing at every step of a save, and a full disk: told, whole or nothing, a retry stores once.
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

using namespace reliability;

namespace {

constexpr std::uint64_t series = 20261207;
constexpr int seeded = 5;

enum class Target { ShortEntry, LongEntry, Plan };

// The first entry after the seeded ones that is short (a few lines), or long (over several pages of the file).
Entry entryFor(Target target)
{
    for (int seq = seeded + 1;; ++seq) {
        const Entry entry = diaryEntry(series, seq);
        if ((target == Target::LongEntry) == (entry.text.size() > 8000))
            return entry;
    }
}

QSet<int> seededEntries()
{
    QSet<int> set;
    for (int i = 1; i <= seeded; ++i)
        set.insert(i);
    return set;
}

// A file as the program left it, copied with its journal so that checking it does not roll anything back under
// the program's feet.
QString copyAside(const QString& path, QTemporaryDir& aside)
{
    const QString copy = aside.filePath(QStringLiteral("data.Mdb"));
    QFile::copy(path, copy);
    if (QFile::exists(path + QStringLiteral("-journal")))
        QFile::copy(path + QStringLiteral("-journal"), copy + QStringLiteral("-journal"));
    return copy;
}

struct Setup {
    TempDatabase db;
    std::unique_ptr<Windows> w;

    explicit Setup(Target target)
    {
        seedDiary(db.path(), series, 1, seeded);
        seedPlan(db.path(), planTexts(series, 0));
        w = std::make_unique<Windows>(db.folder(), false);
        if (target == Target::Plan) {
            const QStringList texts = planTexts(series, 1);
            for (int day = 0; day < 7; ++day)
                w->plan->dayBox(day)->setPlainText(texts[day]);
        } else {
            const Entry entry = entryFor(target);
            Windows::click(w->button(QStringLiteral("Image8")));
            Windows::click(w->button(QStringLiteral("Image13")));
            memo()->setPlainText(entry.text);
            weight()->setText(entry.weightText);
        }
    }

    QPlainTextEdit* memo() const { return w->find<QPlainTextEdit>(QStringLiteral("Memo1")); }
    QLineEdit* weight() const { return w->find<QLineEdit>(QStringLiteral("Edit1")); }

    void save(Target target) const
    {
        if (target == Target::Plan)
            w->plan->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        else
            Windows::click(w->button(QStringLiteral("Image15")));
    }
};

struct Counts {
    int operations = 0;
    int writes = 0;
};

// The counted operations of one save that meets no fault.
Counts measure(Target target)
{
    Setup setup(target);
    faultvfs::watch(setup.db.folder());
    setup.save(target);
    Counts counts{faultvfs::operationCount(), faultvfs::writeCount()};
    faultvfs::stopWatching();
    if (!setup.w->reporter.messages.isEmpty())
        qFatal("ioerrors: a save without faults reported %s", qPrintable(setup.w->reporter.messages.join(u'\n')));
    return counts;
}

const char* nameOf(Target target)
{
    switch (target) {
    case Target::ShortEntry:
        return "entry";
    case Target::LongEntry:
        return "long entry";
    case Target::Plan:
        return "plan";
    }
    return "";
}

} // namespace

Q_DECLARE_METATYPE(Target)
Q_DECLARE_METATYPE(faultvfs::Fault)

class TestIoErrors : public QObject {
    Q_OBJECT

    int m_runs = 0;

private slots:
    void initTestCase()
    {
        saveUnlikelyWeightsWithoutAsking();
        useProgramLocale();
        faultvfs::install();
    }

    void cleanupTestCase()
    {
        qInfo("ioerrors: %d faulty saves, each reported, none half-stored, each retry stored once", m_runs);
    }

    void everyFailingOperationOfASave_data()
    {
        QTest::addColumn<Target>("target");
        QTest::addColumn<faultvfs::Fault>("fault");
        QTest::addColumn<bool>("persistent");
        QTest::addColumn<int>("n");
        for (Target target : {Target::ShortEntry, Target::LongEntry, Target::Plan}) {
            const Counts counts = measure(target);
            for (const auto fault : {faultvfs::Fault::IoError, faultvfs::Fault::DiskFull}) {
                const bool full = fault == faultvfs::Fault::DiskFull;
                for (const bool persistent : {false, true}) {
                    for (int n = 1; n <= (full ? counts.writes : counts.operations); ++n)
                        QTest::addRow("%s, %s %s %d", nameOf(target),
                                      full ? "disk full at write" : "I/O error at operation",
                                      persistent ? "and after," : "once,", n)
                            << target << fault << persistent << n;
                }
            }
        }
    }

    void everyFailingOperationOfASave()
    {
        QFETCH(Target, target);
        QFETCH(faultvfs::Fault, fault);
        QFETCH(bool, persistent);
        QFETCH(int, n);
        ++m_runs;
        Setup setup(target);
        const QString path = setup.db.path();
        const Entry entry = entryFor(target);
        const QStringList newPlan = planTexts(series, 1);

        faultvfs::watch(setup.db.folder());
        faultvfs::failAt(n, fault, persistent);
        setup.save(target);
        const QStringList trace = faultvfs::trace();
        QVERIFY2(faultvfs::faultsDelivered() > 0, "the save no longer has that many operations");
        faultvfs::stopWatching();

        // Told once, in words that say what happened and to which file.
        const QString expected = fault == faultvfs::Fault::DiskFull
                                     ? QStringLiteral("磁盘已满，无法写入数据库文件“%1”").arg(path)
                                     : QStringLiteral("读写数据库文件“%1”时出错").arg(path);
        QVERIFY2(
            setup.w->reporter.messages == QStringList{expected},
            qPrintable(setup.w->reporter.messages.join(u'\n') + QStringLiteral("\noperations:\n") + trace.join(u'\n')));

        // What the user typed is still there to save again.
        if (target == Target::Plan) {
            for (int day = 0; day < 7; ++day)
                QCOMPARE(setup.w->plan->dayBox(day)->toPlainText(), newPlan[day]);
        } else {
            QCOMPARE(setup.memo()->toPlainText(), entry.text);
            QVERIFY(!setup.memo()->isReadOnly());
            QCOMPARE(setup.weight()->text(), entry.weightText);
            QVERIFY(setup.w->main->writingDiary());
        }

        // As the file stands now (with any journal it has), the save is there whole or not at all.
        {
            QTemporaryDir aside;
            const QString copy = copyAside(path, aside);
            QCOMPARE(integrity(copy), QStringLiteral("ok"));
            if (target == Target::Plan) {
                const QStringList rows = planRows(copy);
                QVERIFY2(rows == planTexts(series, 0) || rows == newPlan, qPrintable(rows.join(u'|').left(300)));
                const DiaryOutcome diary = checkDiary(copy, series, seededEntries(), {});
                QVERIFY2(diary.failure.isEmpty(), qPrintable(diary.failure));
            } else {
                const DiaryOutcome diary = checkDiary(copy, series, seededEntries(), {entry.seq});
                QVERIFY2(diary.failure.isEmpty(), qPrintable(diary.failure + u'\n' + trace.join(u'\n')));
            }
        }

        // The disk works again and the user presses the button once more: stored once.
        setup.save(target);
        QVERIFY2(setup.w->reporter.messages.size() == 1, qPrintable(setup.w->reporter.messages.join(u'\n')));
        QCOMPARE(integrity(path), QStringLiteral("ok"));
        if (target == Target::Plan) {
            QCOMPARE(planRows(path), newPlan);
        } else {
            QVERIFY(setup.memo()->isReadOnly());
            QSet<int> all = seededEntries();
            all.insert(entry.seq);
            const DiaryOutcome diary = checkDiary(path, series, all, {});
            QVERIFY2(diary.failure.isEmpty(), qPrintable(diary.failure + u'\n' + trace.join(u'\n')));
            // And the program itself lists it once.
            Windows::click(setup.w->button(QStringLiteral("Image8")));
            QCOMPARE(setup.w->data->ADODataSet_tevu.recordCount(), seeded + 1);
            QCOMPARE(setup.w->reporter.messages.size(), 1);
        }
    }

    // The last operation of a diary save is the folder's sync after the journal is gone: when only that fails, the
    // entry is in the file although the user was told it was not. Edited and saved again, it is still one entry.
    void aRetryAfterTheEntryReachedTheFileKeepsOneEntryWithTheNewText()
    {
        const Counts counts = measure(Target::ShortEntry);
        Setup setup(Target::ShortEntry);
        const Entry entry = entryFor(Target::ShortEntry);
        faultvfs::watch(setup.db.folder());
        faultvfs::failAt(counts.operations, faultvfs::Fault::IoError, false);
        setup.save(Target::ShortEntry);
        QVERIFY(faultvfs::trace().last().contains(QLatin1String("sync-directory")));
        faultvfs::stopWatching();
        QCOMPARE(setup.w->reporter.messages.size(), 1);
        QCOMPARE(checkDiary(setup.db.path(), series, seededEntries() + QSet<int>{entry.seq}, {}).failure, QString());

        const QString edited = entry.text + QStringLiteral("\n补一句：晚上又走了半小时");
        setup.memo()->setPlainText(edited);
        setup.weight()->setText(QStringLiteral("119.5"));
        setup.save(Target::ShortEntry);
        QCOMPARE(setup.w->reporter.messages.size(), 1);
        QVERIFY(setup.memo()->isReadOnly());
        const TempDatabase& db = setup.db;
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), seeded + 1);
        QCOMPARE(db.rows(QStringLiteral("select demo, lb from rj order by rowid desc limit 1")),
                 QStringList{edited + QStringLiteral("|119.5")});

        // A new entry after that is an entry of its own.
        Windows::click(setup.w->button(QStringLiteral("Image13")));
        setup.memo()->setPlainText(edited);
        setup.weight()->setText(QStringLiteral("119.5"));
        setup.save(Target::ShortEntry);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from rj")).toInt(), seeded + 2);
    }
};

QTEST_MAIN(TestIoErrors)
#include "tst_ioerrors.moc"
