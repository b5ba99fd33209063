// The slimming curve window.
#include "forms/curve/ttevu_curve.h"

#include "chart/lineseries.h"
#include "data/connection.h"
#include "data/conversions.h"
#include "data/dataset.h"
#include "datafile/diary.h"
#include "datafile/measurements.h"
#include "datafile/profile.h"
#include "datafile/settings.h"
#include "foods/foodlog.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "health/goalfacts.h"
#include "ui_ttevu_curve.h"

#include <QDate>
#include <QMenu>
#include <QSettings>
#include <QShortcut>

Ttevu_curve* tevu_curve = nullptr;

namespace {
constexpr auto trendSetting = "curve.trend";
}

Ttevu_curve::Ttevu_curve(Dataset& curve, QWidget* parent)
    : TevuDialog(parent, true), ADODataSetcurve(curve), m_ui(std::make_unique<Ui::Ttevu_curve>())
{
    m_ui->setupUi(this);
    m_ui->DBChart1->series()->setObjectName(QStringLiteral("Series1"));
    m_ui->DBChart1->setTitle(QStringLiteral("瘦身曲线"));
    DbChart* chart = m_ui->DBChart1;
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ContextMenu"));
    // Every action of the chart with its key; the keys act through the chart's own handling and the window's
    // shortcuts below.
    const auto add = [menu, chart](const QString& text, const QString& name, auto action) {
        QAction* item = menu->addAction(text);
        item->setObjectName(name);
        connect(item, &QAction::triggered, chart, action);
        return item;
    };
    QAction* trend =
        add(QStringLiteral("显示趋势线\tT"), QStringLiteral("showTrend"), [chart] { chart->toggleTrend(); });
    trend->setCheckable(true);
    QAction* legend = add(QStringLiteral("显示图例\tL"), QStringLiteral("showLegend"),
                          [chart] { chart->setLegendVisible(!chart->legendVisible()); });
    legend->setCheckable(true);
    connect(menu, &QMenu::aboutToShow, this, [chart, trend, legend] {
        trend->setChecked(chart->trendVisible());
        legend->setChecked(chart->legendVisible());
    });
    menu->addSeparator();
    add(QStringLiteral("放大\t+"), QStringLiteral("zoomIn"), [chart] { chart->zoomIn(); });
    add(QStringLiteral("缩小\t-"), QStringLiteral("zoomOut"), [chart] { chart->zoomOut(); });
    add(QStringLiteral("还原\t0"), QStringLiteral("undoZoom"), [chart] { chart->undoZoom(); });
    menu->addSeparator();
    QAction* goal = menu->addAction(QStringLiteral("我的目标…\tAlt+8"));
    connect(goal, &QAction::triggered, this, [this] { guarded([this] { showGoal(); }); });
    QAction* report = menu->addAction(QStringLiteral("导出报告…\tCtrl+P"));
    connect(report, &QAction::triggered, this, [this] { guarded([this] { exportReport(); }); });
    auto* reportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(reportKey, &QShortcut::activated, this, [this] { guarded([this] { exportReport(); }); });
    addMeasureChoices(menu);
    connect(chart, &DbChart::contextClicked, menu, [menu](const QPoint& at) { menu->popup(at); });
    // The trend, shown or hidden, stays so in later showings and runs: the choice is kept in the data file.
    connect(chart, &DbChart::trendToggled, this, [this](bool shown) {
        guarded([this, shown] {
            Connection& connection = ADODataSetcurve.connection();
            connection.connect();
            datafile::writeSetting(connection.handle(), connection.filePath(), QLatin1String(trendSetting),
                                   shown ? QStringLiteral("1") : QStringLiteral("0"));
        });
    });
    // The same key as in the main window.
    auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_8), this);
    connect(key, &QShortcut::activated, this, [this] { guarded([this] { showGoal(); }); });
}

Ttevu_curve::~Ttevu_curve()
{
    // The series listens to a dataset that outlives the window: it must not call back into a destroyed chart.
    m_ui->DBChart1->series()->setDataSource(nullptr);
}

namespace {

const QString sideKey = QStringLiteral("curve/measure");

QSettings settings()
{
    return QSettings(QStringLiteral("Tevu"), QStringLiteral("Tevu"));
}

} // namespace

