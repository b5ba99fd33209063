// The 自己加的食物 window.
#include "forms/ownfoods/ttevu_ownfoods.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "forms/guard.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <cmath>

Ttevu_ownfoods* tevu_ownfoods = nullptr;

namespace {

// Empty: none; else the number, full-width digits read as digits; a text that is no number is refused naming the
// field.
std::optional<double> numberIn(const QLineEdit* box, const QString& field)
{
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> value = conversions::textToNumber(text.normalized(QString::NormalizationForm_KC));
    if (!value)
        throw DataError(QStringLiteral("%1：“%2”不是数字。").arg(field, text.left(40)));
    return value;
}

QString numberText(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'g', 10) : QString();
}

} // namespace

Ttevu_ownfoods::Ttevu_ownfoods(Connection& connection, QWidget* parent)
    : TevuDialog(parent, false), m_connection(connection)
{
    setWindowTitle(QStringLiteral("自己加的食物"));
    setObjectName(QStringLiteral("Ttevu_ownfoods"));

    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setAccessibleName(QStringLiteral("自己加的食物"));
    m_list->setMinimumWidth(150);

    const auto box = [](const QString& name, const QString& accessible) {
        auto* field = new QLineEdit;
        field->setObjectName(name);
        field->setAccessibleName(accessible);
        return field;
    };
    m_name = box(QStringLiteral("name"), QStringLiteral("名称"));
    m_kcal = box(QStringLiteral("kcal"), QStringLiteral("每100克大卡"));
    m_unitKcal = box(QStringLiteral("unitKcal"), QStringLiteral("第一个单位的大卡"));
    m_unitKcal->setPlaceholderText(QStringLiteral("不知道每100克时填"));
    m_protein = box(QStringLiteral("protein"), QStringLiteral("蛋白质"));
    m_fat = box(QStringLiteral("fat"), QStringLiteral("脂肪"));
    m_carbohydrate = box(QStringLiteral("carbohydrate"), QStringLiteral("碳水化合物"));
    for (QLineEdit* optional : {m_protein, m_fat, m_carbohydrate})
        optional->setPlaceholderText(QStringLiteral("克/100克，可不填"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称："), m_name);
    form->addRow(QStringLiteral("每100克大卡："), m_kcal);
    form->addRow(QStringLiteral("或一个单位的大卡："), m_unitKcal);
    form->addRow(QStringLiteral("蛋白质："), m_protein);
    form->addRow(QStringLiteral("脂肪："), m_fat);
    form->addRow(QStringLiteral("碳水化合物："), m_carbohydrate);
    auto* units = new QGridLayout;
    for (int u = 0; u < ownfoods::maximumUnits; ++u) {
        m_unitNames[u] = box(QStringLiteral("unitName%1").arg(u + 1), QStringLiteral("单位%1的名称").arg(u + 1));
        m_unitNames[u]->setPlaceholderText(u == 0 ? QStringLiteral("一个") : QString());
        m_unitGrams[u] = box(QStringLiteral("unitGrams%1").arg(u + 1), QStringLiteral("单位%1的克数").arg(u + 1));
        units->addWidget(new QLabel(QStringLiteral("单位%1：").arg(u + 1)), u, 0);
        units->addWidget(m_unitNames[u], u, 1);
        units->addWidget(new QLabel(QStringLiteral("=")), u, 2);
        units->addWidget(m_unitGrams[u], u, 3);
        units->addWidget(new QLabel(QStringLiteral("克")), u, 4);
    }
    form->addRow(units);

    auto* add = new QPushButton(QStringLiteral("新建"));
    auto* save = new QPushButton(QStringLiteral("保存"));
    m_remove = new QPushButton(QStringLiteral("删除"));
    m_undo = new QPushButton(QStringLiteral("撤销"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    add->setObjectName(QStringLiteral("new"));
    save->setObjectName(QStringLiteral("save"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_undo->setObjectName(QStringLiteral("undo"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {add, save, m_remove, m_undo}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(close);
    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);

    auto* columns = new QHBoxLayout;
    columns->addWidget(m_list);
    columns->addLayout(form, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(m_message);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, [this] { startNew(); });
    connect(save, &QPushButton::clicked, this, [this] { guarded([this] { this->save(); }); });
    connect(m_remove, &QPushButton::clicked, this, [this] { guarded([this] { removeChosen(); }); });
    connect(m_undo, &QPushButton::clicked, this, [this] { guarded([this] { undo(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && static_cast<std::size_t>(row) < m_foods.size())
            fill(m_foods[static_cast<std::size_t>(row)]);
        m_remove->setEnabled(row >= 0);
    });
    // Enter in any box saves; Ctrl+Z takes back the last change of the window.
    for (QLineEdit* field : findChildren<QLineEdit*>())
        connect(field, &QLineEdit::returnPressed, this, [this] { guarded([this] { this->save(); }); });
    auto* undoKey = new QShortcut(QKeySequence::Undo, m_list);
    undoKey->setContext(Qt::WidgetShortcut);
    connect(undoKey, &QShortcut::activated, this, [this] { guarded([this] { undo(); }); });
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), m_list);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] { guarded([this] { removeChosen(); }); });
    resize(560, 420);
}

Ttevu_ownfoods::~Ttevu_ownfoods() = default;

void Ttevu_ownfoods::FormShow()
{
    m_changes.clear();
    m_changed = false;
    m_message->clear();
    reload(0);
    startNew();
}

void Ttevu_ownfoods::reload(qint64 chosen)
{
    m_foods = ownfoods::read(m_connection.handle(), m_connection.filePath());
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (std::size_t f = 0; f < m_foods.size(); ++f) {
        m_list->addItem(m_foods[f].name);
        if (m_foods[f].key == chosen)
            m_list->setCurrentRow(static_cast<int>(f));
    }
    m_remove->setEnabled(m_list->currentRow() >= 0);
    m_undo->setEnabled(!m_changes.empty());
}

void Ttevu_ownfoods::startNew()
{
    m_editing = 0;
    m_list->setCurrentRow(-1);
    for (QLineEdit* field : findChildren<QLineEdit*>())
        field->clear();
    m_name->setFocus(Qt::OtherFocusReason);
}

void Ttevu_ownfoods::fill(const ownfoods::Food& food)
{
    m_editing = food.key;
    m_name->setText(food.name);
    m_kcal->setText(numberText(std::round(food.kcalPer100g * 10) / 10));
    m_unitKcal->clear();
    m_protein->setText(numberText(food.protein));
    m_fat->setText(numberText(food.fat));
    m_carbohydrate->setText(numberText(food.carbohydrate));
    for (int u = 0; u < ownfoods::maximumUnits; ++u) {
        m_unitNames[u]->setText(u < food.units.size() ? food.units[u].name : QString());
        m_unitGrams[u]->setText(u < food.units.size() ? numberText(food.units[u].grams) : QString());
    }
}

ownfoods::Food Ttevu_ownfoods::fromForm() const
{
    ownfoods::Food food;
    food.key = m_editing;
    food.name = m_name->text().trimmed();
    food.protein = numberIn(m_protein, QStringLiteral("蛋白质"));
    food.fat = numberIn(m_fat, QStringLiteral("脂肪"));
    food.carbohydrate = numberIn(m_carbohydrate, QStringLiteral("碳水化合物"));
    for (int u = 0; u < ownfoods::maximumUnits; ++u) {
        const std::optional<double> grams = numberIn(m_unitGrams[u], QStringLiteral("单位%1的克数").arg(u + 1));
        const QString name = m_unitNames[u]->text().trimmed();
        if (name.isEmpty() && !grams)
            continue;
        if (name.isEmpty())
            throw DataError(QStringLiteral("单位%1：请填写单位的名称（例如“一个”）。").arg(u + 1));
        food.units << ownfoods::Unit{name, grams.value_or(0)};
    }
    const std::optional<double> per100g = numberIn(m_kcal, QStringLiteral("每100克大卡"));
    const std::optional<double> unitKcal = numberIn(m_unitKcal, QStringLiteral("一个单位的大卡"));
    if (per100g) {
        food.kcalPer100g = *per100g;
    } else if (unitKcal) {
        // 一个 = 80 克，210 大卡: the first unit's energy gives the energy per 100 g.
        if (food.units.isEmpty())
            throw DataError(QStringLiteral("一个单位的大卡：请在单位1里填写这个单位的名称和克数。"));
        food.kcalPer100g = ownfoods::per100g(food.units.first().grams, *unitKcal);
    } else {
        throw DataError(QStringLiteral("每100克大卡：请填写每100克的大卡，或者一个单位的大卡。"));
    }
    return food;
}

void Ttevu_ownfoods::save()
{
    const ownfoods::Food food = fromForm();
    const auto shown =
        std::find_if(m_foods.cbegin(), m_foods.cend(), [this](const ownfoods::Food& f) { return f.key == m_editing; });
    rowchanges::Change change = m_editing && shown != m_foods.cend() ? ownfoods::change(m_connection, *shown, food)
                                                                     : ownfoods::add(m_connection, food);
    const qint64 key = change.rows.front().key;
    m_changes.push_back(std::move(change));
    m_changed = true;
    reload(key);
    said(QStringLiteral("已保存“%1”：每100克 %2 大卡。").arg(food.name.trimmed()).arg(std::lround(food.kcalPer100g)));
}

void Ttevu_ownfoods::removeChosen()
{
    const int row = m_list->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_foods.size())
        return;
    const ownfoods::Food food = m_foods[static_cast<std::size_t>(row)];
    m_changes.push_back(ownfoods::remove(m_connection, food));
    m_changed = true;
    reload(0);
    startNew();
    said(QStringLiteral("已删除“%1”。按“撤销”可以恢复。").arg(food.name));
}

void Ttevu_ownfoods::undo()
{
    if (m_changes.empty())
        return;
    rowchanges::undo(m_connection, m_changes.back());
    const qint64 key = m_changes.back().rows.front().key;
    m_changes.pop_back();
    m_changed = true;
    reload(key);
    if (m_list->currentRow() < 0)
        startNew();
    said(QStringLiteral("已撤销。"));
}

void Ttevu_ownfoods::said(const QString& text)
{
    m_message->setText(text);
    m_message->setAccessibleName(text);
}
