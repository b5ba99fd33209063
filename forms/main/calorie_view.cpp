// The calorie lookup: foods in a tree of categories, and the energy of the food clicked.
#include "forms/main/ttevu_main.h"

#include "forms/guard.h"
#include "ui_ttevu_main.h"

#include <QHash>
#include <QHeaderView>
#include <QScopeGuard>
#include <QTreeWidget>
#include <utility>

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
    FoodTreeRows rows;
    // Also when reading 01 fails: the first category, made before that read, stays in the tree, as it did when
    // the nodes were made one by one.
    const auto keep = qScopeGuard([this, &rows] { m_foodTreeRows = std::move(rows); });
    if (categories == 0)
        return;
    rows.categories << names.first();
    rows.foods << QStringList();
    QHash<QString, QStringList> foodsOf;
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
    rows.foods.first() = foodsOf.value(names.first());
    for (int c = 1; c < categories; ++c) {
        rows.categories << names[c];
        rows.foods << foodsOf.value(names[c]);
    }
}

QTreeWidget* Ttevu_main::foodTree()
{
    if (!m_foodTree) {
        // Made as the window's other controls are: at its place on the skin, under the weight box, and between the
        // content box and the weight box in the tab order.
        m_foodTree = new QTreeWidget(this);
        auto* header = new QTreeWidgetItem();
        header->setText(0, QStringLiteral("1"));
        m_foodTree->setHeaderItem(header);
        m_foodTree->setObjectName(QStringLiteral("TreeView1"));
        m_foodTree->setGeometry(QRect(136, 120, 449, 169));
        m_foodTree->setFrameShape(QFrame::NoFrame);
        m_foodTree->setIndentation(19);
        // The foods are the shipped table's: a name changed on screen would only mislead the energy look-up.
        m_foodTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_foodTree->setRootIsDecorated(true);
        m_foodTree->setUniformRowHeights(true);
        m_foodTree->header()->setVisible(false);
        m_foodTree->setAccessibleName(QStringLiteral("食物热量表"));
        m_foodTree->setVisible(false);
        m_foodTree->stackUnder(m_ui->Edit1);
        QWidget::setTabOrder(m_ui->Memo1, m_foodTree);
        QWidget::setTabOrder(m_foodTree, m_ui->Edit1);
        m_treePalette = m_foodTree->palette();
        showTreeSelection(false);
        m_foodTree->installEventFilter(this);
        connect(m_foodTree, &QTreeWidget::clicked, this, [this] { guarded([this] { TreeView1Click(); }); });
        // The energy follows the food chosen with the keys as well as with the mouse.
        connect(m_foodTree, &QTreeWidget::itemSelectionChanged, this,
                [this] { guarded([this] { TreeView1Click(); }); });
    }
    if (m_foodTreeRows) {
        const FoodTreeRows rows = *std::exchange(m_foodTreeRows, std::nullopt);
        // The nodes are made apart from the view and handed to it in one call: an item added under a node that is
        // already in the view costs a model notification and a layout update each, which for thousands of foods
        // took most of the build.
        QList<QTreeWidgetItem*> nodes;
        nodes.reserve(rows.categories.size());
        for (qsizetype c = 0; c < rows.categories.size(); ++c) {
            auto* node = new QTreeWidgetItem(QStringList{rows.categories[c]});
            QList<QTreeWidgetItem*> children;
            children.reserve(rows.foods[c].size());
            for (const QString& title : rows.foods[c]) {
                children << new QTreeWidgetItem(QStringList{title});
            }
            node->addChildren(children);
            nodes << node;
        }
        m_foodTree->addTopLevelItems(nodes);
    }
    return m_foodTree;
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
    const QList<QTreeWidgetItem*> selected = m_foodTree->selectedItems();
    if (selected.isEmpty())
        return;
    const QString text = selected.first()->text(0);
    ADODataSet.first();
    const int foods = ADODataSet.recordCount();
    for (int f = 0; f < foods; ++f) {
        if (ADODataSet.asText(QStringLiteral("Title")) == text) {
            const QString energy =
                QStringLiteral("所含热量：") + ADODataSet.asText(QStringLiteral("sz")) + QStringLiteral("大卡");
            m_ui->Label1->setText(energy);
            // A screen reader announces it with the food, which the label beside the tree is not related to.
            selected.first()->setData(0, Qt::AccessibleDescriptionRole, energy);
            return;
        }
        ADODataSet.next();
    }
}
