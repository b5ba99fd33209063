// The slimming curve window: the diary's weights drawn over time.
#pragma once

#include "forms/dialog.h"
#include <QDate>
#include <functional>
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
    // What the context menu's 我的目标… and Alt+8 open; after it closes the goal line and title follow the new profile.
    void setShowGoal(std::function<void()> showGoal) { m_showGoal = std::move(showGoal); }
    void showGoal();
    // What the context menu's 导出报告… and Ctrl+P do with the days the chart shows: write the page for a doctor.
    using ExportReport = std::function<void(const QDate& from, const QDate& to)>;
    void setExportReport(ExportReport exportReport) { m_exportReport = std::move(exportReport); }
    void exportReport();

protected:
    void applyLook() override;
    void FormShow() override;

private:
    // The goal line, and the chart's description with BMI, class and projection, from the stored profile.
    void showProfile();

    Dataset& ADODataSetcurve;
    const std::unique_ptr<Ui::Ttevu_curve> m_ui;
    std::function<void()> m_showGoal;
    ExportReport m_exportReport;
};

extern Ttevu_curve* tevu_curve;
