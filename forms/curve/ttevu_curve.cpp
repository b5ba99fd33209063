// The slimming curve window.
#include "forms/curve/ttevu_curve.h"

#include "chart/lineseries.h"
#include "data/dataset.h"
#include "forms/guard.h"
#include "forms/look.h"
#include "ui_ttevu_curve.h"

Ttevu_curve* tevu_curve = nullptr;

Ttevu_curve::Ttevu_curve(Dataset& curve, QWidget* parent)
    : TevuDialog(parent, true), ADODataSetcurve(curve), m_ui(std::make_unique<Ui::Ttevu_curve>())
{
    m_ui->setupUi(this);
    m_ui->DBChart1->series()->setObjectName(QStringLiteral("Series1"));
    m_ui->DBChart1->setTitle(QStringLiteral("瘦身曲线"));
}

Ttevu_curve::~Ttevu_curve()
{
    // The series listens to a dataset that outlives the window: it must not call back into a destroyed chart.
    m_ui->DBChart1->series()->setDataSource(nullptr);
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
}
