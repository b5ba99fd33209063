// The calorie lookup: foods in a tree of categories, the search box above it, and the energy of the food clicked.
#include "forms/main/ttevu_main.h"

#include "data/conversions.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "foods/foodlog.h"
#include "foods/often.h"
#include "foods/ownfoods.h"
#include "forms/guard.h"
#include "health/body.h"
#include "ui_ttevu_main.h"

#include <QAccessible>
#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cmath>
#include <functional>
#include <sqlite3.h>
#include <utility>

namespace {

// What a node under 常吃的 holds besides its text, 鸡蛋 2个.
enum OftenRole { OftenTitleRole = Qt::UserRole + 1, OftenAmountRole, OftenUnitRole, OftenGramsRole };
const QString kOftenCategory = QStringLiteral("常吃的");

// The caption above the tree holds one short line elsewhere; the energy of a food with its portions needs the width
// of the tree and two lines, so while the tree is shown the caption takes that room and the tree starts lower, under
// the search box.
const QRect kTreeArea(136, 170, 449, 93);
// Under the tree, one row: how much of the food current in the tree, in which unit, at which meal, and the day's log.
const QRect kAmountBox(136, 267, 52, 22);
const QRect kUnitList(192, 267, 128, 22);
const QRect kMealList(324, 267, 64, 22);
const QRect kAddButton(392, 267, 78, 22);
const QRect kDayButton(474, 267, 111, 22);
const QRect kWideCaption(152, 100, 433, 44);
// The search box leaves the end of its line to 自己加….
const QRect kSearchBox(136, 146, 381, 22);
const QRect kOwnFoodsButton(521, 146, 64, 22);

class FoodTree : public QTreeWidget {
public:
    // `companions`: the search box and the food log's row, shown with the tree.
    FoodTree(QWidget* parent, QLabel* caption, QList<QWidget*> companions, std::function<void(const QString&)> typed)
        : QTreeWidget(parent),
          m_caption(caption),
          m_narrow(caption->geometry()),
          m_companions(std::move(companions)),
          m_typed(std::move(typed))
    {}

protected:
    void showEvent(QShowEvent* event) override
    {
        m_caption->setWordWrap(true);
        m_caption->setGeometry(kWideCaption);
        for (QWidget* companion : std::as_const(m_companions))
            companion->setVisible(true);
        QTreeWidget::showEvent(event);
    }
    void hideEvent(QHideEvent* event) override
    {
        m_caption->setWordWrap(false);
        m_caption->setGeometry(m_narrow);
        // A minimised window hides the tree too, and the box must be there when it comes back.
        if (!event->spontaneous())
            for (QWidget* companion : std::as_const(m_companions))
                companion->setVisible(false);
        QTreeWidget::hideEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        // Letters typed in the tree would jump between nodes by their first character, which a Chinese name read
        // by pinyin never matches: they start a search instead.
        const QString text = event->text();
        const bool printable = !text.isEmpty() && text.front().isPrint() && !text.front().isSpace();
        if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            m_typed(text);
            return;
        }
        QTreeWidget::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent* event) override
    {
        QTreeWidget::paintEvent(event);
        // Queued: it runs once the tree is on the screen, not before.
        if (m_afterPaint)
            QMetaObject::invokeMethod(this, std::exchange(m_afterPaint, {}), Qt::QueuedConnection);
    }

public:
    // One more control shown and hidden with the tree.
    void addCompanion(QWidget* companion) { m_companions.append(companion); }
    // Work that can wait until the user sees the tree.
    void afterNextPaint(std::function<void()> work) { m_afterPaint = std::move(work); }
    // With a layout of the whole tree to come before the next paint, opening or closing a category only notes it:
    // otherwise each one lays out its rows at once, which for a hundred categories took longer than the search.
    void layOutLater() { scheduleDelayedItemsLayout(); }

private:
    std::function<void()> m_afterPaint;
    QLabel* const m_caption;
    const QRect m_narrow;
    QList<QWidget*> m_companions;
    const std::function<void(const QString&)> m_typed;
};

// Hands the search box's keys to the window before the box sees them.
class KeyFilter : public QObject {
public:
    KeyFilter(QObject* parent, std::function<bool(int)> onKey) : QObject(parent), m_onKey(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
                if (m_onKey(key->key()))
                    return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const std::function<bool(int)> m_onKey;
};

} // namespace

