// The automatic backup after the first paint: written off the GUI thread, a failure reported once, nothing when the
// file cannot be written.
#include "app/autobackup.h"
#include "datafile/backup.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

class TestAutomaticBackup : public QObject {
    Q_OBJECT

private slots:
    void afterTheFirstPaint_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("backups");
        QTest::addColumn<int>("messages");
        QTest::newRow("written") << "" << 1 << 0;
        QTest::newRow("read-only data file") << "read-only" << 0 << 0;
        QTest::newRow("backups cannot be written") << "blocked" << 0 << 1;
    }

    void afterTheFirstPaint()
    {
        QFETCH(QString, setup);
        QFETCH(int, backups);
        QFETCH(int, messages);
        TempDatabase db;
        const QString folder = datafile::backupFolder(db.path());
        if (setup == u"read-only") {
            QFile::setPermissions(db.path(), QFileDevice::ReadOwner);
            if (QFileInfo(db.path()).isWritable())
                QSKIP("running as root: a read-only file stays writable");
        }
        if (setup == u"blocked") {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        RecordingReporter reporter;
        const ScopedReporter installed(&reporter);
        QWidget window;
        window.resize(100, 100);
        AutomaticBackup backup(&window, db.path());
        QSignalSpy done(&backup, &AutomaticBackup::done);
        QVERIFY(!backup.started());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(done.wait(10000));
        QCOMPARE(datafile::automaticBackups(folder).size(), backups);
        QCOMPARE(reporter.messages.size(), messages);
        if (messages)
            QVERIFY2(reporter.messages.front().contains(folder), qPrintable(reporter.messages.front()));
        // Later paints start nothing more.
        window.update();
        QTest::qWait(50);
        QCOMPARE(done.size(), 1);
    }
};

QTEST_MAIN(TestAutomaticBackup)
#include "tst_autobackup.moc"
