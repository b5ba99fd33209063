// The program's data and its four windows: created in their fixed order, destroyed in the reverse one.
#pragma once

#include "forms/about/ttevu_about.h"
#include "forms/curve/ttevu_curve.h"
#include "forms/main/ttevu_main.h"
#include "forms/plan/ttevu_plan.h"
#include "forms/tevudata.h"

#include <memory>

class TevuWindows {
public:
    // The data on dataFolder/data.Mdb, then main (whose creation opens the file), About, plan, curve; each window
    // also set as its global instance.
    explicit TevuWindows(const QString& dataFolder);
    ~TevuWindows();
    TevuWindows(const TevuWindows&) = delete;
    TevuWindows& operator=(const TevuWindows&) = delete;

    std::unique_ptr<TevuData> data;
    std::unique_ptr<Ttevu_main> main;
    std::unique_ptr<Ttevu_about> about;
    std::unique_ptr<Ttevu_plan> plan;
    std::unique_ptr<Ttevu_curve> curve;
};
