// A headless stand-in for a user of Tevu, run as a separate process by the reliability tests.
//
//   diary_writer write <folder> <seed> <first> [count]
//       Starts the windows on <folder> as the program does, enters the diary and saves entries first, first+1, ...
//       through the diary's own OK, and every fifth entry also a new version of the plan through its save button.
//       Prints "ready" once the diary is open, then "ok <n>" after entry n is saved and "plan <v>" after plan
//       version v is saved; each line is written before the next save begins. count 0 saves until killed.
//   diary_writer measure <folder> <first>
//       Starts the windows, opens 身体围度 and saves measurement first, first+1, ... through its 保存 until killed
//       (measurementOf gives each one's date and values). Prints "ready" once the window is open, then "ok <n>" after
//       measurement n is saved.
//   diary_writer hold <folder> <ms>
//       Holds an exclusive lock on <folder>/data.Mdb from its own connection, prints "locked", and lets go after
//       <ms> milliseconds (or, for -1, when its standard input closes); then prints "released".
//   diary_writer readonly <folder>
//       Starts the windows, lists the diary, tries to save an entry and the plan, and prints what the user saw:
//       "uid <n>", "rows <n>", "listed <n>" and one "message <text>" per message, with a "step <name>" line before
//       each step.
#include "data/errors.h"
#include "data/sqlite.h"
#include "forms/plan/ttevu_plan.h"
#include "saving.h"
#include "support.h"
#include "support/windows.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

using reliability::saveEntry;
using reliability::savePlan;

namespace {

void say(const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

int usage()
{
    std::fprintf(stderr, "usage: diary_writer write <folder> <seed> <first> [count] | hold <folder> <ms> | "
                         "readonly <folder>\n");
    return 2;
}

int write(const QStringList& args)
{
    if (args.size() < 5)
        return usage();
    const QString folder = args[2];
    const std::uint64_t seed = args[3].toULongLong();
    const int first = args[4].toInt();
    const int count = args.size() > 5 ? args[5].toInt() : 0;
    Windows w(folder, false);
    if (!w.reporter.messages.isEmpty()) {
        say(QStringLiteral("error start ") + w.reporter.messages.join(QStringLiteral(" / ")));
        return 3;
    }
    Windows::click(w.button(QStringLiteral("Image8")));
    say(QStringLiteral("ready"));
    for (int seq = first; count == 0 || seq < first + count; ++seq) {
        if (!saveEntry(w, reliability::diaryEntry(seed, seq))) {
            say(QStringLiteral("error %1 %2").arg(seq).arg(w.reporter.messages.value(0)));
            return 3;
        }
        say(QStringLiteral("ok %1").arg(seq));
        if (seq % 5 == 0) {
            // Plan versions follow the entries, so a later process never reuses one.
            const int version = seq / 5;
            if (!savePlan(w, reliability::planTexts(seed, version))) {
                say(QStringLiteral("error plan %1 %2").arg(version).arg(w.reporter.messages.value(0)));
                return 3;
            }
            say(QStringLiteral("plan %1").arg(version));
        }
    }
    say(QStringLiteral("done"));
    return 0;
}

int measure(const QStringList& args)
{
    if (args.size() < 4)
        return usage();
    const int first = args[3].toInt();
    Windows w(args[2], false);
    if (!w.reporter.messages.isEmpty()) {
        say(QStringLiteral("error start ") + w.reporter.messages.join(QStringLiteral(" / ")));
        return 3;
    }
    Ttevu_measure* window = w.measure.get();
    window->setAsk([](const QString&, const QString&) { return false; });
    window->show();
    say(QStringLiteral("ready"));
    for (int seq = first;; ++seq) {
        const health::Measurement m = reliability::measurementOf(seq);
        window->findChild<QDateEdit*>(QStringLiteral("date"))->setDate(m.date);
        window->findChild<QLineEdit*>(QStringLiteral("waist"))->setText(QString::number(*m.waist));
        window->findChild<QLineEdit*>(QStringLiteral("fat"))->setText(QString::number(*m.fat));
        window->findChild<QPushButton*>(QStringLiteral("save"))->click();
        if (!w.reporter.messages.isEmpty() || window->statusLabel()->text() != QStringLiteral("已保存。")) {
            say(QStringLiteral("error %1 %2").arg(seq).arg(w.reporter.messages.value(0)));
            return 3;
        }
        say(QStringLiteral("ok %1").arg(seq));
    }
}

int hold(const QStringList& args)
{
    if (args.size() < 4)
        return usage();
    const QByteArray path = (args[2] + QStringLiteral("/data.Mdb")).toUtf8();
    const int ms = args[3].toInt();
    sqlite::Database db;
    try {
        db = sqlite::open(QString::fromUtf8(path), sqlite::OpenMode::ReadWrite);
        sqlite3_busy_timeout(db.get(), 10000);
    } catch (const DataError&) {
        say(QStringLiteral("error open"));
        return 3;
    }
    try {
        sqlite::execScript(db.get(),
                           QStringLiteral("PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE; UPDATE plan SET foodsport = "
                                          "foodsport"),
                           QString::fromUtf8(path));
    } catch (const DataError& e) {
        say(QStringLiteral("error lock ") + e.message());
        return 3;
    }
    say(QStringLiteral("locked"));
    if (ms >= 0) {
        QThread::msleep(static_cast<unsigned long>(ms));
    } else {
        char c;
        while (::read(STDIN_FILENO, &c, 1) > 0) {
        }
    }
    // Another program's change that it thinks better of: nothing of it may reach the diary.
    sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    db.reset();
    say(QStringLiteral("released"));
    return 0;
}

int readonly(const QStringList& args)
{
    if (args.size() < 3)
        return usage();
    say(QStringLiteral("uid %1").arg(::getuid()));
    say(QStringLiteral("step start"));
    Windows w(args[2], false);
    qsizetype reported = 0;
    const auto flush = [&] {
        for (; reported < w.reporter.messages.size(); ++reported)
            say(QStringLiteral("message ") + w.reporter.messages[reported]);
    };
    flush();
    say(QStringLiteral("step list"));
    Windows::click(w.button(QStringLiteral("Image8")));
    flush();
    say(QStringLiteral("rows %1").arg(w.data->ADODataSet_tevu.active() ? w.data->ADODataSet_tevu.recordCount() : -1));
    const QString listing = w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText();
    say(QStringLiteral("listed %1").arg(listing.isEmpty() ? 0 : listing.count(u'\n') + 1));
    say(QStringLiteral("step diary"));
    const reliability::Entry entry = reliability::diaryEntry(1, 1);
    const bool saved = saveEntry(w, entry);
    flush();
    say(QStringLiteral("kept %1").arg(w.find<QPlainTextEdit>(QStringLiteral("Memo1"))->toPlainText() == entry.text));
    say(QStringLiteral("saved %1").arg(saved));
    say(QStringLiteral("step plan"));
    savePlan(w, reliability::planTexts(1, 1));
    flush();
    say(QStringLiteral("step end"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    reliability::useProgramLocale();
    saveUnlikelyWeightsWithoutAsking();
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return usage();
    if (args[1] == QLatin1String("write"))
        return write(args);
    if (args[1] == QLatin1String("measure"))
        return measure(args);
    if (args[1] == QLatin1String("hold"))
        return hold(args);
    if (args[1] == QLatin1String("readonly"))
        return readonly(args);
    return usage();
}
