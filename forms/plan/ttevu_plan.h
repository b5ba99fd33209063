// The weekly plan window: one text of food and exercise for each day, kept in table plan.
#pragma once

#include "forms/dialog.h"
#include <QStringList>
#include <functional>
#include <memory>

class Connection;
class Dataset;

namespace Ui {
class Ttevu_plan;
}
class QPlainTextEdit;

class Ttevu_plan : public TevuDialog {
    Q_OBJECT

public:
    // The plan is read and written through `plan`, a save as one transaction of `connection`; both outlive the window.
    Ttevu_plan(Connection& connection, Dataset& plan, QWidget* parent = nullptr);
    ~Ttevu_plan() override;

    Ui::Ttevu_plan* ui() const { return m_ui.get(); }
    // The seven day boxes, Monday first.
    QPlainTextEdit* dayBox(int day) const;

    void Button1Click();
    // What the 我的目标… button opens; the button does nothing until it is set.
    void setShowGoal(std::function<void()> showGoal) { m_showGoal = std::move(showGoal); }

protected:
    void applyLook() override;
    void FormShow() override;
    // With changes not yet saved, asks whether to save them first, or to stay.
    void closeEvent(QCloseEvent* event) override;

private:
    void Button2Click();
    bool changed() const;

    Connection& ADOCN;
    Dataset& ADODataSetPlan;
    const std::unique_ptr<Ui::Ttevu_plan> m_ui;
    std::function<void()> m_showGoal;
    // The days as last read or saved.
    QStringList m_stored;
};

extern Ttevu_plan* tevu_plan;
