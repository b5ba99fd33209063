// The slimming diary: every entry newest first, and a new entry with the day's weight.
#include "forms/main/ttevu_main.h"

#include "data/conversions.h"
#include "forms/guard.h"
#include "ui_ttevu_main.h"

void Ttevu_main::Image8MouseUp()
{
    // Without previous and next: they would only read fields that a diary row does not have.
    showView(View::Diary);
    m_ui->Memo1->clear();
    m_ui->Label1->setText(QStringLiteral("一定要坚持做日记哦！"));
    // Taken before the rows are read: another program's change in between is then noticed, not missed.
    ADOCN.connect();
    m_listedVersion = ADOCN.dataVersion();
    load(ADODataSet_tevu, QStringLiteral("select * from rj"), Dataset::Position::Last);

    const int count = ADODataSet_tevu.recordCount();
    // Two lines per entry, appended to one text: a long diary has hundreds of thousands of lines. The two lines of
    // an entry are split by a line separator rather than a new paragraph: they show and copy the same, and the editor
    // indexes half as many paragraphs, which is most of the cost of a long listing.
    QString listing;
    listing.reserve(static_cast<qsizetype>(count) * 48);
    const int weightColumn = count > 0 ? ADODataSet_tevu.fieldIndex(QStringLiteral("lb")) : -1;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            listing += u'\n';
        listing += ADODataSet_tevu.asText(QStringLiteral("time"));
        listing += QChar::LineSeparator;
        listing += ADODataSet_tevu.asText(QStringLiteral("demo"));
        // Another program may store an entry without a weight, as empty or as 0: no one weighs 0 jin, so neither is
        // listed as a weight.
        const double weight = ADODataSet_tevu.asNumber(weightColumn);
        if (weight != 0 && !ADODataSet_tevu.isNull(weightColumn)) {
            listing += QStringLiteral("  这天");
            listing += conversions::numberToText(weight);
            listing += u'斤';
        }
        ADODataSet_tevu.prior();
    }
    if (!listing.isEmpty())
        m_ui->Memo1->setPlainText(listing);
    m_ui->Memo1->moveCursor(QTextCursor::Start);
    m_ui->Memo1->ensureCursorVisible();
    keepListedKeys();
}

void Ttevu_main::Image13MouseUp()
{
    // A change of a listed entry is not the new entry: it ends unsaved.
    dropDiaryEdit();
    // An entry left unsaved comes back, with its weight, which the hidden weight box kept; one still being written
    // stays as it is.
    const bool resuming = m_writingDiary || m_draft;
    if (!m_writingDiary) {
        m_ui->Memo1->clear();
        if (m_draft)
            m_ui->Memo1->setPlainText(*m_draft);
    }
    m_draft.reset();
    if (!m_weightPrefilled) {
        m_weightPrefilled = true;
        // The box's first text, given when it is first shown rather than when the window is made: laying out a Latin
        // text at start-up loaded shaping tables that nothing on the first screen uses.
        m_ui->Edit1->setText(QStringLiteral("125"));
        prefillNewestWeight();
    }
    showView(View::Writing);
    m_ui->Memo1->setReadOnly(false);
    m_ui->Label1->setText(QStringLiteral("输入你的体重(斤)："));
    m_writingDiary = true;
    // A new entry is never merged into one whose save went wrong; the same entry resumed still is that one.
    if (!resuming)
        m_unconfirmed.reset();
    m_ui->Memo1->moveCursor(QTextCursor::End);
    m_ui->Memo1->setFocus();
}

void Ttevu_main::prefillNewestWeight()
{
    // The diary is listed: the newest entry that has a weight is the nearest to the last row.
    Dataset& diary = ADODataSet_tevu;
    if (!diary.active() || !diary.hasField(QStringLiteral("lb")))
        return;
    const int weight = diary.fieldIndex(QStringLiteral("lb"));
    for (int row = diary.recordCount() - 1; row >= 0; --row) {
        diary.moveTo(row);
        if (!diary.isNull(weight) && diary.asNumber(weight) > 0) {
            m_ui->Edit1->setText(conversions::numberToText(diary.asNumber(weight)));
            return;
        }
    }
}

bool Ttevu_main::findUnconfirmedEntry()
{
    load(ADODataSet_tevu, QStringLiteral("select * from rj"), Dataset::Position::Last);
    for (int row = ADODataSet_tevu.recordCount() - 1; row >= 0; --row) {
        ADODataSet_tevu.moveTo(row);
        if (ADODataSet_tevu.asText(QStringLiteral("time")) == m_unconfirmed->time &&
            m_unconfirmed->texts.contains(ADODataSet_tevu.asText(QStringLiteral("demo"))))
            return true;
    }
    return false;
}

void Ttevu_main::Image15MouseUp()
{
    // Only an entry that is being written is saved: a stray OK must not store the listing as an entry.
    if (!m_writingDiary || m_ui->Memo1->toPlainText().isEmpty())
        return;
    if (m_edited) {
        saveEditedEntry();
        return;
    }
    // Converted before the row is begun, so a bad weight leaves nothing pending.
    const double weight = conversions::textToWeight(m_ui->Edit1->text());
    const QString text = m_ui->Memo1->toPlainText();
    if (!confirmLikelyWeight(weight, std::nullopt))
        return;
    // A save can fail after its row reached the file (the folder's sync after the commit failed); then the retry
    // writes that row again, durably, instead of adding a second one.
    const bool rewrite = m_unconfirmed && findUnconfirmedEntry();
    const QDateTime now = QDateTime::currentDateTime();
    const quint64 weighed = ADODataSet_tevu.generation();
    if (rewrite)
        ADODataSet_tevu.edit();
    else
        ADODataSet_tevu.append();
    try {
        if (!rewrite)
            ADODataSet_tevu.setDateTime(QStringLiteral("Time"), now);
        ADODataSet_tevu.setText(QStringLiteral("demo"), text);
        ADODataSet_tevu.setNumber(QStringLiteral("lb"), weight);
        ADODataSet_tevu.post();
    } catch (...) {
        // The user still has the text on screen; a retry must store the entry once, not twice.
        ADODataSet_tevu.cancel();
        if (!rewrite)
            m_unconfirmed = UnconfirmedEntry{conversions::dateTimeToText(now), {}};
        m_unconfirmed->texts << text;
        throw;
    }
    m_unconfirmed.reset();
    if (rewrite)
        m_weighings = {};
    else
        keepWeighingsOfAppendedEntry(weighed);
    const qint64 key = ADODataSet_tevu.rowKey(ADODataSet_tevu.recNo());
    const QString time = ADODataSet_tevu.asText(QStringLiteral("time"));
    m_writingDiary = false;
    m_ui->Memo1->setReadOnly(true);
    showView(View::Diary);
    rememberSavedEntry(key, time);
    // The listing shows what was saved, so that nobody wonders whether anything happened. OK is done once the row is
    // in the file; the listing is made in the event loop's next turn, still before the window is painted again (a
    // repaint waits behind queued calls). Whatever the user did in between (another view, a new entry) wins.
    const quint64 views = m_viewsShown;
    QMetaObject::invokeMethod(
        this,
        [this, key, views] {
            if (views == m_viewsShown)
                guarded([this, key] { relistDiary({key}, QStringLiteral("已保存。")); });
        },
        Qt::QueuedConnection);
}

void Ttevu_main::startNewEntry()
{
    guarded([this] {
        Image8MouseUp();
        Image13MouseUp();
    });
}
