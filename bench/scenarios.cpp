// The measured scenarios: the program's windows driven through their buttons, against bare SQLite floors.
#include "bench/scenarios.h"

#include "bench/datagen.h"
#include "bench/measure.h"
#include "chart/dbchart.h"
#include "chart/lineseries.h"
#include "data/conversions.h"
#include "data/sqlite.h"
#include "datafile/profile.h"
#include "forms/textbox.h"
#include "support/windows.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace bench {

namespace {

// The four windows created and destroyed in the program's order (app/main.cpp), as the tests make them: errors are
// recorded, since a message box would stop the run. A missing widget ends the run with its name.
class ProgramWindows : public Windows {
public:
    explicit ProgramWindows(const QString& folder) : Windows(folder, false) {}

    void showMain()
    {
        main->show();
        (void)QTest::qWaitForWindowExposed(main.get());
        QCoreApplication::processEvents();
    }

    template <class T = QWidget> T* find(const char* name) const
    {
        T* widget = Windows::find<T>(QString::fromLatin1(name));
        if (!widget)
            throw std::runtime_error(std::string("no widget ") + name);
        return widget;
    }

    // Press and release at the picture's centre, as a user's click.
    void click(const char* name) const { Windows::click(find<ImageButton>(name)); }
};

// Notes when a modal window has been painted for the first time, and closes it from inside its own loop.
class DialogPaintWatch : public QObject {
public:
    explicit DialogPaintWatch(QDialog* dialog) : m_dialog(dialog) {}

