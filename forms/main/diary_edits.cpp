// Listed diary entries chosen with the mouse and the keys, changed or removed by their row keys, and those changes
// taken back and made again.
#include "data/conversions.h"
#include "data/errors.h"
#include "forms/guard.h"
#include "forms/main/ttevu_main.h"
#include "health/trend.h"
#include "ui_ttevu_main.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlock>
#include <algorithm>
#include <cmath>

namespace {

// The diary's current row as a weighing; throws for a row without a readable time or weight.
class Weighing {
public:
    explicit Weighing(const Dataset& diary)
        : m_diary(diary), m_time(diary.fieldIndex(QStringLiteral("time"))), m_lb(diary.fieldIndex(QStringLiteral("lb")))
    {}
    LineSeries::Point current() const
    {
        const bool none = m_diary.isNull(m_lb);
        return {m_diary.asNumber(m_time), none ? 0.0 : m_diary.asNumber(m_lb), none};
    }

private:
    const Dataset& m_diary;
    int m_time;
    int m_lb;
};

const QString diaryTable = QStringLiteral("rj");

// The diary's current row as the file held it: what a change by its key checks first.
rowchanges::Seen seenRow(const Dataset& diary)
{
    rowchanges::Seen seen;
    for (const QString& field : {QStringLiteral("time"), QStringLiteral("demo"), QStringLiteral("lb")})
        seen.emplace_back(field, diary.storedValue(field));
    return seen;
}
const QString diaryCommand = QStringLiteral("select * from rj");

// The date of a listed time: "2026/12/7 8:30:15" gives "2026/12/7".
QString dateOf(const QString& listedTime)
{
    return listedTime.section(u' ', 0, 0);
}

// As the diary writes its weights: no thousands separator.
QString oneDecimal(double value)
{
    QLocale locale = conversions::locale();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 1);
}

// A question with two answers; true for the first. The second is the default, so that Enter or Esc does no harm.
bool ask(QWidget* parent, const QString& question, const QString& yes, const QString& no)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tevu"), question, QMessageBox::NoButton, parent);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

enum class ListingKey { None, Up, Down, Edit, Delete, Undo, Redo };

ListingKey listingKey(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    switch (key->key()) {
    case Qt::Key_Up:
        return plain || modifiers == Qt::ShiftModifier ? ListingKey::Up : ListingKey::None;
    case Qt::Key_Down:
        return plain || modifiers == Qt::ShiftModifier ? ListingKey::Down : ListingKey::None;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return plain ? ListingKey::Edit : ListingKey::None;
    case Qt::Key_Delete:
        return plain ? ListingKey::Delete : ListingKey::None;
    case Qt::Key_Z:
        if (modifiers == Qt::ControlModifier)
            return ListingKey::Undo;
        return modifiers == (Qt::ControlModifier | Qt::ShiftModifier) ? ListingKey::Redo : ListingKey::None;
    case Qt::Key_Y:
        return modifiers == Qt::ControlModifier ? ListingKey::Redo : ListingKey::None;
    default:
        return ListingKey::None;
    }
}

} // namespace

void Ttevu_main::keepListedKeys()
{
    // The listing runs newest first, the dataset in the order in which the rows were stored.
    const int count = ADODataSet_tevu.recordCount();
    m_listedKeys.resize(static_cast<size_t>(count));
    for (int entry = 0; entry < count; ++entry)
        m_listedKeys[static_cast<size_t>(entry)] = ADODataSet_tevu.rowKey(count - 1 - entry);
    m_listing = true;
    m_chosen.clear();
    m_currentEntry = m_anchorEntry = -1;
    m_ui->Memo1->setExtraSelections({});
    m_ui->Memo1->setAccessibleDescription(QString());
    m_ui->Memo1->installEventFilter(this);
    m_ui->Memo1->viewport()->installEventFilter(this);
}

