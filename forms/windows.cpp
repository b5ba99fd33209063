// The program's data and its four windows.
#include "forms/windows.h"

TevuWindows::TevuWindows(const QString& dataFolder)
{
    data = std::make_unique<TevuData>(dataFolder);
    // The main window opens the others only after all of them exist: they are shown from its event handlers.
    main = std::make_unique<Ttevu_main>(data->ADOCN, data->ADODataSet_tevu, data->ADODataSet,
                                        Ttevu_main::Dialogs{.showAbout = [this] { about->exec(); },
                                                            .showPlan = [this] { plan->exec(); },
                                                            .showCurve = [this] { curve->exec(); }});
    tevu_main = main.get();
    about = std::make_unique<Ttevu_about>();
    tevu_about = about.get();
    plan = std::make_unique<Ttevu_plan>(data->ADOCN, data->ADODataSetPlan);
    tevu_plan = plan.get();
    curve = std::make_unique<Ttevu_curve>(data->ADODataSetcurve);
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
    data.reset();
}