void Ttevu_curve::addMeasureChoices(QMenu* menu)
{
    menu->addSeparator();
    m_waistChoice = menu->addAction(QStringLiteral("腰围曲线\tW"));
    m_fatChoice = menu->addAction(QStringLiteral("体脂率曲线\tF"));
    QAction* open = menu->addAction(QStringLiteral("身体围度…\tAlt+0"));
    const struct {
        QAction* action;
        QKeySequence keys;
        SideMeasure measure;
    } choices[] = {{m_waistChoice, QKeySequence(Qt::Key_W), SideMeasure::Waist},
                   {m_fatChoice, QKeySequence(Qt::Key_F), SideMeasure::Fat}};
    for (const auto& choice : choices) {
        choice.action->setCheckable(true);
        const SideMeasure measure = choice.measure;
        connect(choice.action, &QAction::triggered, this,
                [this, measure] { guarded([this, measure] { toggleSideMeasure(measure); }); });
        auto* key = new QShortcut(choice.keys, this);
        connect(key, &QShortcut::activated, this,
                [this, measure] { guarded([this, measure] { toggleSideMeasure(measure); }); });
    }
    const auto showMeasure = [this] {
        guarded([this] {
            if (!m_showMeasure)
                return;
            m_showMeasure();
            showSideMeasure();
            showProfile();
        });
    };
    connect(open, &QAction::triggered, this, showMeasure);
    auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_0), this);
    connect(key, &QShortcut::activated, this, showMeasure);
    const QString stored = settings().value(sideKey).toString();
    m_side = stored == u"waist" ? SideMeasure::Waist : stored == u"fat" ? SideMeasure::Fat : SideMeasure::None;
}

void Ttevu_curve::toggleSideMeasure(SideMeasure measure)
{
    m_side = m_side == measure ? SideMeasure::None : measure;
    settings().setValue(sideKey, m_side == SideMeasure::Waist ? QStringLiteral("waist")
                                 : m_side == SideMeasure::Fat ? QStringLiteral("fat")
                                                              : QStringLiteral("none"));
    showSideMeasure();
    showProfile();
}

void Ttevu_curve::showSideMeasure()
{
    m_waistChoice->setChecked(m_side == SideMeasure::Waist);
    m_fatChoice->setChecked(m_side == SideMeasure::Fat);
    DbChart* chart = m_ui->DBChart1;
    if (m_side == SideMeasure::None) {
        chart->setSideLine(std::nullopt);
        return;
    }
    Connection& connection = ADODataSetcurve.connection();
    const bool waist = m_side == SideMeasure::Waist;
    DbChart::SideLine line;
    line.caption = waist ? QStringLiteral("腰围(厘米)") : QStringLiteral("体脂率(%)");
    line.colour = waist ? QColor(224, 112, 0) : QColor(128, 0, 160);
    for (const datafile::StoredMeasurement& row :
         datafile::readMeasurements(connection.handle(), connection.filePath())) {
        const std::optional<double> value = waist ? row.measurement.waist : row.measurement.fat;
        if (value)
            line.points.push_back(
                {conversions::toOleDate(QDateTime(row.measurement.date, QTime(0, 0))), *value, false});
    }
    if (waist) {
        const health::Profile profile =
            datafile::readProfile(connection.handle(), connection.filePath(), QDate::currentDate().year());
        if (profile.sex) {
            const health::WaistBands bands = health::waistBands(*profile.sex);
            line.marks = {bands.preCentral, bands.central};
        }
    }
    chart->setSideLine(std::move(line));
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
    // A setting that cannot be read is reported and leaves the trend as it was; the goal is shown all the same.
    guarded([this] {
        Connection& connection = ADODataSetcurve.connection();
        if (const std::optional<QString> trend =
                datafile::readSetting(connection.handle(), connection.filePath(), QLatin1String(trendSetting)))
            m_ui->DBChart1->setTrendVisible(*trend == u'1');
    });
    // The measure first: the chart then says its own description, which the profile's facts complete.
    showSideMeasure();
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
    description << goalfacts::trendMeaning();
    chart->setAccessibleDescription(description.join(QStringLiteral("。")));
}
