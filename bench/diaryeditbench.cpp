// The diary edit scenarios.
#include "bench/diaryeditbench.h"

#include "bench/measure.h"
#include "data/sqlite.h"
#include "support/windows.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <cstdio>

namespace bench {

namespace {

// Runs `action` and gives its milliseconds to the painted window.
template <class Action> double timed(QWidget* window, Action action)
{
    const qint64 start = nowNs();
    action();
    QCoreApplication::processEvents();
    window->repaint();
    return msBetween(start, nowNs());
}

// Answers the question of a delete with 删除 whenever it comes up.
void answerDeletes()
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            for (auto* button : modal->findChildren<QAbstractButton*>())
                if (button->text() == QStringLiteral("删除"))
                    button->click();
    });
    timer->start(5);
}

} // namespace

int runDiaryEdits(const QString& folder, int repetitions)
{
    Windows windows(folder);
    auto* memo = windows.find<QPlainTextEdit>(QStringLiteral("Memo1"));
    auto* label = windows.find<QLabel>(QStringLiteral("Label1"));
    QWidget* main = windows.main.get();
    const auto key = [memo](Qt::Key pressed, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(memo, pressed, modifiers);
    };
    const auto said = [&](const QString& start) {
        if (!label->text().startsWith(start))
            throw std::runtime_error(
                QStringLiteral("the message line says “%1”, not “%2…”").arg(label->text(), start).toStdString());
    };
    answerDeletes();
    try {
        for (int round = -1; round < repetitions; ++round) {
            memo->clear();
            QCoreApplication::processEvents();
            const double show = timed(main, [&] { Windows::click(windows.button(QStringLiteral("Image8"))); });
            // A new entry, with the weight the box offers (the newest): OK is done when the row is stored, and the
            // listing that shows it follows in the event loop's next turn.
            Windows::click(windows.button(QStringLiteral("Image13")));
            memo->setPlainText(QStringLiteral("新的日记，第 %1 轮").arg(round));
            QCoreApplication::processEvents();
            const double added = timed(main, [&] { Windows::click(windows.button(QStringLiteral("Image15"))); });
            said(QStringLiteral("已保存"));
            memo->setFocus();
            // The newest entry, then a changed text of it saved.
            key(Qt::Key_Down);
            key(Qt::Key_Return);
            memo->setPlainText(QStringLiteral("改过的日记，第 %1 轮").arg(round));
            const double edit = timed(main, [&] { Windows::click(windows.button(QStringLiteral("Image15"))); });
            said(QStringLiteral("已保存"));
            // One delete, asked and answered, then taken back and made again.
            key(Qt::Key_Delete);
            QCoreApplication::processEvents();
            said(QStringLiteral("已删除"));
            const double undo = timed(main, [&] { key(Qt::Key_Z, Qt::ControlModifier); });
            said(QStringLiteral("已撤销"));
            const double remove = timed(main, [&] { key(Qt::Key_Y, Qt::ControlModifier); });
            said(QStringLiteral("已重做"));
            // The entry comes back for the next round.
            key(Qt::Key_Z, Qt::ControlModifier);
            if (!windows.reporter.messages.isEmpty())
                return failed(windows.reporter.messages.join(QStringLiteral(" / ")));
            if (round >= 0) {
                sample("show", show);
                sample("new", added);
                sample("edit", edit);
                sample("delete", remove);
                sample("undo", undo);
            }
        }
    } catch (const std::runtime_error& e) {
        return failed(QString::fromStdString(e.what()));
    }
    return 0;
}

int runLongEntry(const QString& folder, int kilobytes, int repetitions)
{
    {
        const sqlite::Database db = sqlite::openDataFile(fileIn(folder), sqlite::Access::Write);
        sqlite::Statement insert(db.get(), QStringLiteral("INSERT INTO rj(time, demo, lb) VALUES (?, ?, 120)"),
                                 fileIn(folder));
        insert.bind(1, QStringLiteral("2026-12-07 08:00:00.000"));
        // Three bytes a character in UTF-8.
        insert.bind(2, QString(kilobytes * 1024 / 3, u'长'));
        insert.step();
    }
    Windows windows(folder);
    auto* memo = windows.find<QPlainTextEdit>(QStringLiteral("Memo1"));
    QPlainTextEdit plain;
    plain.setFont(memo->font());
    plain.resize(memo->size());
    plain.setReadOnly(true);
    plain.show();
    QString listing;
    for (int round = -1; round < repetitions; ++round) {
        memo->clear();
        QCoreApplication::processEvents();
        const double view =
            timed(windows.main.get(), [&] { Windows::click(windows.button(QStringLiteral("Image8"))); });
        if (listing.isNull()) {
            // The raw text keeps the line separator inside the entry; only the paragraph breaks become new lines.
            listing = memo->document()->toRawText();
            listing.replace(QChar::ParagraphSeparator, u'\n');
        }
        if (listing.size() < kilobytes * 1024 / 3)
            return failed(QStringLiteral("the listing holds %1 characters").arg(listing.size()));
        plain.clear();
        QCoreApplication::processEvents();
        const double floor = timed(&plain, [&] { plain.setPlainText(listing); });
        if (!windows.reporter.messages.isEmpty())
            return failed(windows.reporter.messages.join(QStringLiteral(" / ")));
        if (round >= 0) {
            sample("view", view);
            sample("floor", floor);
        }
    }
    return 0;
}

} // namespace bench
