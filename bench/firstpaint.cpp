// Linked into a start-up program: at the first paint of a window, prints the time since the process started and
// the peak memory so far, then ends the event loop.
#include "bench/measure.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>

namespace {

class FirstPaintProbe : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Any widget's paint: a window covered by its children gets none of its own.
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Queued, so it runs once the whole window has been painted and flushed, not when painting begins.
            QMetaObject::invokeMethod(this, &FirstPaintProbe::report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report()
    {
        const double ms = bench::msSinceProcessStart();
        const long long peak = bench::peakResidentKiB();
        std::printf("sample first-paint-ms %.3f\nsample peak-kib %lld\n", ms, peak);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    bool m_seen = false;
};

// Runs inside the application object's constructor, so the program's own main() stays as it is.
void installProbe()
{
    QCoreApplication::instance()->installEventFilter(new FirstPaintProbe(QCoreApplication::instance()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
