// The connection and the four datasets that the windows share: created before the windows, handed to each one.
#pragma once

#include "data/connection.h"
#include "data/dataset.h"

class TevuData {
public:
    // dataFolder: the folder that holds data.Mdb (the executable's folder in the program). Nothing is opened yet.
    explicit TevuData(const QString& dataFolder, const QString& dataFile = Connection::fileName());
    TevuData(const TevuData&) = delete;
    TevuData& operator=(const TevuData&) = delete;

    Connection ADOCN;
    Dataset ADODataSet_tevu;
    Dataset ADODataSet;
    Dataset ADODataSetPlan;
    Dataset ADODataSetcurve;
};
