// The calorie lookup: foods in a tree of categories, and the energy of the food clicked.
#include "forms/main/ttevu_main.h"

#include "ui_ttevu_main.h"

#include <QHash>

void Ttevu_main::buildFoodTree()
{
    showView(View::Start);
    load(ADODataSet_tevu, QStringLiteral("select * from 02"));
    const int categories = ADODataSet_tevu.recordCount();
    QStringList names;
    for (int c = 0; c < categories; ++c) {
        names << ADODataSet_tevu.asText(QStringLiteral("Name"));
        ADODataSet_tevu.next();
    }
    // The foods of each category named in 02, in the order of the rows of 01; names compared exactly (case and
    // spaces count). One read of 01, which stays loaded for the look-up.
    QHash<QString, QStringList> foodsOf;
    for (int c = 0; c < categories; ++c) {
        auto* node = new QTreeWidgetItem(m_ui->TreeView1, QStringList{names[c]});
        node->setFlags(node->flags() | Qt::ItemIsEditable);
        if (c == 0) {
            for (const QString& name : std::as_const(names))
                foodsOf.insert(name, {});
            load(ADODataSet, QStringLiteral("select * from 01"));
            const int foods = ADODataSet.recordCount();
            for (int f = 0; f < foods; ++f) {
                const auto category = foodsOf.find(ADODataSet.asText(QStringLiteral("Name")));
                if (category != foodsOf.end())
                    *category << ADODataSet.asText(QStringLiteral("Title"));
                ADODataSet.next();
            }
        }
        for (const QString& title : std::as_const(foodsOf[names[c]])) {
            auto* food = new QTreeWidgetItem(node, QStringList{title});
            food->setFlags(food->flags() | Qt::ItemIsEditable);
        }
    }
}

void Ttevu_main::Image9MouseDown()
{
    showSmallButtons(View::Calories);
}

void Ttevu_main::Image9MouseUp()
{
    showView(View::Calories);
    m_ui->Label1->setText(QString());
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
