// The program's four windows.
#include "forms/windows.h"

TevuWindows::TevuWindows(const QString& dataFolder)
{
    main = std::make_unique<Ttevu_main>(dataFolder);
    tevu_main = main.get();
    about = std::make_unique<Ttevu_about>();
    tevu_about = about.get();
    plan = std::make_unique<Ttevu_plan>();
    tevu_plan = plan.get();
    curve = std::make_unique<Ttevu_curve>();
    tevu_curve = curve.get();
}

TevuWindows::~TevuWindows()
{
    curve.reset();
    tevu_curve = nullptr;
    plan.reset();
    tevu_plan = nullptr;
    about.reset();
    tevu_about = nullptr;
    main.reset();
    tevu_main = nullptr;
}
