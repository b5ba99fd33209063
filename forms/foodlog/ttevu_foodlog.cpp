// The 今天吃了什么 window.
#include "forms/foodlog/ttevu_foodlog.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "data/sqlite.h"
#include "datafile/diary.h"
#include "datafile/profile.h"
#include "forms/guard.h"
#include "health/body.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>
#include <sqlite3.h>

Ttevu_foodlog* tevu_foodlog = nullptr;

namespace {

enum Role { KindRole = Qt::UserRole, IndexRole, MealRole, KeyRole };
enum Kind { MealRow, ItemRow, ExerciseRow };

QString kcal(double value)
{
    return health::kcalText(static_cast<int>(std::lround(value)));
}

// What an input method's full-width mode types (１．５) read as the ASCII it stands for.
std::optional<double> readNumber(const QString& text)
{
    return conversions::textToNumber(text.trimmed().normalized(QString::NormalizationForm_KC));
}

double numberOrThrow(const QString& what, const QString& text)
{
    const std::optional<double> value = readNumber(text);
    if (!value)
        throw DataError(QStringLiteral("%1“%2”不是数字。").arg(what, text.left(40)));
    return *value;
}

// A small question window with a form and OK and Cancel.
class FormDialog : public QDialog {
public:
    FormDialog(QWidget* parent, const QString& title) : QDialog(parent)
    {
        setWindowTitle(title);
        m_form = new QFormLayout;
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(m_form);
        layout->addWidget(buttons);
    }
    template <class Field> Field* add(const QString& label, const QString& name)
    {
        auto* field = new Field;
        field->setObjectName(name);
        field->setAccessibleName(label);
        m_form->addRow(label + u'：', field);
        return field;
    }

private:
    QFormLayout* m_form;
};

const char* barColour(foodlog::Bar bar)
{
    switch (bar) {
    case foodlog::Bar::Green:
        return "#4caf50";
    case foodlog::Bar::Orange:
        return "#ff9800";
    case foodlog::Bar::Red:
        break;
    }
    return "#e53935";
}

} // namespace

