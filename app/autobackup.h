// The automatic backup: started once the main window has painted, run off the GUI thread, a failure reported once.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <thread>

class QWidget;

class AutomaticBackup : public QObject {
    Q_OBJECT
public:
    // Watches `window` for its first paint, then backs up `dataPath` into backups/ beside it.
    AutomaticBackup(QWidget* window, QString dataPath);
    // Waits for a backup still being written: the process must not end in the middle of a rename.
    ~AutomaticBackup() override;

    bool started() const { return m_thread.joinable(); }

signals:
    // On the GUI thread, after the backup has ended (written, skipped or failed).
    void done();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();

    QWidget* m_window;
    QString m_dataPath;
    QDateTime m_started = QDateTime::currentDateTime();
    std::thread m_thread;
};
