// The connection and the four datasets that the windows share.
#include "app/tevudata.h"

TevuData::TevuData(const QString& dataFolder, const QString& dataFile)
    : ADOCN(dataFolder, dataFile),
      ADODataSet_tevu(QStringLiteral("ADODataSet_tevu"), ADOCN),
      ADODataSet(QStringLiteral("ADODataSet"), ADOCN),
      ADODataSetPlan(QStringLiteral("ADODataSetPlan"), ADOCN),
      ADODataSetcurve(QStringLiteral("ADODataSetcurve"), ADOCN)
{}
