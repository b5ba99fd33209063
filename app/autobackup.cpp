// The automatic backup after the first paint.
#include "app/autobackup.h"

#include "data/errors.h"
#include "datafile/backup.h"
#include "datafile/partialfile.h"
#include "forms/guard.h"

#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

AutomaticBackup::AutomaticBackup(QWidget* window, QString dataPath) : m_window(window), m_dataPath(std::move(dataPath))
{
    m_window->installEventFilter(this);
}

AutomaticBackup::~AutomaticBackup()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool AutomaticBackup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest)) {
        m_window->removeEventFilter(this);
        // Queued, so that the paint this event starts is finished before the backup begins.
        QTimer::singleShot(0, this, &AutomaticBackup::start);
    }
    return false;
}

void AutomaticBackup::start()
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this, path = m_dataPath, now = QDateTime::currentDateTime()] {
        QString failure;
        try {
            // What an interrupted write of an earlier run left behind; never a file of this run.
            datafile::removeStalePartials(QFileInfo(path).absolutePath(), m_started);
            datafile::removeStalePartials(datafile::backupFolder(path), m_started);
            datafile::automaticBackup(path, now);
        } catch (const std::exception& e) {
            failure = describeException(e);
        }
        // The message box belongs to the GUI thread; this object lives until the thread is joined.
        QMetaObject::invokeMethod(
            this,
            [this, failure] {
                if (!failure.isEmpty())
                    reportError(failure);
                emit done();
            },
            Qt::QueuedConnection);
    });
}
