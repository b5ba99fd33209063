// Tevu's start-up: one command of the command line, or application, title, the four windows in their order, the
// event loop.
#include "app/application.h"
#include "app/autobackup.h"
#include "app/commandline.h"
#include "app/datalocation.h"
#include "app/windows.h"
#include "data/connection.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    // Decided before any QApplication exists: a command needs no display.
    if (commandline::wanted(argc, argv))
        return commandline::run(argc, argv);
    if (!application::hasDisplay()) {
        std::fprintf(stderr,
                     "Tevu 需要图形显示环境。没有显示器时可以这样运行：xvfb-run -s '-screen 0 1024x768x24' %s\n",
                     argv[0]);
        return 1;
    }
    const bool writeAtOnce = commandline::opensNewEntry(argc, argv);
    QApplication app(argc, argv);
    application::setUp(app);
    MessageBoxReporter reporter;
    const ScopedReporter installed(&reporter);

    // Destroyed in the reverse order: the windows before the reporter that they report through.
    const QString folder = QFileInfo(datalocation::forThisProgram().file).absolutePath();
    const TevuWindows windows(folder);
    const AutomaticBackup backup(windows.main.get(), QDir(folder).filePath(Connection::fileName()));
    windows.main->show();
    if (writeAtOnce)
        windows.main->startNewEntry();
    return app.exec();
}
