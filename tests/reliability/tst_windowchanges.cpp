// The diary window's deletions and edits while other programs import and restore: an import of older entries stores
// the diary again in time order and a restore brings the backup's keys, so the rows the window listed change keys
// under it. Whatever the window does, it changes only the entries the user chose, and nothing else is lost.
#include "support.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/backup.h"
#include "datafile/csv.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextBlock>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace reliability;

namespace {

// Entry n: text "e<n>", stored at a minute and with a weight of its own, so that a row's text, time and weight say
// whether they still belong together. Imported entries have negative numbers, older than every other.
QString timeOf(int n)
{
    return QDateTime(QDate(2026, 6, 1), QTime(12, 0)).addSecs(n * 60).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}
double weightOf(int n)
{
    return 150 + (n % 100) * 0.01;
}

struct Row {
    QString text;
    QString time;
    double weight = 0;
};

QList<Row> diary(const QString& path)
{
    const sqlite::Database db = sqlite::open(path, sqlite::OpenMode::ReadOnly);
    sqlite::Statement rows(db.get(), QStringLiteral("SELECT demo, substr(time, 1, 16), lb FROM rj"), path);
    QList<Row> out;
    while (rows.step())
        out.push_back({rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toDouble()});
    return out;
}

// A copy of the file whose diary holds the same rows in another order: restored, it gives every row another key.
void shuffledCopy(const QString& from, const QString& to, QRandomGenerator& random)
{
    QFile::remove(to);
    datafile::writeBackup(from, to);
    const sqlite::Database db = sqlite::open(to, sqlite::OpenMode::ReadWrite);
    QList<QStringList> rows;
    {
        sqlite::Statement read(db.get(), QStringLiteral("SELECT time, demo, lb FROM rj"), to);
        while (read.step())
            rows.push_back({read.value(0).toString(), read.value(1).toString(), read.value(2).toString()});
    }
    for (qsizetype i = rows.size() - 1; i > 0; --i)
        rows.swapItemsAt(i, random.bounded(i + 1));
    sqlite::exec(db.get(), QStringLiteral("BEGIN"), to);
    sqlite::exec(db.get(), QStringLiteral("DELETE FROM rj"), to);
    sqlite::Statement insert(db.get(), QStringLiteral("INSERT INTO rj VALUES (?, ?, ?)"), to);
    for (const QStringList& row : rows) {
        for (int c = 0; c < 3; ++c)
            insert.bind(c + 1, row[c]);
        insert.step();
        insert.reset();
    }
    sqlite::exec(db.get(), QStringLiteral("COMMIT"), to);
}

} // namespace

