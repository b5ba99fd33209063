// The weekly plan window: one text of food and exercise for each day, kept in table plan.
#pragma once

#include "forms/dialog.h"
#include <memory>

namespace Ui {
class Ttevu_plan;
}
class QPlainTextEdit;

class Ttevu_plan : public TevuDialog {
    Q_OBJECT

public:
    explicit Ttevu_plan(QWidget* parent = nullptr);
    ~Ttevu_plan() override;

    Ui::Ttevu_plan* ui() const { return m_ui.get(); }
    // The seven day boxes, Monday first.
    QPlainTextEdit* dayBox(int day) const;

    void Button1Click();

protected:
    void FormShow() override;

private:
    void Button2Click();

    const std::unique_ptr<Ui::Ttevu_plan> m_ui;
};

extern Ttevu_plan* tevu_plan;
