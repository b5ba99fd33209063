// The 今天吃了什么 window: a day's food log by meal with the meal totals, the day's total against the budget with a bar
// that turns orange near it and red past it, the exercises that add to the allowance, and the energy the body really
// uses as the log and the weight trend tell it.
#pragma once

#include "data/rowchanges.h"
#include "foods/foodlog.h"
#include "foods/nutrients.h"
#include "forms/dialog.h"
#include "health/goalfacts.h"

#include <QDate>
#include <functional>
#include <vector>

class Connection;
class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class Ttevu_foodlog : public TevuDialog {
    Q_OBJECT

public:
    // The log, the diary and the profile are read and written through `connection`, which outlives the window.
    explicit Ttevu_foodlog(Connection& connection, QWidget* parent = nullptr);
    ~Ttevu_foodlog() override;

    // The day that counts as today; the clock's unless a test sets it.
    void setToday(const QDate& today) { m_today = today; }
    QDate today() const;
    // The time of day that counts as now; the clock's unless a test sets it.
    void setTime(const QTime& time) { m_time = time; }
    QDate shownDay() const { return m_day; }
    void showDay(const QDate& day);

    // Asks for a new amount, unit and meal of the chosen item.
    void changeChosen();
    void removeChosen();
    // Asks for one of the shipped exercises and its minutes.
    void addExercise();
    // The same again: the chosen meal of another day, or yesterday's of today's empty meal, copied to today (Ctrl+D);
    // the whole day shown copied to today (Ctrl+Shift+D).
    void copyChosenMeal();
    void copyShownDay();
    // Takes back the last change made in this window.
    void undo();
    // Makes the real daily use, less the deficit while losing, the user's own budget.
    void useRealUse();

    // Fills the window from what the last reading found, reading nothing.
    void present();

    QTreeWidget* list() const { return m_list; }
    QLabel* totalLabel() const { return m_total; }
    QProgressBar* bar() const { return m_bar; }
    QLabel* exerciseLabel() const { return m_exercise; }
    QLabel* realUseLabel() const { return m_realUse; }
    QLabel* messageLabel() const { return m_message; }
    QLabel* nutrientLabel() const { return m_nutrients; }
    QLabel* lowIntakeLabel() const { return m_lowIntake; }
    QPushButton* useRealUseButton() const { return m_useRealUse; }

protected:
    void FormShow() override;

private:
    // Reads the day and the profile, and when the file or the date has changed the diary and the real use; then
    // present().
    void reload();
    // The item or exercise of the chosen row; none for a meal's row.
    const foodlog::Item* chosenItem() const;
    const foodlog::Exercise* chosenExercise() const;
    void done(rowchanges::Change change);
    // The meal of the chosen heading; none for any other row.
    std::optional<foodlog::Meal> chosenMeal() const;
    // Today is shown, its `meal` is empty and yesterday's is not.
    bool offersYesterday(foodlog::Meal meal) const;
    void copyToToday(const QDate& from, std::optional<foodlog::Meal> meal);
    void showMenu(const QPoint& at);
    // Makes the row of the change's first row current at the next present().
    void keep(const rowchanges::Change& change);
    // Reads the day again and throws when another program changed the file since the last reading: the rows' keys
    // may name other rows now.
    void refuseWhenChangedElsewhere();
    // Makes a change of a stored row; when it is refused, reads the day again before the error is reported.
    void changeStored(const std::function<rowchanges::Change()>& change);

    Connection& m_connection;
    QDate m_today;
    QTime m_time;
    QDate m_day;
    QDateEdit* m_date = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_total = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_exercise = nullptr;
    QLabel* m_realUse = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_nutrients = nullptr;
    nutrients::Totals m_nutrientTotals;
    QLabel* m_lowIntake = nullptr;
    QPushButton* m_useRealUse = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_undo = nullptr;

    foodlog::Day m_log;
    // Yesterday's meals, when today is shown: what 和昨天一样 would copy.
    std::array<int, 4> m_yesterday{};
    goalfacts::Diary m_diary;
    struct HistoryStamp {
        qint64 changes = 0;
        qint64 dataVersion = 0;
        QDate today;
        bool operator==(const HistoryStamp&) const = default;
    };
    std::optional<HistoryStamp> m_historyStamp; // of the file when m_diary and m_lastWeek were read
    std::vector<health::DayIntake> m_lastWeek;  // the intake of the days logged among the week before today
    health::Profile m_profile;
    std::optional<int> m_useAsBudget;
    std::vector<rowchanges::Change> m_changes;
    struct KeptRow {
        int kind = 0;
        qint64 key = 0;
    };
    std::optional<KeptRow> m_keep;
};

extern Ttevu_foodlog* tevu_foodlog;