void Ttevu_main::buildFoodTree()
{
    showView(View::Start);
    // The portions and the pinyin are read when the calorie view is first entered (loadFoodExtras): nothing of them
    // is needed for the first paint.
    m_portions.clear();
    m_extrasLoaded = false;
    m_readingsLoaded = false;
    m_readingsFailed = false;
    m_foodIndex = search::SearchIndex();
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
    rows.positions << QList<qsizetype>();
    // Categories of one name share their foods: each name has one list, found once per food.
    QHash<QString, qsizetype> listOf;
    listOf.reserve(categories);
    for (const QString& name : std::as_const(names))
        if (!listOf.contains(name))
            listOf.insert(name, listOf.size());
    QList<QStringList> foodsOf(listOf.size());
    QList<QList<qsizetype>> positionsOf(listOf.size());
    // A title met twice is found once, as the look-up by title finds only the first.
    QHash<QString, qsizetype>& firstOfTitle = m_positionOfTitle;
    firstOfTitle.clear();
    load(ADODataSet, QStringLiteral("select * from 01"));
    const int foods = ADODataSet.recordCount();
    m_foodRowOfTitle.clear();
    // Grown once, not rehashed again and again on the way to thousands of titles.
    m_foodRowOfTitle.reserve(foods);
    firstOfTitle.reserve(foods);
    for (int f = 0; f < foods; ++f) {
        const QString title = ADODataSet.asText(QStringLiteral("Title"));
        // The first row of a title, as the look-up in order finds.
        if (!m_foodRowOfTitle.contains(title))
            m_foodRowOfTitle.insert(title, f);
        const auto list = listOf.constFind(ADODataSet.asText(QStringLiteral("Name")));
        if (list != listOf.cend()) {
            auto position = firstOfTitle.constFind(title);
            if (position == firstOfTitle.cend())
                position = firstOfTitle.insert(title, m_foodIndex.addFood(title));
            foodsOf[*list] << title;
            positionsOf[*list] << *position;
        }
        ADODataSet.next();
    }
    // The pages read for the tree are not kept in the connection's cache: the memory goes to the first paint instead.
    sqlite3_db_release_memory(ADOCN.handle());
    rows.foods.first() = foodsOf.value(listOf.value(names.first()));
    rows.positions.first() = positionsOf.value(listOf.value(names.first()));
    for (int c = 1; c < categories; ++c) {
        rows.categories << names[c];
        rows.foods << foodsOf.value(listOf.value(names[c]));
        rows.positions << positionsOf.value(listOf.value(names[c]));
    }
}

void Ttevu_main::loadFoodExtras()
{
    if (m_extrasLoaded)
        return;
    // A file that could not be opened says so as the datasets do, and is tried again the next time.
    if (!ADOCN.connected())
        ADOCN.connect();
    sqlite3* db = ADOCN.handle();
    const QString path = ADOCN.filePath();
    m_portions.clear();
    // A file made before portions were shipped has no such table: its foods show their energy alone.
    if (sqlite::hasTable(db, QStringLiteral("portions"), path)) {
        sqlite::Statement portions(db, QStringLiteral("SELECT Title, Unit, g, Measure FROM portions ORDER BY rowid"),
                                   path);
        while (portions.step())
            m_portions[portions.value(0).toString()].append(
                Portion{portions.value(1).toString(), portions.value(2).toString(), portions.value(3).toString()});
    }
    m_extrasLoaded = true;
}

void Ttevu_main::loadFoodReadings()
{
    if (m_readingsLoaded || m_readingsFailed)
        return;
    m_readingsFailed = true;
    if (!ADOCN.connected())
        ADOCN.connect();
    sqlite3* db = ADOCN.handle();
    const QString path = ADOCN.filePath();
    // How the names are typed; a file made before the search was shipped finds foods by their Chinese names only.
    if (sqlite::hasTable(db, QStringLiteral("food_search"), path)) {
        sqlite::Statement readings(db, QStringLiteral("SELECT Title, Pinyin FROM food_search ORDER BY rowid"), path);
        // Text as it is stored, without the detour through a QVariant: ten thousand rows are read while the user
        // may be waiting for the first keystroke.
        const auto text = [&readings](int column) {
            const sqlite::Column read = readings.read(column);
            return read.kind == sqlite::Column::Kind::Text ? QString::fromUtf8(read.utf8)
                                                           : readings.value(column).toString();
        };
        while (readings.step()) {
            const auto food = m_positionOfTitle.constFind(text(0));
            if (food == m_positionOfTitle.cend())
                continue;
            if (const sqlite::Column pinyin = readings.read(1); pinyin.kind == sqlite::Column::Kind::Text)
                m_foodIndex.addReading(food.value(), pinyin.utf8);
            else
                m_foodIndex.addReading(food.value(), readings.value(1).toString());
        }
    }
    m_readingsLoaded = true;
    m_readingsFailed = false;
}