Ttevu_foodlog::Ttevu_foodlog(Connection& connection, QWidget* parent)
    : TevuDialog(parent, false), m_connection(connection)
{
    setWindowTitle(QStringLiteral("今天吃了什么"));
    setObjectName(QStringLiteral("Ttevu_foodlog"));
    setEscapeCloses(true);

    auto* previous = new QPushButton(QStringLiteral("←"));
    previous->setAccessibleName(QStringLiteral("前一天"));
    previous->setToolTip(QStringLiteral("前一天"));
    m_date = new QDateEdit;
    m_date->setObjectName(QStringLiteral("date"));
    m_date->setAccessibleName(QStringLiteral("日期"));
    m_date->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    m_date->setCalendarPopup(true);
    auto* next = new QPushButton(QStringLiteral("→"));
    next->setAccessibleName(QStringLiteral("后一天"));
    next->setToolTip(QStringLiteral("后一天"));
    for (QPushButton* arrow : {previous, next}) {
        arrow->setFixedWidth(36);
        arrow->setAutoDefault(false);
    }
    auto* days = new QHBoxLayout;
    days->addWidget(previous);
    days->addWidget(m_date, 1);
    days->addWidget(next);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setAccessibleName(QStringLiteral("这一天吃的食物和做的运动"));
    m_list->setHeaderLabels(
        {QStringLiteral("时间"), QStringLiteral("食物"), QStringLiteral("数量"), QStringLiteral("大卡")});
    m_list->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    m_list->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->setMinimumSize(460, 220);

    m_total = new QLabel;
    m_total->setObjectName(QStringLiteral("total"));
    m_total->setWordWrap(true);
    QFont strong = m_total->font();
    strong.setBold(true);
    m_total->setFont(strong);
    m_bar = new QProgressBar;
    m_bar->setObjectName(QStringLiteral("bar"));
    m_bar->setAccessibleName(QStringLiteral("预算用了多少"));
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(12);
    m_exercise = new QLabel;
    m_exercise->setObjectName(QStringLiteral("exercise"));
    m_lowIntake = new QLabel;
    m_lowIntake->setObjectName(QStringLiteral("lowIntake"));
    m_lowIntake->setWordWrap(true);
    m_realUse = new QLabel;
    m_realUse->setObjectName(QStringLiteral("realUse"));
    m_realUse->setWordWrap(true);
    m_useRealUse = new QPushButton(QStringLiteral("用它定每天的预算"));
    m_useRealUse->setObjectName(QStringLiteral("useRealUse"));
    m_useRealUse->setAutoDefault(false);
    m_nutrients = new QLabel;
    m_nutrients->setObjectName(QStringLiteral("nutrients"));
    m_nutrients->setWordWrap(true);
    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setWordWrap(true);
    m_message->setVisible(false);
    auto* realUse = new QHBoxLayout;
    realUse->addWidget(m_realUse, 1);
    realUse->addWidget(m_useRealUse, 0, Qt::AlignTop);

    m_change = new QPushButton(QStringLiteral("修改…"));
    m_remove = new QPushButton(QStringLiteral("删除"));
    auto* exercise = new QPushButton(QStringLiteral("加一项运动…"));
    m_undo = new QPushButton(QStringLiteral("撤销"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    // Return in the list or the date field never closes the window.
    close->setAutoDefault(false);
    m_change->setObjectName(QStringLiteral("change"));
    m_remove->setObjectName(QStringLiteral("remove"));
    exercise->setObjectName(QStringLiteral("addExercise"));
    m_undo->setObjectName(QStringLiteral("undo"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_change, m_remove, exercise, m_undo}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(days);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_total);
    layout->addWidget(m_nutrients);
    layout->addWidget(m_bar);
    layout->addWidget(m_exercise);
    layout->addWidget(m_lowIntake);
    layout->addLayout(realUse);
    layout->addWidget(m_message);
    layout->addLayout(buttons);

    connect(previous, &QPushButton::clicked, this, [this] { guarded([this] { showDay(m_day.addDays(-1)); }); });
    connect(next, &QPushButton::clicked, this, [this] { guarded([this] { showDay(m_day.addDays(1)); }); });
    connect(m_date, &QDateEdit::dateChanged, this, [this](const QDate& day) {
        if (day != m_day)
            guarded([this, day] { showDay(day); });
    });
    connect(m_change, &QPushButton::clicked, this, [this] { guarded([this] { changeChosen(); }); });
    connect(m_remove, &QPushButton::clicked, this, [this] { guarded([this] { removeChosen(); }); });
    connect(exercise, &QPushButton::clicked, this, [this] { guarded([this] { addExercise(); }); });
    connect(m_undo, &QPushButton::clicked, this, [this] { guarded([this] { undo(); }); });
    connect(m_useRealUse, &QPushButton::clicked, this, [this] { guarded([this] { useRealUse(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { guarded([this] { changeChosen(); }); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        m_change->setEnabled(chosenItem() != nullptr);
        m_remove->setEnabled(chosenItem() || chosenExercise());
    });
    // Alt+← and Alt+→ change the day; Delete and F2 act on the chosen row.
    const auto shortcut = [this](const QKeySequence& keys, auto action) {
        auto* key = new QShortcut(keys, this);
        connect(key, &QShortcut::activated, this, [this, action] { guarded([this, action] { (this->*action)(); }); });
    };
    shortcut(QKeySequence::Undo, &Ttevu_foodlog::undo);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_D), &Ttevu_foodlog::copyChosenMeal);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), &Ttevu_foodlog::copyShownDay);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([this, at] { showMenu(at); }); });
    shortcut(QKeySequence(Qt::Key_Delete), &Ttevu_foodlog::removeChosen);
    shortcut(QKeySequence(Qt::Key_F2), &Ttevu_foodlog::changeChosen);
    auto* back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(back, &QShortcut::activated, previous, &QPushButton::click);
    auto* forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
    connect(forward, &QShortcut::activated, next, &QPushButton::click);
    resize(560, 480);
}

