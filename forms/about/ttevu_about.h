// The About window: the program's title over a picture; a click on the picture closes it.
#pragma once

#include "forms/dialog.h"
#include <memory>

namespace Ui {
class Ttevu_about;
}

class Ttevu_about : public TevuDialog {
    Q_OBJECT

public:
    explicit Ttevu_about(QWidget* parent = nullptr);
    ~Ttevu_about() override;

    Ui::Ttevu_about* ui() const { return m_ui.get(); }

protected:
    void applyLook() override;

private:
    void Image1Click();

    const std::unique_ptr<Ui::Ttevu_about> m_ui;
};

extern Ttevu_about* tevu_about;
