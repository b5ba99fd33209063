// The slimming curve window: the diary's weights drawn over time.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class Ttevu_curve;
}

class Ttevu_curve : public QDialog {
    Q_OBJECT

public:
    explicit Ttevu_curve(QWidget* parent = nullptr);
    ~Ttevu_curve() override;

    Ui::Ttevu_curve* ui() const { return m_ui.get(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    const std::unique_ptr<Ui::Ttevu_curve> m_ui;
    bool m_placed = false;
};

extern Ttevu_curve* tevu_curve;