Ttevu_main::FoodBranches::~FoodBranches()
{
    // The tree deletes the nodes it holds; a search left the others to us.
    for (const FoodBranch& branch : *this)
        for (QTreeWidgetItem* food : branch.foods)
            if (!food->parent())
                delete food;
}

QTreeWidget* Ttevu_main::foodTree()
{
    // A file that fails here has said so; the tree is made all the same, as from the foods that were read.
    guarded([this] { loadFoodExtras(); });
    // Tried again at the next keystroke after a failure, once.
    m_readingsFailed = false;
    if (!m_foodTree) {
        // Made as the window's other controls are: at its place on the skin, under the weight box, and between the
        // content box and the weight box in the tab order.
        makeFoodLogRow();
        m_foodTree = new FoodTree(this, m_ui->Label1, {m_ui->Edit2, m_amount, m_unit, m_meal, m_addToday, m_showDay},
                                  [this](const QString& text) { guarded([this, &text] { typeIntoSearch(text); }); });
        auto* header = new QTreeWidgetItem();
        header->setText(0, QStringLiteral("1"));
        m_foodTree->setHeaderItem(header);
        m_foodTree->setObjectName(QStringLiteral("TreeView1"));
        m_foodTree->setGeometry(kTreeArea);
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
        QWidget::setTabOrder(m_ui->Memo1, m_ui->Edit2);
        QWidget::setTabOrder(m_ui->Edit2, m_foodTree);
        QWidget::setTabOrder(m_foodTree, m_amount);
        QWidget::setTabOrder(m_amount, m_unit);
        QWidget::setTabOrder(m_unit, m_meal);
        QWidget::setTabOrder(m_meal, m_addToday);
        QWidget::setTabOrder(m_addToday, m_showDay);
        QWidget::setTabOrder(m_showDay, m_ui->Edit1);
        m_treePalette = m_foodTree->palette();
        showTreeSelection(false);
        m_foodTree->installEventFilter(this);
        connect(m_foodTree, &QTreeWidget::clicked, this, [this] { guarded([this] { TreeView1Click(); }); });
        // The energy follows the food chosen with the keys as well as with the mouse.
        connect(m_foodTree, &QTreeWidget::itemSelectionChanged, this,
                [this] { guarded([this] { TreeView1Click(); }); });
        connect(m_ui->Edit2, &QLineEdit::textChanged, this, [this] { guarded([this] { Edit2Change(); }); });
        m_ui->Edit2->installEventFilter(new KeyFilter(m_ui->Edit2, [this](int key) {
            bool taken = false;
            guarded([this, key, &taken] { taken = searchBoxKey(key); });
            return taken;
        }));
        // 自己加… beside the search box, which gives it the room; and in the tree's menu.
        m_ui->Edit2->setGeometry(kSearchBox);
        m_ownFoodsButton = new QPushButton(QStringLiteral("自己加…"), this);
        m_ownFoodsButton->setObjectName(QStringLiteral("ownFoods"));
        m_ownFoodsButton->setGeometry(kOwnFoodsButton);
        m_ownFoodsButton->setToolTip(QStringLiteral("自己加的食物：名称、热量和单位"));
        m_ownFoodsButton->setVisible(m_ui->Edit2->isVisible());
        m_ownFoodsButton->stackUnder(m_ui->Edit1);
        connect(m_ownFoodsButton, &QPushButton::clicked, this, [this] { guarded([this] { showOwnFoods(); }); });
        static_cast<FoodTree*>(m_foodTree)->addCompanion(m_ownFoodsButton);
        QWidget::setTabOrder(m_ui->Edit2, m_ownFoodsButton);
        QWidget::setTabOrder(m_ownFoodsButton, m_foodTree);
        m_foodTree->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_foodTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            QMenu menu(this);
            menu.addAction(QStringLiteral("自己加的食物…"), this, [this] { guarded([this] { showOwnFoods(); }); });
            menu.exec(m_foodTree->viewport()->mapToGlobal(at));
        });
        // Made with the tree, not with the window: its icon is looked up in the theme, which start-up need not wait
        // for.
        m_ui->Edit2->setClearButtonEnabled(true);
        // The toolkit's clear button in the box has no name of its own for a screen reader.
        for (QToolButton* clear : m_ui->Edit2->findChildren<QToolButton*>())
            clear->setAccessibleName(QStringLiteral("清空搜索"));
        // A shortcut of the box works only while the box is shown: in the calorie view.
        auto* find = new QShortcut(QKeySequence::Find, m_ui->Edit2);
        find->setContext(Qt::WindowShortcut);
        connect(find, &QShortcut::activated, this, [this] {
            m_ui->Edit2->setFocus(Qt::ShortcutFocusReason);
            m_ui->Edit2->selectAll();
        });
    }
    if (m_foodTreeRows) {
        const FoodTreeRows rows = *std::exchange(m_foodTreeRows, std::nullopt);
        m_foodNodes = QList<QTreeWidgetItem*>(m_foodIndex.size(), nullptr);
        // The nodes are made apart from the view and handed to it in one call: an item added under a node that is
        // already in the view costs a model notification and a layout update each, which for thousands of foods
        // took most of the build.
        QList<QTreeWidgetItem*> nodes;
        nodes.reserve(rows.categories.size());
        m_foodBranches.reserve(static_cast<std::size_t>(rows.categories.size()));
        for (qsizetype c = 0; c < rows.categories.size(); ++c) {
            auto* node = new QTreeWidgetItem(QStringList{rows.categories[c]});
            QList<QTreeWidgetItem*> children;
            children.reserve(rows.foods[c].size());
            for (qsizetype f = 0; f < rows.foods[c].size(); ++f) {
                auto* food = new QTreeWidgetItem(QStringList{rows.foods[c][f]});
                const qsizetype position = rows.positions[c][f];
                // A food listed under two categories is current under the first.
                if (!m_foodNodes[position])
                    m_foodNodes[position] = food;
                children << food;
            }
            node->addChildren(children);
            nodes << node;
            m_foodBranches.push_back(FoodBranch{node, children, rows.positions[c], children});
        }
        m_foodTree->addTopLevelItems(nodes);
        m_shippedFoods = m_foodIndex.size();
        guarded([this] { refreshOwnFoods(); });
        // The pinyin is for the search box, which no one has typed into before the tree is seen.
        static_cast<FoodTree*>(m_foodTree)->afterNextPaint([this] { guarded([this] { loadFoodReadings(); }); });
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
    if (m_meal)
        m_meal->setCurrentIndex(static_cast<int>(foodlog::mealAt(QTime::currentTime())));
    // What was logged since, here or in the day window.
    refreshOften();
}

