// The 我的目标 window: height, sex, birth year, goal weight and activity, and what they mean with the diary: BMI and
// its class, the healthy range, the goal's projected date and a daily energy budget.
#pragma once

#include "forms/dialog.h"
#include "health/body.h"
#include "health/goalfacts.h"

#include <QDate>
#include <QTime>
#include <functional>
#include <memory>
#include <optional>

class Connection;

namespace Ui {
class Ttevu_goal;
}

class Ttevu_goal : public TevuDialog {
    Q_OBJECT

public:
    // The diary is read and the profile read and written through `connection`, which outlives the window.
    explicit Ttevu_goal(Connection& connection, QWidget* parent = nullptr);
    ~Ttevu_goal() override;

    Ui::Ttevu_goal* ui() const { return m_ui.get(); }
    // The day whose year counts ages and bounds the birth year; today unless a test sets it.
    void setToday(const QDate& today) { m_today = today; }

    // Checks every field and stores the profile, then turns the daily reminder on or off as chosen; a bad field is
    // reported by name with its range, and nothing is stored.
    void saveClick();
    // What 身体围度… opens; without it the button is hidden.
    void setShowMeasure(std::function<void()> showMeasure) { m_showMeasure = std::move(showMeasure); }

    // 取消, Escape and the close box: asks first when a field was changed since the window was shown.
    void reject() override;

protected:
    void applyLook() override;
    void FormShow() override;

private:
    // The fields as they stand, each unset while it is empty or not a valid entry.
    health::Profile entered() const;
    // The profile the fields make, or the message for the first field that is not valid.
    health::Profile checked() const;
    void showProfile(const health::Profile& profile);
    void updateFacts();
    int thisYear() const;
    // Every field's text and choice, to tell whether the user changed any.
    QString fieldTexts() const;

    Connection& m_connection;
    const std::unique_ptr<Ui::Ttevu_goal> m_ui;
    goalfacts::Diary m_diary;
    QDate m_today;
    std::optional<QTime> m_remindAt; // the reminder installed when the window was shown
    std::function<void()> m_showMeasure;
    QString m_shown; // fieldTexts() when the window was shown
};

extern Ttevu_goal* tevu_goal;