bool Ttevu_main::diaryListingEvent(QObject* watched, QEvent* event)
{
    QPlainTextEdit* listing = m_ui->Memo1;
    if (!m_listing || (watched != listing && watched != listing->viewport()))
        return false;
    const int count = static_cast<int>(m_listedKeys.size());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (watched != listing->viewport())
            return false;
        // Taken whole: a click chooses an entry rather than placing a caret or starting a text selection.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        listing->setFocus(Qt::MouseFocusReason);
        if (count == 0)
            return true;
        const int entry = listing->cursorForPosition(mouse->position().toPoint()).blockNumber();
        if (mouse->button() == Qt::LeftButton) {
            guarded([&] {
                chooseEntry(entry, mouse->modifiers());
                if (event->type() == QEvent::MouseButtonDblClick)
                    editChosenEntry();
            });
        } else if (mouse->button() == Qt::RightButton && !m_chosen.contains(entry)) {
            guarded([&] { chooseEntry(entry, Qt::NoModifier); });
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return watched == listing->viewport();
    case QEvent::ContextMenu: {
        const auto* asked = static_cast<QContextMenuEvent*>(event);
        QMenu menu(this);
        QAction* edit = menu.addAction(QStringLiteral("修改这条日记"));
        QAction* remove = menu.addAction(QStringLiteral("删除这条日记"));
        menu.addSeparator();
        QAction* copy = menu.addAction(QStringLiteral("复制"));
        menu.addSeparator();
        QAction* foodLog = menu.addAction(QStringLiteral("今天吃了什么…"));
        foodLog->setShortcut(QKeySequence(Qt::ALT | Qt::Key_9));
        edit->setEnabled(m_chosen.size() == 1);
        remove->setEnabled(!m_chosen.empty());
        copy->setEnabled(!m_chosen.empty());
        const QPoint at = asked->reason() == QContextMenuEvent::Mouse
                              ? asked->globalPos()
                              : listing->viewport()->mapToGlobal(listing->cursorRect().bottomLeft());
        QAction* chosen = menu.exec(at);
        guarded([&] {
            if (chosen == edit) {
                editChosenEntry();
            } else if (chosen == remove) {
                deleteChosenEntries();
            } else if (chosen == foodLog) {
                if (m_dialogs.showFoodLog)
                    m_dialogs.showFoodLog();
            } else if (chosen == copy) {
                QStringList texts;
                for (const int entry : m_chosen)
                    texts << listing->document()->findBlockByNumber(entry).text().replace(QChar::LineSeparator, u'\n');
                QGuiApplication::clipboard()->setText(texts.join(u'\n'));
            }
        });
        return true;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        if (watched != listing)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const ListingKey action = listingKey(key);
        if (action == ListingKey::None)
            return false;
        // These keys act on the entries, not on any shortcut the window may hold.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        guarded([&] {
            switch (action) {
            case ListingKey::Up:
            case ListingKey::Down: {
                if (count == 0)
                    return;
                const int step = action == ListingKey::Down ? 1 : -1;
                const int entry = m_currentEntry < 0 ? 0 : std::clamp(m_currentEntry + step, 0, count - 1);
                chooseEntry(entry, key->modifiers() & Qt::ShiftModifier);
                return;
            }
            case ListingKey::Edit:
                editChosenEntry();
                return;
            case ListingKey::Delete:
                deleteChosenEntries();
                return;
            case ListingKey::Undo:
                undoDiaryChange();
                return;
            case ListingKey::Redo:
                redoDiaryChange();
                return;
            case ListingKey::None:
                return;
            }
        });
        return true;
    }
    default:
        return false;
    }
}

void Ttevu_main::chooseEntry(int entry, Qt::KeyboardModifiers modifiers)
{
    if (entry < 0 || entry >= static_cast<int>(m_listedKeys.size()))
        return;
    if ((modifiers & Qt::ShiftModifier) && m_anchorEntry >= 0) {
        m_chosen.clear();
        for (int e = std::min(m_anchorEntry, entry); e <= std::max(m_anchorEntry, entry); ++e)
            m_chosen.insert(e);
    } else if (modifiers & Qt::ControlModifier) {
        if (!m_chosen.erase(entry))
            m_chosen.insert(entry);
        m_anchorEntry = entry;
    } else {
        m_chosen = {entry};
        m_anchorEntry = entry;
    }
    m_currentEntry = entry;
    showChosenEntries();
}