void Ttevu_main::showOwnFoods()
{
    if (!m_dialogs.showOwnFoods)
        return;
    m_dialogs.showOwnFoods();
    refreshOwnFoods();
}

void Ttevu_main::refreshOwnFoods()
{
    if (!m_foodTree || !ADOCN.connected())
        return;
    const std::vector<ownfoods::Food> own = ownfoods::read(ADOCN.handle(), ADOCN.filePath());
    const QSignalBlocker quiet(m_foodTree);
    if (m_ownNode) {
        const auto branch = std::find_if(m_foodBranches.begin(), m_foodBranches.end(),
                                         [this](const FoodBranch& b) { return b.category == m_ownNode; });
        if (branch != m_foodBranches.end()) {
            // The tree deletes those under the category; a search left the others to us.
            for (QTreeWidgetItem* food : branch->foods)
                if (!food->parent())
                    delete food;
            m_foodBranches.erase(branch);
        }
        delete std::exchange(m_ownNode, nullptr);
    }
    // The own foods follow the shipped ones in the index: it is made again with the shipped names, whose pinyin is
    // read again at the next keystroke.
    if (m_foodIndex.size() > m_shippedFoods || !own.empty()) {
        search::SearchIndex index;
        for (qsizetype f = 0; f < m_shippedFoods; ++f)
            index.addFood(m_foodIndex.title(f));
        m_foodIndex = std::move(index);
        m_readingsLoaded = false;
    }
    m_foodNodes.resize(m_shippedFoods);
    for (auto title = m_ownKcal.cbegin(); title != m_ownKcal.cend(); ++title)
        m_portions.remove(title.key());
    m_ownKcal.clear();
    m_ownPositions.clear();
    if (!own.empty()) {
        QList<QTreeWidgetItem*> children;
        QList<qsizetype> positions;
        for (const ownfoods::Food& food : own) {
            // A name a shipped food has too is marked, in the tree and in the log.
            const QString title =
                m_foodRowOfTitle.contains(food.name) ? food.name + QString::fromUtf8(ownfoods::mark) : food.name;
            const qsizetype position = m_foodIndex.addFood(title);
            for (const QString& reading : food.readings)
                m_foodIndex.addReading(position, reading);
            auto* node = new QTreeWidgetItem(QStringList{title});
            m_foodNodes.append(node);
            children << node;
            positions << position;
            m_ownKcal.insert(title, food.kcalPer100g);
            m_ownPositions.insert(title, position);
            QList<Portion>& portions = m_portions[title];
            portions.clear();
            for (const ownfoods::Unit& unit : food.units)
                portions.append(Portion{unit.name, QString::number(unit.grams, 'g', 10), QStringLiteral("克")});
        }
        m_ownNode = new QTreeWidgetItem(QStringList{QStringLiteral("自己加的食物")});
        m_ownNode->addChildren(children);
        m_foodTree->insertTopLevelItem(m_oftenNode ? 1 : 0, m_ownNode);
        m_foodBranches.push_back(FoodBranch{m_ownNode, children, positions, children});
    }
    refreshOften();
    // A search under way shows what it finds among them too.
    if (!search::SearchIndex::fold(m_ui->Edit2->text()).isEmpty())
        Edit2Change();
}

