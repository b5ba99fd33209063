// The article browser: recipes, exercises and tips, one article at a time.
#include "forms/main/ttevu_main.h"

#include "ui_ttevu_main.h"

void Ttevu_main::Image5MouseUp()
{
    enterArticles(QStringLiteral("select * from sp"));
}

void Ttevu_main::Image6MouseUp()
{
    enterArticles(QStringLiteral("select * from yd"));
}

void Ttevu_main::Image7MouseUp()
{
    enterArticles(QStringLiteral("select * from xd"));
}

void Ttevu_main::enterArticles(const QString& commandText)
{
    showView(View::Articles);
    m_ui->Memo1->clear();
    load(ADODataSet_tevu, commandText);
    showArticle();
}

void Ttevu_main::showArticle()
{
    m_ui->Label1->setText(ADODataSet_tevu.asText(QStringLiteral("Name")));
    m_ui->Memo1->setPlainText(ADODataSet_tevu.asText(QStringLiteral("demo")));
    m_ui->Memo1->moveCursor(QTextCursor::Start);
    m_ui->Memo1->ensureCursorVisible();
}

void Ttevu_main::Image2MouseUp()
{
    m_ui->Memo1->clear();
    ADODataSet_tevu.prior();
    showArticle();
}

void Ttevu_main::Image12MouseUp()
{
    m_ui->Memo1->clear();
    ADODataSet_tevu.next();
    showArticle();
}
