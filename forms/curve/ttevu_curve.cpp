// The slimming curve window.
#include "forms/curve/ttevu_curve.h"

#include "chart/lineseries.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "forms/main/ttevu_main.h"
#include "ui_ttevu_curve.h"

Ttevu_curve* tevu_curve = nullptr;

Ttevu_curve::Ttevu_curve(QWidget* parent) : TevuDialog(parent, true), m_ui(std::make_unique<Ui::Ttevu_curve>())
{
    m_ui->setupUi(this);
    look::setWindowFont(this, look::formFont, 11);
    m_ui->DBChart1->series()->setObjectName(QStringLiteral("Series1"));
    m_ui->DBChart1->setTitle(QStringLiteral("瘦身曲线"));
}

Ttevu_curve::~Ttevu_curve()
{
    // The series listens to a dataset of the main window: stop listening while both still exist.
    m_ui->DBChart1->series()->setDataSource(nullptr);
}

void Ttevu_curve::FormShow()
{
    Dataset& rows = tevu_main->ADODataSetcurve;
    rows.close();
    rows.setCommandText(QStringLiteral("select * from rj"));
    rows.open();
    LineSeries* series = m_ui->DBChart1->series();
    series->setDataSource(&rows);
    series->setXField(QStringLiteral("time"));
    m_ui->DBChart1->setDateFormat(QStringLiteral("yyyy-MM-dd"));
    series->setYField(QStringLiteral("lb"));
    m_ui->DBChart1->setLegendVisible(true);
}
