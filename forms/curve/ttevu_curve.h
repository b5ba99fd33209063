// The slimming curve window: the diary's weights drawn over time.
#pragma once

#include "forms/dialog.h"
#include <QDate>
#include <functional>
#include <memory>

class Dataset;
class QAction;
class QMenu;

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

    // The body's measure drawn beside the weight on its own axis: W the waist, F the body fat, again to hide it. Off
    // until chosen; the choice is remembered for the next showing and the next start.
    enum class SideMeasure { None, Waist, Fat };
    SideMeasure sideMeasure() const { return m_side; }
    void toggleSideMeasure(SideMeasure measure);
    // What the context menu's 身体围度… and Alt+0 open; the measure drawn follows what was saved there.
    void setShowMeasure(std::function<void()> showMeasure) { m_showMeasure = std::move(showMeasure); }

protected:
    void applyLook() override;
    void FormShow() override;

private:
    // The goal line, and the chart's description with BMI, class and projection, from the stored profile.
    void showProfile();
    // The chosen measure's line from the stored measures and the profile's sex, or none.
    void showSideMeasure();
    void addMeasureChoices(QMenu* menu);

    Dataset& ADODataSetcurve;
    const std::unique_ptr<Ui::Ttevu_curve> m_ui;
    std::function<void()> m_showGoal;
    ExportReport m_exportReport;
    std::function<void()> m_showMeasure;
    SideMeasure m_side = SideMeasure::None;
    QAction* m_waistChoice = nullptr;
    QAction* m_fatChoice = nullptr;
};

extern Ttevu_curve* tevu_curve;