Ttevu_foodlog::~Ttevu_foodlog() = default;

QDate Ttevu_foodlog::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

void Ttevu_foodlog::FormShow()
{
    m_changes.clear();
    showDay(today());
    // The list takes the keys: Delete, F2 and Ctrl+Z act on its rows (in the date field Ctrl+Z would undo typing).
    m_list->setFocus(Qt::OtherFocusReason);
}

void Ttevu_foodlog::showDay(const QDate& day)
{
    m_day = day;
    m_message->setVisible(false);
    {
        const QSignalBlocker quiet(m_date);
        m_date->setDate(day);
    }
    reload();
}

void Ttevu_foodlog::reload()
{
    sqlite3* db = m_connection.handle();
    const QString path = m_connection.filePath();
    // The file has changed since the last reading when this connection's total changes or the data version (another
    // program's commits) moved.
    const qint64 version = m_connection.dataVersion();
    // What grows with the history, the diary's trend and the four weeks of the real use, is read again only then;
    // the day and the profile every time.
    const QDate now = today();
    const HistoryStamp stamp{sqlite3_total_changes64(db), version, now};
    m_profile = datafile::readProfile(db, path, now.year());
    if (!m_historyStamp || *m_historyStamp != stamp) {
        m_diary = datafile::readDiary(m_connection);
        foodlog::estimateBody(m_diary, db, path, m_profile, now);
        m_lastWeek = foodlog::intake(db, path, now.addDays(-goalfacts::lowIntakeDays), now.addDays(-1));
        m_historyStamp = stamp;
    }
    m_log = foodlog::read(db, path, m_day);
    m_nutrientTotals = nutrients::ofDay(db, path, m_log);
    m_yesterday = {};
    if (m_day == now)
        for (const foodlog::Item& item : foodlog::read(db, path, now.addDays(-1)).items)
            ++m_yesterday[static_cast<std::size_t>(item.meal)];
    present();
}

