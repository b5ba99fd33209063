// The program killed at random moments while it saves: nothing it acknowledged is lost, nothing is half-written.
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <random>

using namespace reliability;

namespace {

struct ChildResult {
    QSet<int> saved;
    int lastSaved = 0;
    int lastPlan = -1;
    bool planInFlight = false;
    QString error;
};

ChildResult parse(const QByteArray& output)
{
    ChildResult result;
    for (const QByteArray& raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1String("ok "))) {
            const int seq = line.mid(3).toInt();
            result.saved.insert(seq);
            result.lastSaved = seq;
            result.planInFlight = seq % 5 == 0;
        } else if (line.startsWith(QLatin1String("plan "))) {
            result.lastPlan = line.mid(5).toInt();
            result.planInFlight = false;
        } else if (line.startsWith(QLatin1String("error"))) {
            result.error = line;
        }
    }
    return result;
}

// Waits until the writer says it is ready to be killed, or has stopped without saying so.
bool waitUntilReady(QProcess& child)
{
    QByteArray seen;
    while (!seen.contains("ready\n") && child.state() == QProcess::Running)
        if (child.waitForReadyRead(60000))
            seen = child.peek(1 << 20);
    return seen.contains("ready\n");
}

} // namespace

class TestCrash : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void killedAtRandomMomentsLosesNothingAcknowledged()
    {
        const std::uint64_t seed = runSeed("crash");
        std::mt19937_64 random(seed);
        const int kills = runs(100, 1000);
        // A diary grows over many runs of the program; after this many kills a fresh one starts.
        const int killsPerFile = 25;
        int acknowledgedTotal = 0, inFlightKept = 0, inFlightAbsent = 0, hotJournals = 0, recoveredByProgram = 0;
        int killedInStartUp = 0, planSaves = 0;

        for (int done = 0; done < kills;) {
            TempDatabase db;
            QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::WriteOwner));
            const std::uint64_t series = random();
            seedDiary(db.path(), series, 1, 20);
            seedPlan(db.path(), planTexts(series, 0));
            QSet<int> acknowledged;
            for (int seq = 1; seq <= 20; ++seq)
                acknowledged.insert(seq);
            int plan = 0;
            int next = 21;

            for (int k = 0; k < killsPerFile && done < kills; ++k, ++done) {
                QProcess child;
                child.setProcessChannelMode(QProcess::SeparateChannels);
                child.start(QStringLiteral(DIARY_WRITER),
                            {QStringLiteral("write"), db.folder(), QString::number(series), QString::number(next)});
                QVERIFY2(child.waitForStarted(30000), qPrintable(child.errorString()));
                // One kill in ten lands while the program is still starting; the others while it saves.
                const bool duringStartUp = std::uniform_int_distribution<int>(0, 9)(random) == 0;
                if (duringStartUp) {
                    ++killedInStartUp;
                    QThread::msleep(std::uniform_int_distribution<unsigned>(0, 300)(random));
                } else {
                    QVERIFY2(waitUntilReady(child), child.readAllStandardError().constData());
                    QThread::msleep(std::uniform_int_distribution<unsigned>(0, 250)(random));
                }
                child.kill();
                QVERIFY(child.waitForFinished(30000));
                const ChildResult result = parse(child.readAllStandardOutput());
                QVERIFY2(result.error.isEmpty(), qPrintable(result.error + u'\n' + child.readAllStandardError()));

                acknowledgedTotal += static_cast<int>(result.saved.size());
                acknowledged.unite(result.saved);
                const int inFlight = result.lastSaved ? result.lastSaved + 1 : next;
                const int planInFlight = result.planInFlight ? result.lastSaved / 5 : -1;
                if (result.lastPlan >= 0) {
                    plan = result.lastPlan;
                    ++planSaves;
                }

                // A journal left behind is rolled back by the program itself on its next start, half the time.
                if (QFile::exists(db.path() + QStringLiteral("-journal"))) {
                    ++hotJournals;
                    if (hotJournals % 2 == 1) {
                        Windows w(db.folder(), false);
                        Windows::click(w.button(QStringLiteral("Image8")));
                        QVERIFY2(w.reporter.messages.isEmpty(), qPrintable(w.reporter.messages.join(u'\n')));
                        QVERIFY(w.data->ADODataSet_tevu.recordCount() >= acknowledged.size());
                        ++recoveredByProgram;
                    }
                }

                const QString check = integrity(db.path());
                QVERIFY2(check == QLatin1String("ok"), qPrintable(QStringLiteral("kill %1: %2").arg(done).arg(check)));
                const DiaryOutcome outcome = checkDiary(db.path(), series, acknowledged, {inFlight});
                QVERIFY2(
                    outcome.failure.isEmpty(),
                    qPrintable(QStringLiteral("kill %1 (series %2): %3").arg(done).arg(series).arg(outcome.failure)));
                if (outcome.present.contains(inFlight)) {
                    ++inFlightKept;
                    acknowledged.insert(inFlight); // it is in the file now: later kills must keep it
                } else {
                    ++inFlightAbsent;
                }

                QString planFailure;
                const QStringList planNow = planRows(db.path(), &planFailure);
                QVERIFY2(planFailure.isEmpty(), qPrintable(planFailure));
                if (planInFlight >= 0 && planNow == planTexts(series, planInFlight))
                    plan = planInFlight;
                QVERIFY2(planNow == planTexts(series, plan),
                         qPrintable(QStringLiteral("kill %1: the plan is neither version %2 nor the one being saved")
                                        .arg(done)
                                        .arg(plan)));
                next = inFlight + 1;
            }
        }
        qInfo("crash: %d kills (%d during start-up), %d entries acknowledged, none lost; entry in flight kept %d, "
              "absent %d; %d plan saves; %d journals left behind, %d rolled back by the program's own start",
              kills, killedInStartUp, acknowledgedTotal, inFlightKept, inFlightAbsent, planSaves, hotJournals,
              recoveredByProgram);
    }

    // The same for the body's measures saved through the 身体围度 window: every row acknowledged is there with its
    // values, the one in flight whole or absent, nothing else.
    void killedWhileSavingMeasurementsLosesNothingAcknowledged()
    {
        std::mt19937_64 random(runSeed("crash-measure"));
        const int kills = runs(20, 200);
        TempDatabase db;
        QVERIFY(QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::WriteOwner));
        QSet<int> acknowledged;
        int next = 1, inFlightKept = 0;
        for (int done = 0; done < kills; ++done) {
            QProcess child;
            child.start(QStringLiteral(DIARY_WRITER), {QStringLiteral("measure"), db.folder(), QString::number(next)});
            QVERIFY2(child.waitForStarted(30000), qPrintable(child.errorString()));
            QVERIFY2(waitUntilReady(child), child.readAllStandardError().constData());
            QThread::msleep(std::uniform_int_distribution<unsigned>(0, 250)(random));
            child.kill();
            QVERIFY(child.waitForFinished(30000));
            const ChildResult result = parse(child.readAllStandardOutput());
            QVERIFY2(result.error.isEmpty(), qPrintable(result.error + u'\n' + child.readAllStandardError()));
            acknowledged.unite(result.saved);
            const int inFlight = result.lastSaved ? result.lastSaved + 1 : next;

            QCOMPARE(integrity(db.path()), QStringLiteral("ok"));
            QSet<int> present;
            if (db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'measurements'")).toInt()) {
                for (const QString& row :
                     db.rows(QStringLiteral("SELECT date, waist, quote(hip), fat FROM measurements"))) {
                    const QStringList cells = row.split(u'|');
                    const int seq =
                        static_cast<int>(QDate(2000, 1, 1).daysTo(QDate::fromString(cells[0], Qt::ISODate)));
                    const health::Measurement expected = measurementOf(seq);
                    QVERIFY2(acknowledged.contains(seq) || seq == inFlight,
                             qPrintable(QStringLiteral("kill %1: row %2 was never saved").arg(done).arg(row)));
                    QVERIFY2(cells[1].toDouble() == *expected.waist && cells[2] == u"NULL" &&
                                 cells[3].toDouble() == *expected.fat,
                             qPrintable(
                                 QStringLiteral("kill %1: row %2 is not measurement %3").arg(done).arg(row).arg(seq)));
                    present.insert(seq);
                }
            }
            for (const int seq : acknowledged)
                QVERIFY2(
                    present.contains(seq),
                    qPrintable(
                        QStringLiteral("kill %1: measurement %2 was acknowledged and is gone").arg(done).arg(seq)));
            if (present.contains(inFlight)) {
                ++inFlightKept;
                acknowledged.insert(inFlight);
            }
            next = inFlight + 1;
        }
        qInfo("crash, measurements: %d kills, %d rows acknowledged, none lost; in flight kept %d", kills,
              static_cast<int>(acknowledged.size()) - inFlightKept, inFlightKept);
    }

    // The checks above can fail: each kind of damage they look for is caught.
    void theChecksCatchEveryKindOfDamage_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("caught");
        QTest::newRow("lost") << "DELETE FROM rj WHERE demo LIKE '#3#%'"
                              << "acknowledged entry 3 is lost";
        QTest::newRow("cut short") << "UPDATE rj SET demo = substr(demo, 1, length(demo) - 1) WHERE demo LIKE '#2#%'"
                                   << "entry 2 has a different text";
        QTest::newRow("twice") << "INSERT INTO rj SELECT * FROM rj WHERE demo LIKE '#4#%'"
                               << "entry 4 is stored twice";
        QTest::newRow("weight") << "UPDATE rj SET lb = lb + 1e-9 WHERE demo LIKE '#1#%'"
                                << "entry 1 has weight";
        QTest::newRow("weight as text") << "UPDATE rj SET lb = '很重' WHERE demo LIKE '#1#%'"
                                        << "entry 1 has weight";
        QTest::newRow("time") << "UPDATE rj SET time = NULL WHERE demo LIKE '#5#%'"
                              << "entry 5 has time";
        QTest::newRow("stranger") << "INSERT INTO rj VALUES('2026-12-07 08:00:00.000', '#9#x', 1)"
                                  << "entry 9 was never being saved";
        QTest::newRow("foreign") << "INSERT INTO rj VALUES('2026-12-07 08:00:00.000', 'x', 1)"
                                 << "holds a text that no entry starts with";
    }

    void theChecksCatchEveryKindOfDamage()
    {
        QFETCH(QString, damage);
        QFETCH(QString, caught);
        TempDatabase db;
        seedDiary(db.path(), 31, 1, 5);
        const QSet<int> all{1, 2, 3, 4, 5};
        QCOMPARE(checkDiary(db.path(), 31, all, {}).failure, QString());
        db.exec(damage);
        const QString failure = checkDiary(db.path(), 31, all, {}).failure;
        QVERIFY2(failure.contains(caught), qPrintable(failure));
    }

    void theIntegrityCheckCatchesADamagedPage()
    {
        TempDatabase db;
        seedDiary(db.path(), 31, 1, 40);
        QCOMPARE(integrity(db.path()), QStringLiteral("ok"));
        QFile file(db.path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        // The page headers of the tables' first pages: no page type has these bits.
        for (int page = 1; page < 8; ++page) {
            file.seek(4096 * page);
            file.write(QByteArray(8, '\x7f'));
        }
        file.close();
        QVERIFY(integrity(db.path()) != QLatin1String("ok"));
    }
};

QTEST_MAIN(TestCrash)
#include "tst_crash.moc"