bool Ttevu_main::isOftenNode(const QTreeWidgetItem* node)
{
    return node && node->parent() && node->data(0, OftenTitleRole).isValid();
}

void Ttevu_main::refreshOften()
{
    if (!m_foodTree || !m_foodTree->topLevelItemCount() || !ADOCN.connected())
        return;
    const std::vector<often::Food> foods = often::eatenOften(ADOCN.handle(), ADOCN.filePath(), QDate::currentDate());
    std::vector<qsizetype> preferred;
    for (const often::Food& food : foods)
        if (const auto position = m_positionOfTitle.constFind(food.title); position != m_positionOfTitle.cend())
            preferred.push_back(*position);
        else if (const auto own = m_ownPositions.constFind(food.title); own != m_ownPositions.cend())
            preferred.push_back(*own);
    m_foodIndex.setPreferred(preferred);

    const QSignalBlocker quiet(m_foodTree);
    QTreeWidgetItem* const current = m_foodTree->currentItem();
    const QString currentTitle = isOftenNode(current) ? current->data(0, OftenTitleRole).toString() : QString();
    if (foods.empty()) {
        delete std::exchange(m_oftenNode, nullptr);
        return;
    }
    if (!m_oftenNode) {
        m_oftenNode = new QTreeWidgetItem(QStringList{kOftenCategory});
        m_foodTree->insertTopLevelItem(0, m_oftenNode);
    }
    qDeleteAll(m_oftenNode->takeChildren());
    QList<QTreeWidgetItem*> children;
    QTreeWidgetItem* again = nullptr;
    for (const often::Food& food : foods) {
        auto* node = new QTreeWidgetItem(QStringList{often::label(food)});
        node->setData(0, OftenTitleRole, food.title);
        node->setData(0, OftenAmountRole, food.amount);
        node->setData(0, OftenUnitRole, food.unit);
        node->setData(0, OftenGramsRole, food.grams);
        if (food.title == currentTitle && !again)
            again = node;
        children << node;
    }
    m_oftenNode->addChildren(children);
    m_oftenNode->setExpanded(true);
    // While a search shows its matches, 常吃的 waits until the box is cleared.
    m_oftenNode->setHidden(!search::SearchIndex::fold(m_ui->Edit2->text()).isEmpty());
    if (again)
        m_foodTree->setCurrentItem(again);
}