void Ttevu_foodlog::present()
{
    const QDate now = today();
    foodlog::Totals totals =
        foodlog::totals(m_log, goalfacts::dayBudget(m_profile, m_diary, now.year()), health::floorFor(m_profile.sex),
                        foodlog::dayEnded(m_day, QDateTime(now, m_time.isValid() ? m_time : QTime::currentTime())));
    totals.child = health::isChild(m_profile, now.year());

    const int currentRow = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    m_list->clear();
    for (const foodlog::Meal meal : foodlog::meals) {
        QList<QTreeWidgetItem*> rows;
        for (std::size_t i = 0; i < m_log.items.size(); ++i) {
            const foodlog::Item& item = m_log.items[i];
            if (item.meal != meal)
                continue;
            auto* row = new QTreeWidgetItem({item.time.toString(QStringLiteral("HH:mm")), item.food,
                                             foodlog::quantityText(item.amount, item.unit), kcal(item.kcal)});
            row->setData(0, KindRole, ItemRow);
            row->setData(0, IndexRole, static_cast<int>(i));
            row->setData(0, KeyRole, item.key);
            rows << row;
        }
        const std::size_t m = static_cast<std::size_t>(meal);
        if (rows.isEmpty() && offersYesterday(meal)) {
            // Today's empty meal offers yesterday's again.
            auto* same =
                new QTreeWidgetItem({foodlog::mealName(meal), QStringLiteral("和昨天一样？按 Ctrl+D 加上昨天%1的 %2 样")
                                                                  .arg(foodlog::mealName(meal))
                                                                  .arg(m_yesterday[m])});
            same->setData(0, KindRole, MealRow);
            same->setData(0, MealRole, static_cast<int>(meal));
            same->setForeground(1, palette().brush(QPalette::Disabled, QPalette::Text));
            m_list->addTopLevelItem(same);
            continue;
        }
        if (rows.isEmpty())
            continue;
        const double sum = totals.meals[m];
        auto* heading = new QTreeWidgetItem({foodlog::mealName(meal), QString(), QString(), kcal(sum)});
        heading->setData(0, KindRole, MealRow);
        heading->setData(0, MealRole, static_cast<int>(meal));
        heading->setFirstColumnSpanned(false);
        QFont bold = heading->font(0);
        bold.setBold(true);
        for (int c = 0; c < 4; ++c)
            heading->setFont(c, bold);
        heading->setData(0, Qt::AccessibleTextRole,
                         QStringLiteral("%1 共 %2 大卡").arg(foodlog::mealName(meal), kcal(sum)));
        m_list->addTopLevelItem(heading);
        m_list->addTopLevelItems(rows);
    }
    if (!m_log.exercises.empty()) {
        auto* heading =
            new QTreeWidgetItem({QStringLiteral("运动"), QString(), QString(), u'+' + kcal(totals.exercise)});
        heading->setData(0, KindRole, MealRow);
        QFont bold = heading->font(0);
        bold.setBold(true);
        for (int c = 0; c < 4; ++c)
            heading->setFont(c, bold);
        m_list->addTopLevelItem(heading);
        for (std::size_t i = 0; i < m_log.exercises.size(); ++i) {
            const foodlog::Exercise& exercise = m_log.exercises[i];
            auto* row = new QTreeWidgetItem({exercise.time.toString(QStringLiteral("HH:mm")), exercise.name,
                                             foodlog::amountText(exercise.minutes) + QStringLiteral("分钟"),
                                             u'+' + kcal(exercise.kcal)});
            row->setData(0, KindRole, ExerciseRow);
            row->setData(0, IndexRole, static_cast<int>(i));
            row->setData(0, KeyRole, exercise.key);
            m_list->addTopLevelItem(row);
        }
    }
    if (m_list->topLevelItemCount() == 0) {
        auto* empty =
            new QTreeWidgetItem({QString(), QStringLiteral("这一天还没有记录。在热量计算里选好食物，按“加入今天”。")});
        empty->setData(0, KindRole, MealRow);
        empty->setFirstColumnSpanned(true);
        m_list->addTopLevelItem(empty);
    }
    // Amounts and energies line up on the right, as figures do.
    for (int r = 0; r < m_list->topLevelItemCount(); ++r)
        for (const int column : {2, 3})
            m_list->topLevelItem(r)->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    m_list->resizeColumnToContents(0);
    m_list->resizeColumnToContents(2);
    m_list->resizeColumnToContents(3);
    // After a change or an undo the row it touched stays current; a removed one leaves its place to the next row.
    if (m_keep) {
        QTreeWidgetItem* kept = nullptr;
        for (int r = 0; r < m_list->topLevelItemCount() && !kept; ++r) {
            QTreeWidgetItem* row = m_list->topLevelItem(r);
            if (row->data(0, KindRole).toInt() == m_keep->kind && row->data(0, KeyRole).toLongLong() == m_keep->key)
                kept = row;
        }
        if (!kept && currentRow >= 0)
            kept = m_list->topLevelItem(std::min(currentRow, m_list->topLevelItemCount() - 1));
        m_keep.reset();
        if (kept)
            m_list->setCurrentItem(kept);
    }

    m_total->setText(foodlog::totalLine(totals, m_day, today()));
    // Screen readers read the label by its name as well as its text.
    m_total->setAccessibleName(m_total->text());
    m_bar->setVisible(totals.budget.has_value());
    if (totals.budget) {
        const int allowance = std::max(1, static_cast<int>(std::lround(totals.allowance)));
        m_bar->setRange(0, allowance);
        m_bar->setValue(std::min(allowance, static_cast<int>(std::lround(totals.eaten))));
        QPalette colours = m_bar->palette();
        colours.setColor(QPalette::Highlight, QColor(QLatin1String(barColour(totals.bar))));
        m_bar->setPalette(colours);
        const QString state = totals.bar == foodlog::Bar::Red      ? QStringLiteral("已超出预算")
                              : totals.tooLittle                   ? QStringLiteral("吃得太少了")
                              : totals.bar == foodlog::Bar::Orange ? QStringLiteral("接近预算")
                                                                   : QStringLiteral("在预算之内");
        m_bar->setAccessibleDescription(state);
        m_bar->setProperty("state", state);
    }
    const QString amounts = nutrients::amountLine(m_nutrientTotals, !m_log.items.empty());
    m_nutrients->setText(amounts.isEmpty()
                             ? QString()
                             : amounts + u'\n' + nutrients::guidelineLine(m_nutrientTotals, !m_log.items.empty()));
    m_nutrients->setAccessibleName(m_nutrients->text());
    m_nutrients->setVisible(!amounts.isEmpty());
    m_exercise->setText(foodlog::exerciseLine(totals));
    m_exercise->setVisible(!m_exercise->text().isEmpty());
    m_lowIntake->setText(goalfacts::lowIntake(m_profile, m_lastWeek));
    m_lowIntake->setVisible(!m_lowIntake->text().isEmpty());

    // The real use, over the four weeks before today.
    m_realUse->setText(goalfacts::realUse(m_profile, m_diary, now.year()));
    // A child is given no budget; where the rules allow no deficit, the real use is kept.
    m_useAsBudget = goalfacts::budgetFromUse(m_profile, m_diary, now.year());
    m_useRealUse->setVisible(m_useAsBudget.has_value());
    if (m_useAsBudget)
        m_useRealUse->setToolTip(QStringLiteral("把每天的预算设为 %1 大卡").arg(health::kcalText(*m_useAsBudget)));
    m_change->setEnabled(chosenItem() != nullptr);
    m_remove->setEnabled(chosenItem() || chosenExercise());
    m_undo->setEnabled(!m_changes.empty());
}

