// The program's data and its four windows.
#include "app/windows.h"

TevuWindows::TevuWindows(const QString& dataFolder, const QString& dataFile)
{
    data = std::make_unique<TevuData>(dataFolder, dataFile);
    // The main window opens the others from its event handlers; each is made there the first time.
    main = std::make_unique<Ttevu_main>(data->ADOCN, data->ADODataSet_tevu, data->ADODataSet,
                                        Ttevu_main::Dialogs{.showAbout = [this] { about->exec(); },
                                                            .showPlan = [this] { plan->exec(); },
                                                            .showCurve = [this] { curve->exec(); },
                                                            .showGoal = [this] { goal->exec(); },
                                                            .showFoodLog = [this] { foodLog->exec(); }});
    tevu_main = main.get();
}

TevuWindows::~TevuWindows()
{
    foodLog.reset();
    goal.reset();
    curve.reset();
    plan.reset();
    about.reset();
    main.reset();
    tevu_main = nullptr;
    data.reset();
}
