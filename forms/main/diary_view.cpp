// The slimming diary: every entry newest first, and a new entry with the day's weight.
#include "forms/main/ttevu_main.h"

#include "data/conversions.h"
#include "ui_ttevu_main.h"

void Ttevu_main::Image8MouseUp()
{
    m_writingDiary = false;
    m_ui->TreeView1->hide();
    m_ui->Memo1->show();
    m_ui->Image13->show();
    m_ui->Image15->show();
    // Previous and next would only read fields that a diary row does not have.
    m_ui->Image2->hide();
    m_ui->Image12->hide();
    m_ui->Edit1->hide();
    m_ui->Memo1->clear();
    m_ui->Label1->setText(QStringLiteral("一定要坚持做日记哦！"));
    load(ADODataSet_tevu, QStringLiteral("select * from rj"), Dataset::Position::Last);

    const int count = ADODataSet_tevu.recordCount();
    QStringList lines;
    lines.reserve(2 * count);
    for (int i = 0; i < count; ++i) {
        lines << ADODataSet_tevu.asText(QStringLiteral("time"));
        // An entry without a weight lists it as 0.
        lines << ADODataSet_tevu.asText(QStringLiteral("demo")) + QStringLiteral("  这天") +
                     conversions::numberToText(ADODataSet_tevu.asNumber(QStringLiteral("lb"))) + QStringLiteral("斤");
        ADODataSet_tevu.prior();
    }
    if (!lines.isEmpty())
        m_ui->Memo1->setPlainText(lines.join(u'\n'));
    m_ui->Memo1->moveCursor(QTextCursor::Start);
    m_ui->Memo1->ensureCursorVisible();
}

void Ttevu_main::Image13MouseUp()
{
    m_ui->Memo1->clear();
    m_ui->Memo1->setReadOnly(false);
    m_ui->Label1->setText(QStringLiteral("输入你的体重(斤)："));
    m_ui->Edit1->show();
    m_writingDiary = true;
    m_ui->Memo1->setFocus();
}

void Ttevu_main::Image15MouseUp()
{
    // Only an entry that is being written is saved: a stray OK must not store the listing as an entry.
    if (!m_writingDiary || m_ui->Memo1->toPlainText().isEmpty())
        return;
    // Converted before the row is begun, so a bad weight leaves nothing pending.
    const double weight = conversions::textToNumberOrThrow(m_ui->Edit1->text());
    ADODataSet_tevu.append();
    try {
        ADODataSet_tevu.setDateTime(QStringLiteral("Time"), QDateTime::currentDateTime());
        ADODataSet_tevu.setText(QStringLiteral("demo"), m_ui->Memo1->toPlainText());
        ADODataSet_tevu.setNumber(QStringLiteral("lb"), weight);
        ADODataSet_tevu.post();
    } catch (...) {
        // The user still has the text on screen; a retry must store the entry once, not twice.
        ADODataSet_tevu.cancel();
        throw;
    }
    m_ui->Memo1->setReadOnly(true);
    m_ui->Edit1->hide();
    m_writingDiary = false;
}