const foodlog::Item* Ttevu_foodlog::chosenItem() const
{
    const QTreeWidgetItem* row = m_list->currentItem();
    if (!row || row->data(0, KindRole).toInt() != ItemRow)
        return nullptr;
    const auto index = static_cast<std::size_t>(row->data(0, IndexRole).toInt());
    return index < m_log.items.size() ? &m_log.items[index] : nullptr;
}

const foodlog::Exercise* Ttevu_foodlog::chosenExercise() const
{
    const QTreeWidgetItem* row = m_list->currentItem();
    if (!row || row->data(0, KindRole).toInt() != ExerciseRow)
        return nullptr;
    const auto index = static_cast<std::size_t>(row->data(0, IndexRole).toInt());
    return index < m_log.exercises.size() ? &m_log.exercises[index] : nullptr;
}

void Ttevu_foodlog::keep(const rowchanges::Change& change)
{
    if (!change.rows.empty())
        m_keep =
            KeptRow{change.table == QLatin1String(foodlog::foodTable) ? ItemRow : ExerciseRow, change.rows.front().key};
}

void Ttevu_foodlog::done(rowchanges::Change change)
{
    keep(change);
    m_changes.push_back(std::move(change));
    reload();
}

void Ttevu_foodlog::changeChosen()
{
    refuseWhenChangedElsewhere();
    const foodlog::Item* chosen = chosenItem();
    if (!chosen)
        return;
    const foodlog::Item item = *chosen;
    // The food as the table has it now; one that left the table keeps the unit and energy it was logged with.
    std::optional<foodlog::Food> food = foodlog::food(m_connection.handle(), m_connection.filePath(), item.food);
    if (!food && item.grams > 0 && item.amount > 0)
        food = foodlog::Food{item.food, item.kcal * 100 / item.grams, {{item.unit, item.grams / item.amount}}};
    if (!food)
        throw DataError(QStringLiteral("热量表里已经没有“%1”了，只能删除这一项。").arg(item.food));

    FormDialog ask(this, QStringLiteral("修改：%1").arg(item.food));
    auto* amount = ask.add<QLineEdit>(QStringLiteral("数量"), QStringLiteral("amount"));
    auto* unit = ask.add<QComboBox>(QStringLiteral("单位"), QStringLiteral("unit"));
    auto* meal = ask.add<QComboBox>(QStringLiteral("餐次"), QStringLiteral("meal"));
    amount->setText(foodlog::amountText(item.amount));
    for (const foodlog::Unit& u : food->units)
        unit->addItem(foodlog::unitLabel(u));
    const auto stored = std::find_if(food->units.cbegin(), food->units.cend(),
                                     [&](const foodlog::Unit& u) { return u.name == item.unit; });
    unit->setCurrentIndex(stored == food->units.cend() ? 0 : static_cast<int>(stored - food->units.cbegin()));
    for (const foodlog::Meal m : foodlog::meals)
        meal->addItem(foodlog::mealName(m));
    meal->setCurrentIndex(static_cast<int>(item.meal));
    amount->setFocus(Qt::OtherFocusReason);
    amount->selectAll();
    // A refused amount keeps the window open with what was typed.
    for (;;) {
        if (ask.exec() != QDialog::Accepted)
            return;
        double value = 0;
        try {
            value = numberOrThrow(QStringLiteral("数量"), amount->text());
        } catch (const DataError& e) {
            reportError(e.message());
            continue;
        }
        // OK on what was there changes nothing, and leaves nothing to undo.
        if (value == item.amount && food->units.at(unit->currentIndex()).name == item.unit &&
            meal->currentIndex() == static_cast<int>(item.meal))
            return;
        changeStored([&] {
            return foodlog::change(m_connection, item, value, food->units.at(unit->currentIndex()),
                                   foodlog::meals.at(static_cast<std::size_t>(meal->currentIndex())),
                                   food->kcalPer100g);
        });
        return;
    }
}

