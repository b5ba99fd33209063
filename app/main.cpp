// Tevu's start-up: application, title, the four windows in their order, the event loop.
#include "app/application.h"
#include "forms/windows.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    if (!application::hasDisplay()) {
        std::fprintf(stderr,
                     "Tevu 需要图形显示环境。没有显示器时可以这样运行：xvfb-run -s '-screen 0 1024x768x24' %s\n",
                     argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    application::setUp(app);
    MessageBoxReporter reporter;
    const ScopedReporter installed(&reporter);

    // Destroyed in the reverse order: the windows before the reporter that they report through.
    const TevuWindows windows(QCoreApplication::applicationDirPath());
    windows.main->show();
    return app.exec();
}
