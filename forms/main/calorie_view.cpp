// The calorie lookup: foods in a tree of categories, and the energy of the food clicked.
#include "forms/main/ttevu_main.h"

#include "ui_ttevu_main.h"

void Ttevu_main::buildFoodTree()
{
    m_ui->TreeView1->hide();
    m_ui->Memo1->show();
    load(ADODataSet_tevu, QStringLiteral("select * from 02"));
    const int categories = ADODataSet_tevu.recordCount();
    for (int c = 0; c < categories; ++c) {
        const QString category = ADODataSet_tevu.asText(QStringLiteral("Name"));
        auto* node = new QTreeWidgetItem(m_ui->TreeView1, QStringList{category});
        node->setFlags(node->flags() | Qt::ItemIsEditable);
        load(ADODataSet, QStringLiteral("select * from 01"));
        const int foods = ADODataSet.recordCount();
        for (int f = 0; f < foods; ++f) {
            // Compared exactly: case and spaces count.
            if (ADODataSet.asText(QStringLiteral("Name")) == category) {
                auto* food = new QTreeWidgetItem(node, QStringList{ADODataSet.asText(QStringLiteral("Title"))});
                food->setFlags(food->flags() | Qt::ItemIsEditable);
            }
            ADODataSet.next();
        }
        ADODataSet_tevu.next();
    }
}

void Ttevu_main::Image9MouseDown()
{
    m_ui->Image2->hide();
    m_ui->Image12->hide();
    m_ui->Image13->hide();
    m_ui->Image15->hide();
}

void Ttevu_main::Image9MouseUp()
{
    m_writingDiary = false;
    m_ui->Label1->setText(QString());
    m_ui->TreeView1->show();
    m_ui->Memo1->hide();
    m_ui->Image2->hide();
    m_ui->Image12->hide();
    m_ui->Image13->hide();
    m_ui->Image15->hide();
    m_ui->Edit1->hide();
}

void Ttevu_main::TreeView1Click()
{
    const QList<QTreeWidgetItem*> selected = m_ui->TreeView1->selectedItems();
    if (selected.isEmpty())
        return;
    const QString text = selected.first()->text(0);
    ADODataSet.first();
    const int foods = ADODataSet.recordCount();
    for (int f = 0; f < foods; ++f) {
        if (ADODataSet.asText(QStringLiteral("Title")) == text) {
            m_ui->Label1->setText(QStringLiteral("所含热量：") + ADODataSet.asText(QStringLiteral("sz")) +
                                  QStringLiteral("大卡"));
            return;
        }
        ADODataSet.next();
    }
}
