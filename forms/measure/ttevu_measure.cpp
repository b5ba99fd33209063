// The 身体围度 window.
#include "forms/measure/ttevu_measure.h"

#include "data/connection.h"
#include "data/conversions.h"
#include "data/errors.h"
#include "datafile/profile.h"
#include "forms/guard.h"
#include "health/measurefacts.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

Ttevu_measure* tevu_measure = nullptr;

namespace {

enum Role { KeyRole = Qt::UserRole };

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/M/d"));
}

QString shown(const std::optional<double>& value)
{
    return value ? health::measureText(*value) : QString();
}

// Empty: not measured. Full-width digits, as an input method types them, read as digits.
std::optional<double> field(QLineEdit* edit, const QString& name, double low, double high)
{
    const QString text = edit->text().trimmed().normalized(QString::NormalizationForm_KC);
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> value = conversions::textToNumber(text);
    if (!value || !(*value >= low && *value <= high)) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        throw DataError(QStringLiteral("%1要填 %2 到 %3 之间的数（“%4”不行）")
                            .arg(name)
                            .arg(low)
                            .arg(high)
                            .arg(edit->text().left(20)));
    }
    return value;
}

QString rowText(const health::Measurement& row)
{
    QStringList parts;
    if (row.waist)
        parts << QStringLiteral("腰围 %1 厘米").arg(shown(row.waist));
    if (row.hip)
        parts << QStringLiteral("臀围 %1 厘米").arg(shown(row.hip));
    if (row.fat)
        parts << QStringLiteral("体脂率 %1%").arg(shown(row.fat));
    return parts.join(QStringLiteral("，"));
}

} // namespace

