// The slimming curve window: the diary's weights drawn over time.
#pragma once

#include "forms/dialog.h"
#include <memory>

class Dataset;

namespace Ui {
class Ttevu_curve;
}

class Ttevu_curve : public TevuDialog {
    Q_OBJECT

public:
    // The chart draws the diary's rows read into `curve`, which outlives the window.
    explicit Ttevu_curve(Dataset& curve, QWidget* parent = nullptr);
    ~Ttevu_curve() override;

    Ui::Ttevu_curve* ui() const { return m_ui.get(); }

protected:
    void applyLook() override;
    void FormShow() override;

private:
    Dataset& ADODataSetcurve;
    const std::unique_ptr<Ui::Ttevu_curve> m_ui;
};

extern Ttevu_curve* tevu_curve;
