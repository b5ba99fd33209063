// Tevu's start-up: one command of the command line, or application, title, the four windows in their order, the
// event loop.
#include "app/application.h"
#include "app/autobackup.h"
#include "app/commandline.h"
#include "app/datalocation.h"
#include "app/windows.h"
#include "data/connection.h"
#include "datafile/datafile.h"

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
    const QString named = commandline::windowsDataFile(argc, argv);
    QApplication app(argc, argv);
    application::setUp(app);
    MessageBoxReporter reporter;
    const ScopedReporter installed(&reporter);

    // Destroyed in the reverse order: the windows before the reporter that they report through.
    // A file named with --data is used where a link to it points, as by the commands.
    const QFileInfo file(named.isEmpty() ? datalocation::forThisProgram().file : datafile::realPath(named));
    const TevuWindows windows(file.absolutePath(), file.fileName());
    const AutomaticBackup backup(windows.main.get(), file.absoluteFilePath());
    windows.main->show();
    if (writeAtOnce)
        windows.main->startNewEntry();
    return app.exec();
}