void Ttevu_main::showChosenEntries()
{
    QPlainTextEdit* listing = m_ui->Memo1;
    QTextDocument* document = listing->document();
    QTextCharFormat marked;
    marked.setBackground(listing->palette().brush(QPalette::Active, QPalette::Highlight));
    marked.setForeground(listing->palette().brush(QPalette::Active, QPalette::HighlightedText));
    marked.setProperty(QTextFormat::FullWidthSelection, true);
    // One mark per run of neighbouring entries: a Shift range over a whole diary is one mark, not thousands.
    QList<QTextEdit::ExtraSelection> marks;
    for (auto it = m_chosen.begin(); it != m_chosen.end();) {
        const int first = *it;
        int last = first;
        for (++it; it != m_chosen.end() && *it == last + 1; ++it)
            last = *it;
        QTextCursor run(document->findBlockByNumber(first));
        const QTextBlock end = document->findBlockByNumber(last);
        // With the paragraph's end, so that its last line too is marked across the whole width.
        run.setPosition(std::min(end.position() + end.length(), document->characterCount() - 1),
                        QTextCursor::KeepAnchor);
        marks << QTextEdit::ExtraSelection{run, marked};
    }
    listing->setExtraSelections(marks);
    if (m_currentEntry < 0)
        return;
    // Both lines in sight: the end of the entry first, then its start.
    const QTextBlock current = document->findBlockByNumber(m_currentEntry);
    QTextCursor at(current);
    at.movePosition(QTextCursor::EndOfBlock);
    listing->setTextCursor(at);
    listing->ensureCursorVisible();
    at.movePosition(QTextCursor::StartOfBlock);
    listing->setTextCursor(at);
    listing->ensureCursorVisible();
    // A screen reader hears the entry as listed: its time, text and weight.
    QString said = current.text().replace(QChar::LineSeparator, u'，');
    if (m_chosen.size() > 1)
        said = QStringLiteral("已选 %1 条日记，当前：%2").arg(m_chosen.size()).arg(said);
    else if (!m_chosen.contains(m_currentEntry))
        said = QStringLiteral("未选：%1").arg(said);
    listing->setAccessibleDescription(said);
    QAccessibleEvent changed(listing, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

int Ttevu_main::diaryRow(int entry)
{
    const qint64 key = m_listedKeys.at(static_cast<size_t>(entry));
    if (ADODataSet_tevu.active() && ADODataSet_tevu.commandText() == diaryCommand) {
        const int row = ADODataSet_tevu.recordCount() - 1 - entry;
        if (row >= 0 && ADODataSet_tevu.rowKey(row) == key) {
            ADODataSet_tevu.moveTo(row);
            return row;
        }
    }
    load(ADODataSet_tevu, diaryCommand, Dataset::Position::Last);
    // Asked after the reading: rows read before another program's change are the listed ones, and a change after it
    // is refused by the check of what was seen.
    if (ADOCN.dataVersion() != m_listedVersion)
        throw DataError(QStringLiteral("日记在这期间被别的程序改动了，什么也没有改；请重新打开日记再选一次"));
    for (int row = ADODataSet_tevu.recordCount() - 1; row >= 0; --row) {
        if (ADODataSet_tevu.rowKey(row) == key) {
            ADODataSet_tevu.moveTo(row);
            return row;
        }
    }
    throw DataError(QStringLiteral("这条日记已经不在数据文件里了（也许被别的程序删除了）"));
}

void Ttevu_main::relistWhenChangedElsewhere()
{
    if (ADOCN.connected() && ADOCN.dataVersion() == m_listedVersion)
        return;
    // The listing's paragraphs show each entry's time to the second, text and weight: what the user chose by.
    const QTextDocument* document = m_ui->Memo1->document();
    QStringList chosen;
    for (const int entry : m_chosen)
        chosen << document->findBlockByNumber(entry).text();
    const QString current = m_currentEntry >= 0 ? document->findBlockByNumber(m_currentEntry).text() : QString();
    Image8MouseUp();
    document = m_ui->Memo1->document();
    for (QTextBlock block = document->begin(); block.isValid() && !chosen.isEmpty(); block = block.next()) {
        const qsizetype at = chosen.indexOf(block.text());
        if (at < 0)
            continue;
        chosen.removeAt(at);
        m_chosen.insert(block.blockNumber());
        if (m_currentEntry < 0 || (block.text() == current && !m_chosen.contains(m_currentEntry)))
            m_currentEntry = m_anchorEntry = block.blockNumber();
    }
    showChosenEntries();
    m_ui->Label1->setText(QStringLiteral("日记在这期间被别的程序改动了，已重新列出。"));
    if (!chosen.isEmpty())
        throw DataError(QStringLiteral("选中的日记在这期间被别的程序改动或删除了（例如导入或恢复了备份），"
                                       "日记已重新列出，什么也没有改；请再选一次"));
}

void Ttevu_main::editChosenEntry()
{
    relistWhenChangedElsewhere();
    if (m_currentEntry < 0 || !m_chosen.contains(m_currentEntry))
        return;
    const int entry = m_currentEntry;
    diaryRow(entry);
    const QString time = ADODataSet_tevu.asText(QStringLiteral("time"));
    const QString text = ADODataSet_tevu.asText(QStringLiteral("demo"));
    const QString weight =
        ADODataSet_tevu.isNull(QStringLiteral("lb")) ? QString() : ADODataSet_tevu.asText(QStringLiteral("lb"));
    const EditedEntry edited{{m_listedKeys[static_cast<size_t>(entry)], seenRow(ADODataSet_tevu)},
                             ADOCN.dataVersion(),
                             time,
                             m_ui->Edit1->text(),
                             m_ui->Edit1->geometry()};
    showView(View::Writing);
    m_ui->Memo1->setExtraSelections({});
    m_ui->Memo1->setPlainText(text);
    m_ui->Memo1->setReadOnly(false);
    m_ui->Edit1->setText(weight);
    const QString prompt = QStringLiteral("修改日记（%1）：").arg(time);
    m_ui->Label1->setText(prompt);
    // The prompt with a time is longer than the design's: the weight box moves to its end, short of the buttons.
    QRect place = edited.weightBoxPlace;
    const int promptEnd =
        m_ui->Label1->x() + std::min(m_ui->Label1->fontMetrics().horizontalAdvance(prompt), m_ui->Label1->width());
    place.moveLeft(std::max(place.x(), std::min(promptEnd + 4, m_ui->Image13->x() - place.width() - 4)));
    m_ui->Edit1->setGeometry(place);
    m_writingDiary = true;
    m_edited = edited;
    m_ui->Memo1->moveCursor(QTextCursor::End);
    m_ui->Memo1->setFocus();
}

bool Ttevu_main::dropDiaryEdit()
{
    if (!m_edited)
        return false;
    m_ui->Edit1->setText(m_edited->weightAside);
    m_ui->Edit1->setGeometry(m_edited->weightBoxPlace);
    m_edited.reset();
    m_writingDiary = false;
    m_ui->Memo1->clear();
    m_ui->Memo1->setReadOnly(true);
    return true;
}

void Ttevu_main::saveEditedEntry()
{
    const QString text = m_ui->Memo1->toPlainText();
    const QString typed = m_ui->Edit1->text();
    // An entry that had no weight may stay without one.
    QVariant weight;
    if (!typed.trimmed().isEmpty())
        weight = conversions::textToWeight(typed);
    // Another program's import or restore since the edit began gives the entry another key: found again by its time,
    // text and weight as they were read; when it is gone, nothing is saved and the boxes keep what was typed.
    if (ADOCN.dataVersion() != m_edited->version) {
        load(ADODataSet_tevu, diaryCommand, Dataset::Position::Last);
        m_edited->version = ADOCN.dataVersion();
        std::optional<qint64> found;
        for (int row = ADODataSet_tevu.recordCount() - 1; row >= 0 && !found; --row) {
            ADODataSet_tevu.moveTo(row);
            if (seenRow(ADODataSet_tevu) == m_edited->row.seen)
                found = ADODataSet_tevu.rowKey(row);
        }
        if (!found)
            throw DataError(QStringLiteral("正在修改的日记在这期间被别的程序改动或删除了（例如导入或恢复了备份），"
                                           "什么也没有保存"));
        m_edited->row.key = *found;
    }
    if (weight.isValid() && !confirmLikelyWeight(weight.toDouble(), m_edited->row.key))
        return;
    const qint64 key = m_edited->row.key;
    rowchanges::Change change = rowchanges::update(ADOCN, diaryTable, m_edited->row,
                                                   {QStringLiteral("demo"), QStringLiteral("lb")}, {text, weight});
    m_done.push_back({std::move(change), QStringLiteral("修改 %1 的日记").arg(dateOf(m_edited->time))});
    m_undone.clear();
    dropDiaryEdit();
    relistDiary({key}, QStringLiteral("已保存。"));
}

void Ttevu_main::rememberSavedEntry(qint64 key, const QString& time)
{
    try {
        m_done.push_back(
            {rowchanges::added(ADOCN, diaryTable, key), QStringLiteral("保存 %1 的日记").arg(dateOf(time))});
        m_undone.clear();
    } catch (const std::exception&) {
        // The entry is saved; only its undo is lost, which is no reason to tell the user that the save failed.
    }
}

void Ttevu_main::deleteChosenEntries()
{
    relistWhenChangedElsewhere();
    if (m_chosen.empty())
        return;
    std::vector<rowchanges::SeenRow> keys;
    QStringList lines;
    QString firstTime;
    for (const int entry : m_chosen) {
        diaryRow(entry);
        keys.push_back({m_listedKeys[static_cast<size_t>(entry)], seenRow(ADODataSet_tevu)});
        const QString time = ADODataSet_tevu.asText(QStringLiteral("time"));
        if (firstTime.isEmpty())
            firstTime = time;
        if (lines.size() < 10) {
            const QString weight = ADODataSet_tevu.isNull(QStringLiteral("lb"))
                                       ? QStringLiteral("没有体重")
                                       : ADODataSet_tevu.asText(QStringLiteral("lb")) + u'斤';
            lines << QStringLiteral("%1  %2").arg(time, weight);
        }
    }
    if (keys.size() > 10)
        lines << QStringLiteral("……");
    const QString question =
        keys.size() == 1 ? QStringLiteral("删除这条日记吗？\n\n%1").arg(lines.first())
                         : QStringLiteral("删除选中的 %1 条日记吗？\n\n%2").arg(keys.size()).arg(lines.join(u'\n'));
    if (!ask(this, question, QStringLiteral("删除"), QStringLiteral("取消")))
        return;
    const QString what = keys.size() == 1 ? QStringLiteral("删除 %1 的日记").arg(dateOf(firstTime))
                                          : QStringLiteral("删除 %1 条日记").arg(keys.size());
    std::optional<rowchanges::Change> removed;
    try {
        removed = rowchanges::remove(ADOCN, diaryTable, keys);
    } catch (const DataError&) {
        // Refused because another program changed the diary: the listing shows it as the file holds it now, with the
        // same entries chosen by what was shown of them. Any other failure leaves the listing and the choice.
        if (ADOCN.dataVersion() != m_listedVersion) {
            try {
                relistWhenChangedElsewhere();
            } catch (const DataError&) {
                // Said by the refusal itself.
            }
        }
        throw;
    }
    m_done.push_back({std::move(*removed), what});
    m_undone.clear();
    // The entry below the first one removed takes its place, so that Delete after Delete goes on down the listing.
    std::vector<qint64> next;
    for (int entry = *m_chosen.begin(); entry < static_cast<int>(m_listedKeys.size()); ++entry) {
        if (!m_chosen.contains(entry)) {
            next.push_back(m_listedKeys[static_cast<size_t>(entry)]);
            break;
        }
    }
    relistDiary(next, QStringLiteral("已%1。").arg(what));
}

void Ttevu_main::undoDiaryChange()
{
    if (m_done.empty()) {
        m_ui->Label1->setText(QStringLiteral("没有可以撤销的改动。"));
        return;
    }
    // Taken off the list only once the file holds the rows as they were: a failure leaves it to try again.
    rowchanges::undo(ADOCN, m_done.back().change);
    DiaryChange change = std::move(m_done.back());
    m_done.pop_back();
    std::vector<qint64> keys;
    for (const rowchanges::Row& row : change.change.rows)
        if (row.before)
            keys.push_back(row.key);
    const QString message = QStringLiteral("已撤销：%1").arg(change.what);
    m_undone.push_back(std::move(change));
    relistDiary(keys, message);
}

void Ttevu_main::redoDiaryChange()
{
    if (m_undone.empty()) {
        m_ui->Label1->setText(QStringLiteral("没有可以重做的改动。"));
        return;
    }
    rowchanges::redo(ADOCN, m_undone.back().change);
    DiaryChange change = std::move(m_undone.back());
    m_undone.pop_back();
    std::vector<qint64> keys;
    for (const rowchanges::Row& row : change.change.rows)
        if (row.after)
            keys.push_back(row.key);
    const QString message = QStringLiteral("已重做：%1").arg(change.what);
    m_done.push_back(std::move(change));
    relistDiary(keys, message);
}

void Ttevu_main::relistDiary(const std::vector<qint64>& chosen, const QString& message)
{
    Image8MouseUp();
    for (size_t entry = 0; entry < m_listedKeys.size(); ++entry) {
        if (std::find(chosen.begin(), chosen.end(), m_listedKeys[entry]) == chosen.end())
            continue;
        m_chosen.insert(static_cast<int>(entry));
        if (m_currentEntry < 0)
            m_currentEntry = m_anchorEntry = static_cast<int>(entry);
    }
    showChosenEntries();
    m_ui->Label1->setText(message);
    m_ui->Memo1->setFocus();
}

const std::vector<LineSeries::Point>& Ttevu_main::weighingsWithout(std::optional<qint64> edited)
{
    Dataset& diary = ADODataSet_tevu;
    if (!edited && m_weighings.generation == diary.generation())
        return m_weighings.points;
    const Weighing weighing(diary);
    std::vector<LineSeries::Point> points;
    points.reserve(static_cast<size_t>(diary.recordCount()));
    for (int row = 0; row < diary.recordCount(); ++row) {
        if (edited && diary.rowKey(row) == *edited)
            continue;
        diary.moveTo(row);
        try {
            points.push_back(weighing.current());
        } catch (const DataError&) {
            // A row that another program wrote without a readable time or weight is no reference, and no reason
            // to refuse this entry.
        }
    }
    std::stable_sort(points.begin(), points.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
    // Without an edited entry left out, they are kept until the diary's rows change.
    m_weighings = {edited ? 0 : diary.generation(), std::move(points)};
    return m_weighings.points;
}

void Ttevu_main::keepWeighingsOfAppendedEntry(quint64 generationBefore)
{
    // An entry just appended joins the kept weighings in the place that sorting them again would give it (after every
    // one of its time or earlier), so that a long diary is not read again for every new entry.
    Dataset& diary = ADODataSet_tevu;
    if (m_weighings.generation != generationBefore || generationBefore == 0) {
        m_weighings = {};
        return;
    }
    try {
        const LineSeries::Point point = Weighing(diary).current();
        auto& points = m_weighings.points;
        points.insert(std::upper_bound(points.begin(), points.end(), point,
                                       [](const auto& a, const auto& b) { return a.x < b.x; }),
                      point);
        m_weighings.generation = diary.generation();
    } catch (const DataError&) {
        m_weighings = {};
    }
}

bool Ttevu_main::confirmLikelyWeight(double weight, std::optional<qint64> edited)
{
    if (!ADODataSet_tevu.active() || ADODataSet_tevu.commandText() != diaryCommand)
        load(ADODataSet_tevu, diaryCommand, Dataset::Position::Last);
    const std::vector<LineSeries::Point>& points = weighingsWithout(edited);
    const auto departure = trend::unlikelyWeight(points, weight);
    if (!departure)
        return true;
    const QString question = QStringLiteral("这个体重比最近的趋势%1了 %2 斤（%3%），确定保存吗？")
                                 .arg(departure->difference > 0 ? QStringLiteral("重") : QStringLiteral("轻"),
                                      oneDecimal(std::abs(departure->difference)), oneDecimal(departure->percent));
    return ask(this, question, QStringLiteral("保存"), QStringLiteral("返回修改"));
}
