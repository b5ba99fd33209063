// The calorie lookup: foods in a tree of categories, and the energy of the food clicked.
#include "forms/main/ttevu_main.h"

#include "forms/guard.h"
#include "ui_ttevu_main.h"

#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QScopeGuard>
#include <QTreeWidget>
#include <cmath>
#include <utility>

namespace {

// The caption above the tree holds one short line elsewhere; the energy of a food with its portions needs the width
// of the tree and two lines, so while the tree is shown the caption takes that room and the tree starts lower.
const QRect kTreeArea(136, 146, 449, 143);
const QRect kWideCaption(152, 100, 433, 44);

class FoodTree : public QTreeWidget {
public:
    FoodTree(QWidget* parent, QLabel* caption) : QTreeWidget(parent), m_caption(caption), m_narrow(caption->geometry())
    {}

protected:
    void showEvent(QShowEvent* event) override
    {
        m_caption->setWordWrap(true);
        m_caption->setGeometry(kWideCaption);
        QTreeWidget::showEvent(event);
    }
    void hideEvent(QHideEvent* event) override
    {
        m_caption->setWordWrap(false);
        m_caption->setGeometry(m_narrow);
        QTreeWidget::hideEvent(event);
    }

private:
    QLabel* const m_caption;
    const QRect m_narrow;
};

} // namespace

void Ttevu_main::buildFoodTree()
{
    showView(View::Start);
    // A file made before portions were shipped has no such table: its foods show their energy alone.
    m_portions.clear();
    load(ADODataSet_tevu, QStringLiteral("select name from sqlite_master where type = 'table' and name = 'portions'"));
    if (ADODataSet_tevu.recordCount() > 0) {
        load(ADODataSet_tevu, QStringLiteral("select * from portions"));
        const int portions = ADODataSet_tevu.recordCount();
        for (int p = 0; p < portions; ++p) {
            m_portions[ADODataSet_tevu.asText(QStringLiteral("Title"))].append(
                Portion{ADODataSet_tevu.asText(QStringLiteral("Unit")), ADODataSet_tevu.asText(QStringLiteral("g")),
                        ADODataSet_tevu.asText(QStringLiteral("Measure"))});
            ADODataSet_tevu.next();
        }
    }
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
        m_foodTree = new FoodTree(this, m_ui->Label1);
        auto* header = new QTreeWidgetItem();
        header->setText(0, QStringLiteral("1"));
        m_foodTree->setHeaderItem(header);
        m_foodTree->setObjectName(QStringLiteral("TreeView1"));
        m_foodTree->setGeometry(kTreeArea);
        m_foodTree->setFrameShape(QFrame::NoFrame);
        m_foodTree->setIndentation(19);
        m_foodTree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
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
            node->setFlags(node->flags() | Qt::ItemIsEditable);
            QList<QTreeWidgetItem*> children;
            children.reserve(rows.foods[c].size());
            for (const QString& title : rows.foods[c]) {
                auto* food = new QTreeWidgetItem(QStringList{title});
                food->setFlags(food->flags() | Qt::ItemIsEditable);
                children << food;
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

// "所含热量：116大卡/100克；一小碗（100克）116大卡。": the energy per 100 g, then each household unit with its grams
// and energy. A unit that carries its own note, "一只（可食部）", takes the grams into that note.
QString Ttevu_main::energyText(const QString& energy, const QList<Portion>& portions)
{
    QString text = QStringLiteral("所含热量：") + energy + QStringLiteral("大卡/100克");
    bool isNumber = false;
    const double per100g = energy.toDouble(&isNumber);
    for (const Portion& portion : isNumber ? portions : QList<Portion>()) {
        const QString amount = portion.amount + portion.measure;
        const QString unit = portion.unit.endsWith(u'）')
                                 ? portion.unit.chopped(1) + QStringLiteral("，") + amount + QStringLiteral("）")
                                 : portion.unit + QStringLiteral("（") + amount + QStringLiteral("）");
        const auto kcal = std::lround(per100g * portion.amount.toDouble() / 100.0);
        text += QStringLiteral("；") + unit + QString::number(kcal) + QStringLiteral("大卡");
    }
    return text + QStringLiteral("。");
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
            m_ui->Label1->setText(energyText(ADODataSet.asText(QStringLiteral("sz")), m_portions.value(text)));
            return;
        }
        ADODataSet.next();
    }
}