void Ttevu_main::makeFoodLogRow()
{
    m_amount = new QLineEdit(this);
    m_amount->setObjectName(QStringLiteral("amountBox"));
    m_amount->setGeometry(kAmountBox);
    m_amount->setPlaceholderText(QStringLiteral("数量"));
    m_amount->setAccessibleName(QStringLiteral("数量"));
    m_amount->setToolTip(QStringLiteral("吃了多少（按 Enter 加入今天）"));
    m_unit = new QComboBox(this);
    m_unit->setObjectName(QStringLiteral("unitList"));
    m_unit->setGeometry(kUnitList);
    m_unit->setAccessibleName(QStringLiteral("单位"));
    m_meal = new QComboBox(this);
    m_meal->setObjectName(QStringLiteral("mealList"));
    m_meal->setGeometry(kMealList);
    m_meal->setAccessibleName(QStringLiteral("餐次"));
    for (const foodlog::Meal meal : foodlog::meals)
        m_meal->addItem(foodlog::mealName(meal));
    m_meal->setCurrentIndex(static_cast<int>(foodlog::mealAt(QTime::currentTime())));
    m_addToday = new QPushButton(QStringLiteral("加入今天"), this);
    m_addToday->setObjectName(QStringLiteral("addToToday"));
    m_addToday->setGeometry(kAddButton);
    m_showDay = new QPushButton(QStringLiteral("今天吃了什么"), this);
    m_showDay->setObjectName(QStringLiteral("showFoodLog"));
    m_showDay->setGeometry(kDayButton);
    m_showDay->setToolTip(QStringLiteral("今天吃了什么（Alt+9）"));
    for (QWidget* control : std::initializer_list<QWidget*>{m_amount, m_unit, m_meal, m_addToday, m_showDay}) {
        control->setVisible(false);
        control->stackUnder(m_ui->Edit1);
    }
    connect(m_addToday, &QPushButton::clicked, this, [this] { guarded([this] { addToToday(); }); });
    connect(m_amount, &QLineEdit::returnPressed, this, [this] { guarded([this] { addToToday(); }); });
    // Enter in the unit or the meal list adds the item as in the amount box (with the list closed: open, Enter
    // chooses the entry).
    for (QComboBox* list : {m_unit, m_meal})
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            auto* enter = new QShortcut(QKeySequence(key), list, nullptr, nullptr, Qt::WidgetShortcut);
            connect(enter, &QShortcut::activated, this, [this] { guarded([this] { addToToday(); }); });
        }
    connect(m_showDay, &QPushButton::clicked, this, [this] {
        if (m_dialogs.showFoodLog)
            guarded(m_dialogs.showFoodLog);
    });
    showFoodUnits(QString(), QString());
}

void Ttevu_main::showFoodUnits(const QString& title, const QString& per100g)
{
    m_loggedFood.reset();
    bool isNumber = false;
    const double kcal = per100g.trimmed().toDouble(&isNumber);
    // From what the tree was made with: the energy of the food's row and its household units.
    if (!title.isEmpty() && isNumber && kcal >= 0) {
        QList<foodlog::Unit> household;
        for (const Portion& portion : m_portions.value(title))
            if (const std::optional<foodlog::Unit> unit =
                    foodlog::householdUnit(portion.unit, portion.amount, portion.measure))
                household.append(*unit);
        m_loggedFood = foodlog::Food{title, kcal, foodlog::unitsFor(household)};
    }
    if (!m_unit)
        return;
    m_unit->clear();
    if (!m_loggedFood) {
        m_unit->addItem(QStringLiteral("克"));
        m_unit->setEnabled(false);
        m_addToday->setEnabled(false);
        return;
    }
    for (const foodlog::Unit& unit : m_loggedFood->units)
        m_unit->addItem(foodlog::unitLabel(unit));
    m_unit->setEnabled(true);
    m_addToday->setEnabled(true);
    // The food's first household unit, or grams when it has none: the amount typed most often.
    m_unit->setCurrentIndex(0);
}

void Ttevu_main::addToToday()
{
    if (!m_loggedFood)
        throw DataError(QStringLiteral("先在热量表里选一种食物，再加入今天。"));
    const QString typed = m_amount->text().trimmed();
    const std::optional<double> amount = conversions::textToNumber(typed.normalized(QString::NormalizationForm_KC));
    if (typed.isEmpty())
        throw DataError(QStringLiteral("请先填写数量。"));
    if (!amount)
        throw DataError(QStringLiteral("数量“%1”不是数字。").arg(typed.left(40)));
    const foodlog::Unit& unit = m_loggedFood->units.at(std::max(0, m_unit->currentIndex()));
    const double grams = foodlog::gramsOf(*amount, unit);
    const foodlog::Item item{0,
                             QDateTime::currentDateTime(),
                             foodlog::meals.at(static_cast<std::size_t>(std::max(0, m_meal->currentIndex()))),
                             m_loggedFood->title,
                             *amount,
                             unit.name,
                             grams,
                             m_loggedFood->kcalPer100g * grams / 100};
    foodlog::add(ADOCN, item);
    const double eaten = foodlog::eatenOn(ADOCN.handle(), ADOCN.filePath(), item.time.date());
    const QString said = QStringLiteral("已加入今天：%1 %2，%3大卡。今天共 %4 大卡。")
                             .arg(item.food, foodlog::quantityText(item.amount, item.unit))
                             .arg(std::lround(item.kcal))
                             .arg(health::kcalText(static_cast<int>(std::lround(eaten))));
    m_ui->Label1->setText(said);
    m_amount->setAccessibleDescription(said);
    QAccessibleEvent event(m_amount, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
    m_amount->clear();
    refreshOften();
    // The next food is typed into the search box.
    m_ui->Edit2->setFocus(Qt::OtherFocusReason);
    m_ui->Edit2->selectAll();
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
        // At tenths, so that n units shown agree with the whole number that logging n of them gives (an egg is
        // 69.5, two are 139, not 2 × 70).
        const double kcal = std::round(per100g * portion.amount.toDouble() / 10.0) / 10.0;
        text += QStringLiteral("；") + unit + QString::number(kcal) + QStringLiteral("大卡");
    }
    return text + QStringLiteral("。");
}