Ttevu_measure::Ttevu_measure(Connection& connection, QWidget* parent)
    : TevuDialog(parent, false), m_connection(connection)
{
    setWindowTitle(QStringLiteral("身体围度"));
    setObjectName(QStringLiteral("Ttevu_measure"));
    m_ask = [this](const QString& question, const QString& yes) {
        return ask(this, question, yes, QStringLiteral("取消"));
    };

    m_date = new QDateEdit;
    m_date->setObjectName(QStringLiteral("date"));
    m_date->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    m_date->setCalendarPopup(true);
    m_waist = new QLineEdit;
    m_waist->setObjectName(QStringLiteral("waist"));
    m_hip = new QLineEdit;
    m_hip->setObjectName(QStringLiteral("hip"));
    m_fat = new QLineEdit;
    m_fat->setObjectName(QStringLiteral("fat"));
    auto* fields = new QFormLayout;
    const QString names[] = {QStringLiteral("日期"), QStringLiteral("腰围(厘米)"), QStringLiteral("臀围(厘米)"),
                             QStringLiteral("体脂率(%)")};
    QWidget* widgets[] = {m_date, m_waist, m_hip, m_fat};
    for (int i = 0; i < 4; ++i) {
        widgets[i]->setAccessibleName(names[i]);
        fields->addRow(names[i] + u'：', widgets[i]);
    }
    m_waist->setPlaceholderText(QStringLiteral("40–200，可以不填"));
    m_hip->setPlaceholderText(QStringLiteral("40–200，可以不填"));
    m_fat->setPlaceholderText(QStringLiteral("3–70，可以不填"));

    m_save = new QPushButton(QStringLiteral("保存"));
    m_save->setObjectName(QStringLiteral("save"));
    m_save->setDefault(true);
    m_cancelEdit = new QPushButton(QStringLiteral("不改了"));
    m_cancelEdit->setObjectName(QStringLiteral("cancelEdit"));
    m_cancelEdit->setAutoDefault(false);
    m_cancelEdit->hide();
    auto* saving = new QVBoxLayout;
    saving->addWidget(m_save);
    saving->addWidget(m_cancelEdit);
    saving->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(saving);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("status"));
    m_facts = new QLabel;
    m_facts->setObjectName(QStringLiteral("facts"));
    m_facts->setWordWrap(true);
    m_facts->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setAccessibleName(QStringLiteral("身体围度的记录，最新的在前"));
    m_list->setHeaderLabels({QStringLiteral("日期"), QStringLiteral("腰围(厘米)"), QStringLiteral("臀围(厘米)"),
                             QStringLiteral("体脂率(%)")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setMinimumSize(420, 160);
    for (int c = 1; c < 4; ++c)
        m_list->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);

    auto* edit = new QPushButton(QStringLiteral("修改"));
    auto* remove = new QPushButton(QStringLiteral("删除"));
    auto* undoButton = new QPushButton(QStringLiteral("撤销"));
    auto* close = new QPushButton(QStringLiteral("关闭"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {edit, remove, undoButton}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    close->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_status);
    layout->addWidget(m_facts);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, [this] { guarded([this] { saveClick(); }); });
    connect(m_cancelEdit, &QPushButton::clicked, this, [this] { cancelEdit(); });
    connect(edit, &QPushButton::clicked, this, [this] { guarded([this] { editChosen(); }); });
    connect(remove, &QPushButton::clicked, this, [this] { guarded([this] { deleteChosen(); }); });
    connect(undoButton, &QPushButton::clicked, this, [this] { guarded([this] { undo(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { guarded([this] { editChosen(); }); });
    // The list's keys, as in the diary's listing; in the fields Ctrl+Z undoes typing.
    const auto key = [this](const QKeySequence& keys, QWidget* on, Qt::ShortcutContext context,
                            void (Ttevu_measure::*action)()) {
        auto* shortcut = new QShortcut(keys, on);
        shortcut->setContext(context);
        connect(shortcut, &QShortcut::activated, this,
                [this, action] { guarded([this, action] { (this->*action)(); }); });
    };
    key(QKeySequence(Qt::Key_Return), m_list, Qt::WidgetShortcut, &Ttevu_measure::editChosen);
    key(QKeySequence(Qt::Key_Enter), m_list, Qt::WidgetShortcut, &Ttevu_measure::editChosen);
    key(QKeySequence(Qt::Key_Delete), m_list, Qt::WidgetShortcut, &Ttevu_measure::deleteChosen);
    key(QKeySequence::Undo, this, Qt::WindowShortcut, &Ttevu_measure::undo);
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this, Qt::WindowShortcut, &Ttevu_measure::redo);
    key(QKeySequence(Qt::CTRL | Qt::Key_Y), this, Qt::WindowShortcut, &Ttevu_measure::redo);
    resize(480, 500);
}

Ttevu_measure::~Ttevu_measure() = default;

QDate Ttevu_measure::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

void Ttevu_measure::FormShow()
{
    cancelEdit();
    m_status->clear();
    reload();
    m_waist->setFocus(Qt::OtherFocusReason);
}

void Ttevu_measure::clearFields()
{
    m_date->setEnabled(true);
    m_date->setDate(today());
    for (QLineEdit* edit : {m_waist, m_hip, m_fat})
        edit->clear();
    m_save->setText(QStringLiteral("保存"));
    m_cancelEdit->hide();
}

void Ttevu_measure::cancelEdit()
{
    m_edited.reset();
    clearFields();
}

void Ttevu_measure::reload(std::optional<qint64> chosen)
{
    sqlite3* db = m_connection.handle();
    const QString path = m_connection.filePath();
    m_rows = datafile::readMeasurements(db, path);
    m_profile = datafile::readProfile(db, path, today().year());

    std::vector<health::Measurement> rows;
    for (const datafile::StoredMeasurement& row : m_rows)
        rows.push_back(row.measurement);
    m_facts->setText(measurefacts::facts(rows, m_profile).join(u'\n'));
    m_facts->setAccessibleName(m_facts->text());

    m_list->clear();
    for (auto row = m_rows.rbegin(); row != m_rows.rend(); ++row) {
        const health::Measurement& m = row->measurement;
        auto* item = new QTreeWidgetItem({dateText(m.date), shown(m.waist), shown(m.hip), shown(m.fat)});
        item->setData(0, KeyRole, row->key);
        item->setData(0, Qt::AccessibleTextRole, dateText(m.date) + u' ' + rowText(m));
        for (int c = 1; c < 4; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        m_list->addTopLevelItem(item);
        if (chosen && *chosen == row->key)
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_list->resizeColumnToContents(0);
}

const datafile::StoredMeasurement* Ttevu_measure::chosenRow() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return nullptr;
    const qint64 key = item->data(0, KeyRole).toLongLong();
    for (const datafile::StoredMeasurement& row : m_rows)
        if (row.key == key)
            return &row;
    return nullptr;
}

void Ttevu_measure::saveClick()
{
    health::Measurement entered;
    entered.date = m_date->date();
    entered.waist = field(m_waist, QStringLiteral("腰围(厘米)"), health::minimumGirth, health::maximumGirth);
    entered.hip = field(m_hip, QStringLiteral("臀围(厘米)"), health::minimumGirth, health::maximumGirth);
    entered.fat = field(m_fat, QStringLiteral("体脂率(%)"), health::minimumBodyFat, health::maximumBodyFat);
    if (!entered.waist && !entered.hip && !entered.fat) {
        m_waist->setFocus(Qt::OtherFocusReason);
        throw DataError(QStringLiteral("腰围、臀围、体脂率至少要填一项"));
    }

    qint64 key = 0;
    if (m_edited) {
        entered.date = m_edited->measurement.date;
        key = m_edited->key;
        m_history.done(datafile::replaceMeasurement(m_connection, *m_edited, entered),
                       QStringLiteral("修改 %1 的记录").arg(dateText(entered.date)));
    } else if (const std::optional<datafile::StoredMeasurement> existing =
                   datafile::measurementOn(m_connection.handle(), m_connection.filePath(), entered.date)) {
        const QString question = QStringLiteral("%1 已经有一条记录：%2。\n换成刚填的：%3 吗？")
                                     .arg(dateText(entered.date), rowText(existing->measurement), rowText(entered));
        if (!m_ask(question, QStringLiteral("替换")))
            return;
        key = existing->key;
        m_history.done(datafile::replaceMeasurement(m_connection, *existing, entered),
                       QStringLiteral("替换 %1 的记录").arg(dateText(entered.date)));
    } else {
        const rowchanges::Change added = datafile::addMeasurement(m_connection, entered);
        key = added.rows.front().key;
        m_history.done(added, QStringLiteral("保存 %1 的记录").arg(dateText(entered.date)));
    }
    m_edited.reset();
    clearFields();
    reload(key);
    m_status->setText(QStringLiteral("已保存。"));
}

void Ttevu_measure::editChosen()
{
    const datafile::StoredMeasurement* row = chosenRow();
    if (!row)
        return;
    m_edited = *row;
    m_date->setDate(row->measurement.date);
    m_date->setEnabled(false);
    m_waist->setText(shown(row->measurement.waist));
    m_hip->setText(shown(row->measurement.hip));
    m_fat->setText(shown(row->measurement.fat));
    m_save->setText(QStringLiteral("保存修改"));
    m_cancelEdit->show();
    m_status->setText(QStringLiteral("修改 %1 的记录：").arg(dateText(row->measurement.date)));
    m_waist->setFocus(Qt::OtherFocusReason);
    m_waist->selectAll();
}

void Ttevu_measure::deleteChosen()
{
    const datafile::StoredMeasurement* chosen = chosenRow();
    if (!chosen)
        return;
    const datafile::StoredMeasurement row = *chosen;
    if (!m_ask(QStringLiteral("删除 %1 的记录吗？\n\n%2").arg(dateText(row.measurement.date), rowText(row.measurement)),
               QStringLiteral("删除")))
        return;
    const QString what = QStringLiteral("删除 %1 的记录").arg(dateText(row.measurement.date));
    m_history.done(datafile::removeMeasurements(m_connection, {row}), what);
    if (m_edited && m_edited->key == row.key)
        cancelEdit();
    // The row below takes the deleted one's place, so that Delete after Delete goes on down the list.
    const int at = m_list->indexOfTopLevelItem(m_list->currentItem());
    const QTreeWidgetItem* next = m_list->topLevelItem(at + 1);
    reload(next ? std::optional<qint64>(next->data(0, KeyRole).toLongLong()) : std::nullopt);
    m_status->setText(QStringLiteral("已%1。").arg(what));
}

void Ttevu_measure::afterHistory(const std::optional<rowchanges::History::Entry>& entry, const QString& done,
                                 const QString& nothing)
{
    if (!entry) {
        m_status->setText(nothing);
        return;
    }
    cancelEdit();
    reload(entry->change.rows.empty() ? std::nullopt : std::optional<qint64>(entry->change.rows.front().key));
    m_status->setText(done.arg(entry->what));
}

void Ttevu_measure::undo()
{
    afterHistory(m_history.undo(m_connection), QStringLiteral("已撤销：%1"), QStringLiteral("没有可以撤销的改动。"));
}

void Ttevu_measure::redo()
{
    afterHistory(m_history.redo(m_connection), QStringLiteral("已重做：%1"), QStringLiteral("没有可以重做的改动。"));
}