    void rearm() { m_paintedAt = 0; }
    qint64 paintedAt() const { return m_paintedAt; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The chart may cover the whole window, so a paint of any of its widgets counts.
        if (m_paintedAt == 0 && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_dialog) {
            m_paintedAt = -1;
            // Queued, so it runs once the whole window has been painted.
            QMetaObject::invokeMethod(
                m_dialog,
                [this] {
                    m_paintedAt = nowNs();
                    m_dialog->accept();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QDialog* m_dialog;
    qint64 m_paintedAt = 0;
};

bool reportedNothing(const ProgramWindows& windows)
{
    if (windows.reporter.messages.isEmpty())
        return true;
    failed(QStringLiteral("the program reported: ") + windows.reporter.messages.join(QStringLiteral(" / ")));
    return false;
}

// The lines of the listing as the user reads and copies them (an entry is one paragraph of two lines).
qint64 listedLines(const QPlainTextEdit* memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? 0 : text.count(u'\n') + 1;
}

// The floor of a diary scenario: every diary row stepped by a bare query, in milliseconds; -1 (reported) when the
// query saw other than `entries` rows.
double timedDiaryRead(BareReader& bare, qint64 entries)
{
    const qint64 start = nowNs();
    const qint64 rows = bare.readAll("SELECT * FROM rj");
    const double ms = msBetween(start, nowNs());
    if (rows != entries) {
        failed(QStringLiteral("the bare read saw %1 rows").arg(rows));
        return -1;
    }
    return ms;
}

} // namespace

int runDiary(const QString& folder, int repetitions)
{
    const qint64 entries = scalar(fileIn(folder), QStringLiteral("SELECT count(*) FROM rj"));
    std::printf("info locale %s\n", conversions::locale().name().toUtf8().constData());
    BareReader bare(fileIn(folder));
    ProgramWindows windows(folder);
    windows.showMain();
    auto* memo = windows.find<QPlainTextEdit>("Memo1");
    // The toolkit's own limit: a bare box of the same size and font, given the program's listing in one call.
    QPlainTextEdit plain;
    plain.setFont(memo->font());
    plain.resize(memo->size());
    plain.setReadOnly(true);
    plain.show();
    (void)QTest::qWaitForWindowExposed(&plain);
    QString listing;
    // The first round warms caches and is not counted.
    for (int round = -1; round < repetitions; ++round) {
        const double floor = timedDiaryRead(bare, entries);
        if (floor < 0)
            return 1;

        // Each round enters from a view that leaves little text behind, as the first entry does.
        memo->clear();
        QCoreApplication::processEvents();
        qint64 start = nowNs();
        windows.click("Image8");
        QCoreApplication::processEvents();
        windows.main->repaint();
        const double view = msBetween(start, nowNs());
        if (!reportedNothing(windows))
            return 1;
        if (listedLines(memo) != 2 * entries)
            return failed(QStringLiteral("the listing has %1 lines").arg(listedLines(memo)));

        if (listing.isNull()) {
            // The raw text keeps the line separators inside an entry; only the paragraph breaks become new lines.
            listing = memo->document()->toRawText();
            listing.replace(QChar::ParagraphSeparator, u'\n');
        }
        plain.clear();
        QCoreApplication::processEvents();
        start = nowNs();
        plain.setPlainText(listing);
        QCoreApplication::processEvents();
        plain.repaint();
        const double shown = msBetween(start, nowNs());
        if (plain.blockCount() != memo->blockCount())
            return failed(QStringLiteral("the bare box has %1 paragraphs, the program's %2")
                              .arg(plain.blockCount())
                              .arg(memo->blockCount()));
        if (round >= 0) {
            sample("floor", floor);
            sample("view", view);
            sample("plain", shown);
        }
    }
    return 0;
}

int runFoodTree(const QString& folder, int repetitions)
{
    const QString path = fileIn(folder);
    const qint64 categories = scalar(path, QStringLiteral("SELECT count(*) FROM \"02\""));
    const qint64 listed =
        scalar(path, QStringLiteral("SELECT count(*) FROM \"02\" c JOIN \"01\" f ON f.Name = c.Name"));
    BareReader bare(path);
    for (int round = -1; round < repetitions; ++round) {
        qint64 start = nowNs();
        bare.readAll("SELECT * FROM \"02\"");
        bare.readAll("SELECT * FROM \"01\"");
        const double floor = msBetween(start, nowNs());

        ProgramWindows windows(folder);
        QCoreApplication::processEvents();
        // The first show of the main window reads the categories and foods; entering the calorie view makes the tree
        // and its nodes. Both are timed, without the paint between them.
        start = nowNs();
        windows.main->show();
        windows.click("Image9");
        const double tree = msBetween(start, nowNs());
        if (!reportedNothing(windows))
            return 1;
        auto* view = windows.find<QTreeWidget>("TreeView1");
        qint64 foods = 0;
        for (int c = 0; c < view->topLevelItemCount(); ++c)
            foods += view->topLevelItem(c)->childCount();
        if (view->topLevelItemCount() != categories || foods != listed)
            return failed(
                QStringLiteral("the tree has %1 categories and %2 foods").arg(view->topLevelItemCount()).arg(foods));
        if (round >= 0) {
            sample("floor", floor);
            sample("tree", tree);
        }
    }
    return 0;
}

int runFoodSearch(const QString& folder, int repetitions)
{
    // What a user types for 食物123号: its initials narrowing from every food to one, then its number.
    const QString typed = QStringLiteral("sw123");
    // The first keystroke straight after the view was entered, before anything could run after its paint: what is
    // left of the search's preparation is waited for here. Each in a window of its own, as each is once a session.
    for (int window = 0; window < 5; ++window) {
        ProgramWindows fresh(folder);
        fresh.showMain();
        fresh.click("Image9");
        auto* box = fresh.find<QLineEdit>("Edit2");
        auto* tree = fresh.find<QTreeWidget>("TreeView1");
        box->setFocus();
        const qint64 start = nowNs();
        QTest::keyClick(box, typed.at(0).toLatin1());
        tree->viewport()->repaint();
        const double first = msBetween(start, nowNs());
        if (!reportedNothing(fresh))
            return 1;
        if (!tree->currentItem())
            return failed(QStringLiteral("nothing current after the first keystroke"));
        sample("first", first);
    }

    ProgramWindows windows(folder);
    windows.showMain();
    windows.click("Image9");
    auto* box = windows.find<QLineEdit>("Edit2");
    auto* tree = windows.find<QTreeWidget>("TreeView1");
    QStringList names;
    for (int c = 0; c < tree->topLevelItemCount(); ++c)
        for (int f = 0; f < tree->topLevelItem(c)->childCount(); ++f)
            names << tree->topLevelItem(c)->child(f)->text(0);
    box->setFocus();
    for (int round = -1; round < repetitions; ++round) {
        for (qsizetype k = 1; k <= typed.size(); ++k) {
            const QString query = typed.left(k);
            qint64 start = nowNs();
            qsizetype found = 0;
            for (const QString& name : std::as_const(names))
                found += name.contains(query, Qt::CaseInsensitive) ? 1 : 0;
            const double floor = msBetween(start, nowNs());
            if (found < 0)
                return 1;

            start = nowNs();
            QTest::keyClick(box, typed.at(k - 1).toLatin1());
            // The tree lays out its shown rows and paints them: what the user waits for.
            tree->viewport()->repaint();
            const double search = msBetween(start, nowNs());
            if (!reportedNothing(windows))
                return 1;
            if (!tree->currentItem())
                return failed(QStringLiteral("nothing current after typing ") + query);
            if (round >= 0) {
                sample("floor", floor);
                sample("search", search);
            }
        }
        QTest::keyClick(box, Qt::Key_Escape);
    }
    return 0;
}

int runCurve(const QString& folder, int repetitions)
{
    // A goal below every weight: the line is drawn and the axis widened for it.
    constexpr double goal = 100;
    {
        const sqlite::Database db = sqlite::openDataFile(fileIn(folder), sqlite::Access::Write);
        datafile::writeProfile(db.get(), fileIn(folder), {165.0, health::Sex::Female, 1990, goal, {}, {}, {}});
    }
    const qint64 entries = scalar(fileIn(folder), QStringLiteral("SELECT count(*) FROM rj"));
    BareReader bare(fileIn(folder));
    ProgramWindows windows(folder);
    windows.showMain();
    auto* chart = windows.curve->findChild<DbChart*>(QStringLiteral("DBChart1"));
    if (!chart)
        return failed(QStringLiteral("no chart in the curve window"));

    DialogPaintWatch watch(windows.curve.get());
    qApp->installEventFilter(&watch);
    const qint64 weighed = scalar(fileIn(folder), QStringLiteral("SELECT count(*) FROM rj WHERE lb > 0"));

    for (int round = -1; round < repetitions; ++round) {
        const double floor = timedDiaryRead(bare, entries);
        if (floor < 0)
            return 1;

        watch.rearm();
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, windows.curve.get(), &QDialog::reject);
        stuck.start(60000);
        const qint64 start = nowNs();
        windows.click("Image11");
        stuck.stop();
        if (watch.paintedAt() <= 0)
            return failed(QStringLiteral("the curve window was never painted"));
        const double curve = msBetween(start, watch.paintedAt());
        if (!reportedNothing(windows))
            return 1;
        if (chart->series()->count() != entries)
            return failed(QStringLiteral("the curve has %1 points").arg(chart->series()->count()));
        if (chart->goal() != goal)
            return failed(QStringLiteral("the curve shows no goal line"));
        if (round >= 0) {
            if (!chart->trendVisible() || static_cast<qint64>(chart->trend().size()) != weighed)
                return failed(QStringLiteral("the trend was not drawn over %1 weights").arg(weighed));
            sample("floor", floor);
            sample("curve", curve);
        }
        // Shown from the second showing on, as a double-click in the first leaves it: the choice lasts.
        chart->setTrendVisible(true);
        QCoreApplication::processEvents();
    }
    qApp->removeEventFilter(&watch);
    return 0;
}

int runSave(const QString& folder, const QString& floorFolder, int repetitions)
{
    const qint64 before = scalar(fileIn(folder), QStringLiteral("SELECT count(*) FROM rj"));
    ProgramWindows windows(folder);
    // The floor writes with whatever durability the program's own connection has.
    const QByteArray journal = pragma(windows.data->ADOCN.handle(), "PRAGMA journal_mode");
    const int synchronous = pragma(windows.data->ADOCN.handle(), "PRAGMA synchronous").toInt();
    static const char* const levels[] = {"OFF", "NORMAL", "FULL", "EXTRA"};
    std::printf("info durability journal %s, synchronous %s\n", journal.toUpper().constData(),
                synchronous >= 0 && synchronous <= 3 ? levels[synchronous] : "?");
    BareWriter bare(fileIn(floorFolder), journal, synchronous);
    windows.showMain();
    windows.click("Image8");
    auto* memo = windows.find<QPlainTextEdit>("Memo1");
    auto* weight = windows.find<QLineEdit>("Edit1");
    const QString text = QStringLiteral("早餐一杯豆浆，午饭米饭青菜，晚上快走四十分钟。");
    for (int round = -1; round < repetitions; ++round) {
        const QDateTime now = QDateTime::currentDateTime();
        qint64 start = nowNs();
        bare.insertEntry(conversions::toStorageText(now).toUtf8(), text.toUtf8(), 120.5);
        const double floor = msBetween(start, nowNs());

        windows.click("Image13");
        memo->setPlainText(text);
        weight->setText(QStringLiteral("120.5"));
        QCoreApplication::processEvents();
        start = nowNs();
        windows.click("Image15");
        const double save = msBetween(start, nowNs());
        if (!reportedNothing(windows))
            return 1;
        if (!memo->isReadOnly())
            return failed(QStringLiteral("OK did not finish the entry"));
        if (round >= 0) {
            sample("floor", floor);
            sample("save", save);
        }
    }
    const qint64 after = scalar(fileIn(folder), QStringLiteral("SELECT count(*) FROM rj"));
    if (after != before + repetitions + 1)
        return failed(QStringLiteral("%1 rows were saved").arg(after - before));
    return 0;
}

int runLongText(const QString& folder, int repetitions)
{
    ProgramWindows windows(folder);
    windows.showMain();
    const QString huge(2097152, u'长');
    QApplication::clipboard()->setText(huge);
    // Each action on a box at its limit, timed from the input to the end of its handling and painting.
    double longest = 0;
    const auto timed = [&longest](const std::function<void()>& action) {
        const qint64 start = nowNs();
        action();
        QCoreApplication::processEvents();
        longest = std::max(longest, msBetween(start, nowNs()));
    };
    const auto keys = [&timed](QWidget* box) {
        for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_A, Qt::Key_Return, Qt::Key_Left, Qt::Key_PageUp})
            timed([box, key] { QTest::keyClick(box, key); });
    };
    for (int round = -1; round < repetitions; ++round) {
        longest = 0;
        windows.reporter.messages.clear();
        Ttevu_plan* plan = windows.plan.get();
        plan->show();
        QCoreApplication::processEvents();
        QPlainTextEdit* day = plan->dayBox(0);
        day->setFocus();
        day->selectAll();
        timed([day] { day->paste(); });
        keys(day);
        timed([plan] { Windows::click(plan->findChild<QPushButton*>(QStringLiteral("Button1"))); });
        timed([plan] { Windows::click(plan->findChild<QPushButton*>(QStringLiteral("Button2"))); });
        if (plan->isVisible())
            return failed(QStringLiteral("the plan window stayed open"));

        windows.click("Image8");
        windows.click("Image13");
        auto* memo = windows.find<QPlainTextEdit>("Memo1");
        timed([memo] { memo->paste(); });
        keys(memo);
        windows.find<QLineEdit>("Edit1")->setText(QStringLiteral("120"));
        timed([&windows] { windows.click("Image15"); });
        if (windows.reporter.messages != QStringList(2, TextBox::cutMessage()))
            return failed(QStringLiteral("the program said: ") + windows.reporter.messages.join(QStringLiteral(" / ")));
        if (round >= 0)
            sample("longest", longest);
    }
    return 0;
}

int runDiaryMemory(const QString& folder)
{
    const qint64 entries = scalar(fileIn(folder), QStringLiteral("SELECT count(*) FROM rj"));
    ProgramWindows windows(folder);
    windows.showMain();
    windows.click("Image8");
    QCoreApplication::processEvents();
    windows.main->repaint();
    if (!reportedNothing(windows))
        return 1;
    if (listedLines(windows.find<QPlainTextEdit>("Memo1")) != 2 * entries)
        return failed(QStringLiteral("the listing is incomplete"));
    sample("peak-kib", static_cast<double>(peakResidentKiB()));
    return 0;
}

} // namespace bench