class TestWindowChanges : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useProgramLocale(); }

    void editsAndDeletionsWhileImportsAndRestoresRun()
    {
        TempDatabase live;
        QString seed;
        for (int n = 1; n <= 60; ++n)
            seed += QStringLiteral("INSERT INTO rj VALUES ('%1:00.000', 'e%2', %3);")
                        .arg(timeOf(n))
                        .arg(n)
                        .arg(weightOf(n));
        live.exec(seed);
        QTemporaryDir scratch;
        const QString source = scratch.filePath(QStringLiteral("source.Mdb"));

        std::atomic<bool> stop = false;
        std::atomic<int> imports = 0;
        std::atomic<int> restores = 0;
        QStringList failures;
        QStringList imported; // read once the other program has stopped
        std::thread other([&] {
            QRandomGenerator random(40);
            for (int k = 1; !stop; ++k) {
                try {
                    if (k % 2) {
                        // One entry older than all: the import stores the diary again in time order.
                        const int n = -k;
                        datafile::importCsv(live.path(),
                                            QStringLiteral("时间,体重(斤),日记\n%1,%2,e%3\n")
                                                .arg(timeOf(n))
                                                .arg(weightOf(n))
                                                .arg(n)
                                                .toUtf8(),
                                            QStringLiteral("older.csv"));
                        imported << QStringLiteral("e%1").arg(n);
                        ++imports;
                    } else {
                        shuffledCopy(live.path(), source, random);
                        datafile::restore(live.path(), source, QDateTime(QDate(2026, 12, 8), QTime(9, 0)).addSecs(k));
                        ++restores;
                    }
                } catch (const DataError& e) {
                    // A lock held by the window for longer than the wait: tried again.
                    if (!e.message().contains(QStringLiteral("锁")) && !e.message().contains(QStringLiteral("忙")))
                        failures << e.message();
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });

        Windows w(live.folder());
        auto* listing = w.find<QPlainTextEdit>("Memo1");
        QRandomGenerator random(41);
        QSet<QString> chosenOnce; // every entry the window was asked to delete or edit
        int deleted = 0, edited = 0, refused = 0;
        const int actions = runs(40, 600);
        static const QRegularExpression entryText(QStringLiteral("e-?\\d+"));
        for (int a = 0; a < actions; ++a) {
            Windows::click(w.button("Image8"));
            const int count = listing->document()->blockCount();
            const int entry = static_cast<int>(random.bounded(count));
            const QTextBlock block = listing->document()->findBlockByNumber(entry);
            const QString text = entryText.match(block.text()).captured();
            if (text.isEmpty() || block.text().contains(QStringLiteral("-x")))
                continue;
            // Time for the other program to give the rows new keys between the listing and the change.
            QTest::qWait(static_cast<int>(random.bounded(15)));
            listing->setTextCursor(QTextCursor(block));
            listing->ensureCursorVisible();
            const QPoint at = listing->cursorRect(QTextCursor(block)).center() + QPoint(20, 0);
            QTest::mouseClick(listing->viewport(), Qt::LeftButton, {}, at);
            chosenOnce.insert(text);
            w.reporter.messages.clear();
            if (random.bounded(2)) {
                whileModal([&] { QTest::keyClick(listing, Qt::Key_Delete); },
                           [](QWidget* modal) {
                               if (auto* box = qobject_cast<QMessageBox*>(modal))
                                   for (QAbstractButton* button : box->buttons())
                                       if (button->text() == QStringLiteral("删除"))
                                           button->click();
                           });
                ++deleted;
            } else {
                QTest::keyClick(listing, Qt::Key_Return);
                if (!listing->isReadOnly()) {
                    // The edit keeps the entry's own text before a mark: written into another entry it would show.
                    listing->setPlainText(listing->toPlainText() + QStringLiteral("-x"));
                    QTest::qWait(static_cast<int>(random.bounded(15)));
                    whileModal([&] { Windows::click(w.button("Image15")); },
                               [](QWidget* modal) {
                                   if (auto* box = qobject_cast<QMessageBox*>(modal))
                                       for (QAbstractButton* button : box->buttons())
                                           if (button->text() == QStringLiteral("保存"))
                                               button->click();
                               });
                    // A refused edit leaves the boxes: the view is left, as a user would after reading why.
                    Windows::click(w.button("Image8"));
                }
                ++edited;
            }
            refused += w.reporter.messages.isEmpty() ? 0 : 1;
        }
        stop = true;
        other.join();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));

        // Every row's text, time and weight still belong to one entry; every entry that is gone was chosen by the
        // user (a restore may bring a deleted one back); no entry is there twice.
        QSet<QString> present;
        QStringList wrong;
        for (const Row& row : diary(live.path())) {
            const QString own = row.text.endsWith(QStringLiteral("-x")) ? row.text.chopped(2) : row.text;
            const int n = own.mid(1).toInt();
            if (row.time != timeOf(n) || row.weight != weightOf(n) || own.contains(QStringLiteral("-x")))
                wrong << QStringLiteral("%1 at %2, %3").arg(row.text, row.time).arg(row.weight);
            if (present.contains(own))
                wrong << QStringLiteral("%1 twice").arg(own);
            present.insert(own);
        }
        for (int n = 1; n <= 60; ++n)
            imported << QStringLiteral("e%1").arg(n);
        for (const QString& entry : imported)
            if (!present.contains(entry) && !chosenOnce.contains(entry))
                wrong << entry + QStringLiteral(" lost");
        qInfo("window changes: %d deletions and %d edits asked (%d refused) during %d imports and %d restores; %lld "
              "wrong",
              deleted, edited, refused, imports.load(), restores.load(), static_cast<long long>(wrong.size()));
        QVERIFY(imports > 0 && restores > 0);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    }
};

QTEST_MAIN(TestWindowChanges)
#include "tst_windowchanges.moc"