void Ttevu_foodlog::removeChosen()
{
    refuseWhenChangedElsewhere();
    if (const foodlog::Item* item = chosenItem()) {
        const foodlog::Item chosen = *item;
        changeStored([&] { return foodlog::remove(m_connection, chosen); });
    } else if (const foodlog::Exercise* exercise = chosenExercise()) {
        const foodlog::Exercise chosen = *exercise;
        changeStored([&] { return foodlog::remove(m_connection, chosen); });
    }
}

void Ttevu_foodlog::refuseWhenChangedElsewhere()
{
    if (m_historyStamp && m_connection.dataVersion() != m_historyStamp->dataVersion) {
        reload();
        throw DataError(QStringLiteral("这一天的记录在这期间被别的程序改动了（例如恢复了备份），已重新读出，"
                                       "什么也没有改；请再选一次"));
    }
}

void Ttevu_foodlog::changeStored(const std::function<rowchanges::Change()>& change)
{
    std::optional<rowchanges::Change> made;
    try {
        made = change();
    } catch (const DataError&) {
        // The list shows the file as it is now, whatever refused the change.
        reload();
        throw;
    }
    done(std::move(*made));
}

void Ttevu_foodlog::addExercise()
{
    const std::vector<foodlog::Activity> activities =
        foodlog::activities(m_connection.handle(), m_connection.filePath());
    if (activities.empty())
        throw DataError(QStringLiteral("数据文件里没有可以计算消耗的运动。"));
    if (!m_diary.trend)
        throw DataError(QStringLiteral("还没有称重记录：运动消耗要按体重计算，请先在瘦身日记里记一次体重。"));
    FormDialog ask(this, QStringLiteral("加一项运动"));
    auto* which = ask.add<QComboBox>(QStringLiteral("运动"), QStringLiteral("activity"));
    auto* minutes = ask.add<QLineEdit>(QStringLiteral("分钟"), QStringLiteral("minutes"));
    for (const foodlog::Activity& activity : activities)
        which->addItem(activity.name);
    minutes->setText(QStringLiteral("30"));
    minutes->selectAll();
    for (;;) {
        if (ask.exec() != QDialog::Accepted)
            return;
        try {
            const double length = numberOrThrow(QStringLiteral("分钟数"), minutes->text());
            if (!(length > 0 && length <= 600))
                throw DataError(QStringLiteral("运动时间要在 1 到 600 分钟之间。"));
            const foodlog::Activity& activity = activities.at(static_cast<std::size_t>(which->currentIndex()));
            // On the day shown: now when it is today, at noon on another day.
            const QDateTime when(m_day, m_day == today() ? QTime::currentTime() : QTime(12, 0));
            done(foodlog::add(m_connection,
                              foodlog::Exercise{0, when, activity.name, length,
                                                double(health::exerciseEnergy(activity.met, *m_diary.trend, length))}));
            return;
        } catch (const DataError& e) {
            reportError(e.message());
        }
    }
}

