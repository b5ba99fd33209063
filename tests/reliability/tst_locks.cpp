// Another program holding data.Mdb locked while the user saves: a short lock is waited out, a long one is reported.
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace reliability;

namespace {

constexpr std::uint64_t series = 4242;
constexpr int seeded = 5;

// Another program: its own process and connection, holding an exclusive lock.
class Holder {
public:
    // ms < 0: until release() is called.
    Holder(const QString& folder, int ms)
    {
        m_process.start(QStringLiteral(DIARY_WRITER), {QStringLiteral("hold"), folder, QString::number(ms)});
        QByteArray seen;
        while (!seen.contains("locked\n") && m_process.waitForReadyRead(60000))
            seen = m_process.peek(4096);
        m_locked = seen.contains("locked\n");
    }
    ~Holder()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    bool locked() const { return m_locked; }
    bool release()
    {
        m_process.closeWriteChannel();
        return finished();
    }
    bool finished()
    {
        return m_process.waitForFinished(60000) && m_process.exitCode() == 0 &&
               m_process.readAllStandardOutput().contains("released\n");
    }

private:
    QProcess m_process;
    bool m_locked = false;
};

// A diary kept for a while, with version 0 of the plan.
struct Kept {
    TempDatabase db;
    Kept()
    {
        seedDiary(db.path(), series, 1, seeded);
        seedPlan(db.path(), planTexts(series, 0));
    }
};

// The program on it with a new entry and plan version 1 typed, not yet saved.
struct Diary : Kept {
    Windows w;
    Entry entry = diaryEntry(series, seeded + 1);

    Diary() : w(db.folder(), false)
    {
        Windows::click(w.button(QStringLiteral("Image8")));
        Windows::click(w.button(QStringLiteral("Image13")));
        memo()->setPlainText(entry.text);
        w.find<QLineEdit>(QStringLiteral("Edit1"))->setText(entry.weightText);
        const QStringList texts = planTexts(series, 1);
        for (int day = 0; day < 7; ++day)
            w.plan->dayBox(day)->setPlainText(texts[day]);
    }
    QPlainTextEdit* memo() const { return w.find<QPlainTextEdit>(QStringLiteral("Memo1")); }
    void saveEntry() { Windows::click(w.button(QStringLiteral("Image15"))); }
    void savePlan() { w.plan->findChild<QPushButton*>(QStringLiteral("Button1"))->click(); }
    QSet<int> seededEntries() const
    {
        QSet<int> set;
        for (int i = 1; i <= seeded; ++i)
            set.insert(i);
        return set;
    }
};

} // namespace

class TestLocks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useProgramLocale();
        saveUnlikelyWeightsWithoutAsking();
    }

    void aLockShorterThanTheWaitIsWaitedOut()
    {
        Diary d;
        {
            Holder holder(d.db.folder(), 1500);
            QVERIFY(holder.locked());
            d.saveEntry();
            QVERIFY(holder.finished());
        }
        QVERIFY2(d.w.reporter.messages.isEmpty(), qPrintable(d.w.reporter.messages.join(u'\n')));
        QVERIFY(d.memo()->isReadOnly());
        QCOMPARE(checkDiary(d.db.path(), series, d.seededEntries() + QSet<int>{d.entry.seq}, {}).failure, QString());
        {
            Holder holder(d.db.folder(), 1500);
            QVERIFY(holder.locked());
            d.savePlan();
            QVERIFY(holder.finished());
        }
        QVERIFY2(d.w.reporter.messages.isEmpty(), qPrintable(d.w.reporter.messages.join(u'\n')));
        QCOMPARE(planRows(d.db.path()), planTexts(series, 1));
    }

    void aLockLongerThanTheWaitIsReportedAndTheRetryStoresOnce()
    {
        Diary d;
        const QString busy = QStringLiteral("数据库文件“%1”正被其他程序使用，请稍后再试").arg(d.db.path());
        const Snapshot before = snapshot(d.db.path());
        {
            Holder holder(d.db.folder(), -1);
            QVERIFY(holder.locked());
            d.saveEntry();
            QCOMPARE(d.w.reporter.messages, QStringList{busy});
            QCOMPARE(d.memo()->toPlainText(), d.entry.text);
            QVERIFY(!d.memo()->isReadOnly());
            d.savePlan();
            QCOMPARE(d.w.reporter.messages, (QStringList{busy, busy}));
            for (int day = 0; day < 7; ++day)
                QCOMPARE(d.w.plan->dayBox(day)->toPlainText(), planTexts(series, 1)[day]);
            QVERIFY(holder.release());
        }
        // Nothing of either save, and nothing of the other program's undone change, reached the file.
        const Snapshot after = snapshot(d.db.path());
        QVERIFY2(before == after, qPrintable(difference(before, after)));
        QCOMPARE(integrity(d.db.path()), QStringLiteral("ok"));

        d.saveEntry();
        d.savePlan();
        QCOMPARE(d.w.reporter.messages.size(), 2);
        QVERIFY(d.memo()->isReadOnly());
        QCOMPARE(checkDiary(d.db.path(), series, d.seededEntries() + QSet<int>{d.entry.seq}, {}).failure, QString());
        QCOMPARE(planRows(d.db.path()), planTexts(series, 1));
    }
};

QTEST_MAIN(TestLocks)
#include "tst_locks.moc"
