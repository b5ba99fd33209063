// The slimming curve window.
#include "forms/curve/ttevu_curve.h"

#include "chart/lineseries.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "datafile/diary.h"
#include "datafile/profile.h"
#include "foods/foodlog.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "health/goalfacts.h"
#include "ui_ttevu_curve.h"

#include <QDate>
#include <QMenu>
#include <QShortcut>

Ttevu_curve* tevu_curve = nullptr;

Ttevu_curve::Ttevu_curve(Dataset& curve, QWidget* parent)
    : TevuDialog(parent, true), ADODataSetcurve(curve), m_ui(std::make_unique<Ui::Ttevu_curve>())
{
    m_ui->setupUi(this);
    m_ui->DBChart1->series()->setObjectName(QStringLiteral("Series1"));
    m_ui->DBChart1->setTitle(QStringLiteral("瘦身曲线"));
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ContextMenu"));
    // The key is named in the menu, and acts through the window's own shortcut below.
    QAction* goal = menu->addAction(QStringLiteral("我的目标…\tAlt+8"));
    connect(goal, &QAction::triggered, this, [this] { guarded([this] { showGoal(); }); });
    QAction* report = menu->addAction(QStringLiteral("导出报告…\tCtrl+P"));
    connect(report, &QAction::triggered, this, [this] { guarded([this] { exportReport(); }); });
    auto* reportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(reportKey, &QShortcut::activated, this, [this] { guarded([this] { exportReport(); }); });
    connect(m_ui->DBChart1, &DbChart::contextClicked, menu, [menu](const QPoint& at) { menu->popup(at); });
    // The same key as in the main window.
    auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_8), this);
    connect(key, &QShortcut::activated, this, [this] { guarded([this] { showGoal(); }); });
}

Ttevu_curve::~Ttevu_curve()
{
    // The series listens to a dataset that outlives the window: it must not call back into a destroyed chart.
    m_ui->DBChart1->series()->setDataSource(nullptr);
}

void Ttevu_curve::exportReport()
{
    if (!m_exportReport)
        return;
    // The days the chart shows, zoomed or not; nothing shown yet means the whole diary.
    const ChartScale x = m_ui->DBChart1->chartLayout().x;
    if (m_ui->DBChart1->series()->isEmpty() || !(x.max >= x.min)) {
        m_exportReport(QDate(), QDate());
        return;
    }
    m_exportReport(conversions::fromOleDate(x.min).date(), conversions::fromOleDate(x.max).date());
}

void Ttevu_curve::applyLook()
{
    look::setWindowFont(this, look::formFont, 11);
}

void Ttevu_curve::FormShow()
{
    Dataset& rows = ADODataSetcurve;
    rows.close();
    rows.setCommandText(QStringLiteral("select * from rj"));
    rows.open();
    LineSeries* series = m_ui->DBChart1->series();
    series->setDataSource(&rows);
    series->setXField(QStringLiteral("time"));
    m_ui->DBChart1->setDateFormat(QStringLiteral("yyyy-MM-dd"));
    series->setYField(QStringLiteral("lb"));
    m_ui->DBChart1->setLegendVisible(true);
    showProfile();
}

void Ttevu_curve::showGoal()
{
    if (!m_showGoal)
        return;
    m_showGoal();
    showProfile();
}

void Ttevu_curve::showProfile()
{
    DbChart* chart = m_ui->DBChart1;
    Connection& connection = ADODataSetcurve.connection();
    const int thisYear = QDate::currentDate().year();
    const health::Profile profile = datafile::readProfile(connection.handle(), connection.filePath(), thisYear);
    chart->setGoal(profile.goal);
    goalfacts::Diary diary = datafile::diaryFromPoints(chart->series()->points());
    // With enough of the food log, the trend is the model's: the same weight as in 我的目标 and the summary.
    foodlog::estimateBody(diary, connection.handle(), connection.filePath(), profile, QDate::currentDate());
    chart->setModelTrend(goalfacts::trendLine(diary),
                         goalfacts::projection(profile, diary, QDate::currentDate().year()));
    QStringList description{chart->hint()};
    if (profile.height && diary.trend)
        description << QStringLiteral("BMI ") + goalfacts::bmi(profile, diary, thisYear, conversions::locale());
    if (profile.goal)
        description << QStringLiteral("目标 ") + goalfacts::goal(profile, diary, thisYear, conversions::locale());
    chart->setAccessibleDescription(description.join(QStringLiteral("。")));
}