std::optional<foodlog::Meal> Ttevu_foodlog::chosenMeal() const
{
    const QTreeWidgetItem* row = m_list->currentItem();
    if (!row || !row->data(0, MealRole).isValid())
        return std::nullopt;
    return foodlog::meals.at(static_cast<std::size_t>(row->data(0, MealRole).toInt()));
}

void Ttevu_foodlog::copyChosenMeal()
{
    const std::optional<foodlog::Meal> meal = chosenMeal();
    if (!meal)
        return;
    if (m_day != today())
        copyToToday(m_day, meal);
    else if (offersYesterday(*meal))
        copyToToday(today().addDays(-1), meal);
}

bool Ttevu_foodlog::offersYesterday(foodlog::Meal meal) const
{
    return m_day == today() && m_yesterday[static_cast<std::size_t>(meal)] > 0 &&
           std::none_of(m_log.items.cbegin(), m_log.items.cend(),
                        [meal](const foodlog::Item& item) { return item.meal == meal; });
}

void Ttevu_foodlog::copyShownDay()
{
    if (m_day != today())
        copyToToday(m_day, std::nullopt);
}

void Ttevu_foodlog::copyToToday(const QDate& from, std::optional<foodlog::Meal> meal)
{
    const QDate now = today();
    foodlog::Copy copied = foodlog::copy(m_connection, from, meal, QDateTime(now, QTime::currentTime()));
    m_changes.push_back(std::move(copied.change));
    // Today, where the copy is.
    showDay(now);
    m_message->setText(foodlog::copiedLine(from, meal, copied) + QStringLiteral("。"));
    m_message->setVisible(true);
    m_message->setAccessibleName(m_message->text());
}

void Ttevu_foodlog::showMenu(const QPoint& at)
{
    QMenu menu(this);
    const std::optional<foodlog::Meal> meal = chosenMeal();
    if (m_day != today()) {
        if (meal)
            menu.addAction(QStringLiteral("复制到今天"), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                           [this] { guarded([this] { copyChosenMeal(); }); });
        menu.addAction(QStringLiteral("整天复制到今天"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), this,
                       [this] { guarded([this] { copyShownDay(); }); });
    } else if (meal && offersYesterday(*meal)) {
        menu.addAction(QStringLiteral("和昨天一样"), QKeySequence(Qt::CTRL | Qt::Key_D), this,
                       [this] { guarded([this] { copyChosenMeal(); }); });
    }
    if (!menu.isEmpty())
        menu.exec(m_list->viewport()->mapToGlobal(at));
}

void Ttevu_foodlog::undo()
{
    if (m_changes.empty())
        return;
    rowchanges::undo(m_connection, m_changes.back());
    keep(m_changes.back());
    m_changes.pop_back();
    reload();
}

void Ttevu_foodlog::useRealUse()
{
    if (!m_useAsBudget)
        return;
    health::Profile profile = m_profile;
    profile.ownBudget = *m_useAsBudget;
    datafile::writeProfile(m_connection.handle(), m_connection.filePath(), profile);
    reload();
    m_realUse->setText(
        m_realUse->text() +
        QStringLiteral("\n已把每天的预算设为 %1 大卡。").arg(health::kcalText(profile.ownBudget.value())));
}