void Ttevu_main::TreeView1Click()
{
    const QList<QTreeWidgetItem*> selected = m_foodTree->selectedItems();
    // Only a food can be added to the day: none while a category or nothing is chosen.
    if (selected.isEmpty() || !selected.first()->parent())
        showFoodUnits(QString(), QString());
    if (selected.isEmpty())
        return;
    const bool often = isOftenNode(selected.first());
    const QString text = often ? selected.first()->data(0, OftenTitleRole).toString() : selected.first()->text(0);
    QString per100g;
    if (const auto own = m_ownKcal.constFind(text); own != m_ownKcal.cend() && !m_foodRowOfTitle.contains(text)) {
        // One of the user's own foods: not in the table.
        per100g = QString::number(std::round(*own * 10) / 10, 'g', 10);
    } else {
        // The first row of that title, found by the index of the rows made with the tree; the rows in order
        // otherwise.
        const auto found = [&] { return ADODataSet.asText(QStringLiteral("Title")) == text; };
        const auto known = m_foodRowOfTitle.constFind(text);
        if (known != m_foodRowOfTitle.cend() && *known < ADODataSet.recordCount())
            ADODataSet.moveTo(*known);
        if (known == m_foodRowOfTitle.cend() || !found()) {
            ADODataSet.first();
            while (!ADODataSet.eof() && !found())
                ADODataSet.next();
            if (ADODataSet.eof())
                return;
        }
        per100g = ADODataSet.asText(QStringLiteral("sz"));
    }
    const QString energy = energyText(per100g, m_portions.value(text));
    m_ui->Label1->setText(energy);
    if (selected.first()->parent())
        showFoodUnits(text, per100g);
    // A food eaten often comes with the portion last logged, ready for Enter.
    if (often && m_loggedFood && m_amount) {
        const QString unit = selected.first()->data(0, OftenUnitRole).toString();
        const auto stored = std::find_if(m_loggedFood->units.cbegin(), m_loggedFood->units.cend(),
                                         [&unit](const foodlog::Unit& u) { return u.name == unit; });
        if (stored != m_loggedFood->units.cend()) {
            m_unit->setCurrentIndex(static_cast<int>(stored - m_loggedFood->units.cbegin()));
            m_amount->setText(foodlog::amountText(selected.first()->data(0, OftenAmountRole).toDouble()));
        } else {
            // A unit the food no longer has: the same grams.
            const auto grams = std::find_if(m_loggedFood->units.cbegin(), m_loggedFood->units.cend(),
                                            [](const foodlog::Unit& u) { return u.grams == 1; });
            m_unit->setCurrentIndex(static_cast<int>(grams - m_loggedFood->units.cbegin()));
            m_amount->setText(foodlog::amountText(selected.first()->data(0, OftenGramsRole).toDouble()));
        }
    }
    // A screen reader announces it with the food, which the label beside the tree is not related to.
    selected.first()->setData(0, Qt::AccessibleDescriptionRole, energy);
}

