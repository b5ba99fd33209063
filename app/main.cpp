// Tevu's start-up: application, title, the four windows in their order, the event loop.
#include "app/application.h"
#include "forms/about/ttevu_about.h"
#include "forms/curve/ttevu_curve.h"
#include "forms/main/ttevu_main.h"
#include "forms/plan/ttevu_plan.h"

#include <QApplication>
#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (!application::hasDisplay()) {
        std::fprintf(stderr, "Tevu 需要图形显示环境。没有显示器时可以这样运行：xvfb-run -s '-screen 0 1024x768x24' %s\n",
                     argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    application::setUp(app);
    MessageBoxReporter reporter;
    setReporter(&reporter);

    // Created in this order and destroyed in the reverse one.
    auto mainWindow = std::make_unique<Ttevu_main>(QCoreApplication::applicationDirPath());
    tevu_main = mainWindow.get();
    auto about = std::make_unique<Ttevu_about>();
    tevu_about = about.get();
    auto plan = std::make_unique<Ttevu_plan>();
    tevu_plan = plan.get();
    auto curve = std::make_unique<Ttevu_curve>();
    tevu_curve = curve.get();

    mainWindow->show();
    const int code = app.exec();

    curve.reset();
    plan.reset();
    about.reset();
    mainWindow.reset();
    tevu_curve = nullptr;
    tevu_plan = nullptr;
    tevu_about = nullptr;
    tevu_main = nullptr;
    setReporter(nullptr);
    return code;
}