void Ttevu_main::Edit2Change()
{
    const QString query = m_ui->Edit2->text().trimmed();
    const bool searching = !search::SearchIndex::fold(query).isEmpty();
    // A file that cannot give the pinyin has said so; its foods are still found by their names.
    if (searching)
        guarded([this] { loadFoodReadings(); });
    const QList<search::Match> matches = m_foodIndex.find(query);
    QList<bool> matched(m_foodIndex.size(), false);
    for (const search::Match& match : matches)
        matched[match.food] = true;

    m_foodTree->setUpdatesEnabled(false);
    const auto repaint = qScopeGuard([this] { m_foodTree->setUpdatesEnabled(true); });
    if (m_oftenNode && m_oftenNode->isHidden() != searching)
        m_oftenNode->setHidden(searching);
    if (searching && !m_openBeforeSearch) {
        QList<QTreeWidgetItem*> open;
        for (int c = 0; c < m_foodTree->topLevelItemCount(); ++c)
            if (m_foodTree->topLevelItem(c)->isExpanded())
                open << m_foodTree->topLevelItem(c);
        m_openBeforeSearch = open;
    }
    {
        // Taking a food out that is current moves the tree's current item: nothing of that is the user's choice, so
        // it is not shown, and the whole tree gets its current food back.
        const QSignalBlocker quiet(m_foodTree);
        QTreeWidgetItem* const current = m_foodTree->currentItem();
        // Only when something changes: a layout of ten thousand rows for nothing cost as much as the search.
        bool layOutLater = true;
        for (FoodBranch& branch : m_foodBranches) {
            QList<QTreeWidgetItem*> shown;
            if (searching) {
                for (qsizetype f = 0; f < branch.foods.size(); ++f)
                    if (matched[branch.positions[f]])
                        shown << branch.foods[f];
            } else {
                shown = branch.foods;
            }
            // One removal and one insertion per category whose foods change.
            if (shown != branch.inTree) {
                branch.category->takeChildren();
                branch.category->addChildren(shown);
                branch.inTree = shown;
            }
            const bool categoryShown = !searching || !shown.isEmpty();
            if (branch.category->isHidden() == categoryShown)
                branch.category->setHidden(!categoryShown);
            if (searching && !shown.isEmpty() && !branch.category->isExpanded()) {
                if (std::exchange(layOutLater, false))
                    static_cast<FoodTree*>(m_foodTree)->layOutLater();
                branch.category->setExpanded(true);
            }
        }
        if (!searching && current && m_foodTree->currentItem() != current)
            m_foodTree->setCurrentItem(current);
    }

    // The food found is marked in the tree while the search shows it, since the caption gives its energy, not its name.
    showTreeSelection(m_foodTree->hasFocus() || (searching && !matches.isEmpty()));
    QString announcement;
    if (!searching) {
        if (m_openBeforeSearch) {
            const QList<QTreeWidgetItem*> open = *std::exchange(m_openBeforeSearch, std::nullopt);
            static_cast<FoodTree*>(m_foodTree)->layOutLater();
            for (int c = 0; c < m_foodTree->topLevelItemCount(); ++c) {
                QTreeWidgetItem* category = m_foodTree->topLevelItem(c);
                category->setExpanded(open.contains(category));
            }
        }
        // The food found stays current, in its category, for the whole tree.
        if (QTreeWidgetItem* current = m_foodTree->currentItem()) {
            if (current->parent())
                current->parent()->setExpanded(true);
            m_foodTree->scrollToItem(current);
        } else {
            // Only a search that found nothing leaves no food current: what it says is over.
            m_ui->Label1->clear();
        }
    } else if (matches.isEmpty()) {
        m_foodTree->setCurrentItem(nullptr);
        m_foodTree->clearSelection();
        announcement = QStringLiteral("没有找到“%1”。").arg(query);
        m_ui->Label1->setText(announcement);
    } else {
        if (QTreeWidgetItem* best = m_foodNodes.value(matches.first().food)) {
            m_foodTree->setCurrentItem(best);
            m_foodTree->scrollToItem(best);
            TreeView1Click();
        }
        announcement = QStringLiteral("找到 %1 种食物").arg(matches.size());
    }
    // Screen readers read a changed description of the focused box aloud: the number found, or that none was.
    if (announcement != m_searchAnnounced) {
        m_searchAnnounced = announcement;
        m_ui->Edit2->setAccessibleDescription(announcement);
        QAccessibleEvent event(m_ui->Edit2, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

bool Ttevu_main::searchBoxKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        if (m_ui->Edit2->text().isEmpty())
            return false;
        m_ui->Edit2->clear();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The food found stays current; the list of matches stays for the arrow keys.
        if (!m_foodTree->currentItem() || m_foodTree->currentItem()->isHidden())
            return false;
        m_foodTree->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Down:
        if (!m_foodTree->currentItem() || m_foodTree->currentItem()->isHidden()) {
            for (QTreeWidgetItemIterator it(m_foodTree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
                m_foodTree->setCurrentItem(*it);
                break;
            }
        }
        m_foodTree->setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

void Ttevu_main::typeIntoSearch(const QString& text)
{
    m_ui->Edit2->setFocus(Qt::OtherFocusReason);
    m_ui->Edit2->end(false);
    m_ui->Edit2->insert(text);
}
