// The windows' captions as the window manager reads them, on a real X server (run under Xvfb).
#include "app/application.h"
#include "support/tempdb.h"
#include "support/windows.h"

#include <QtTest>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// _NET_WM_NAME of the window: what a window manager shows in the caption bar and the taskbar.
QString windowManagerName(const QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11->display();
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* bytes = nullptr;
    const int status = XGetWindowProperty(
        display, static_cast<::Window>(window->winId()), XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
        XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &after, &bytes);
    const QString name = status == Success && bytes
                             ? QString::fromUtf8(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(items))
                             : QStringLiteral("<no _NET_WM_NAME>");
    if (bytes)
        XFree(bytes);
    return name;
}

} // namespace

class TestCaptions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QFAIL("this test reads X window properties: run it under Xvfb with QT_QPA_PLATFORM=xcb");
        application::setUp(*qApp);
    }

    void eachWindowReachesTheWindowManagerWithItsDesignedCaption_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("main") << 0 << "Tevu";
        QTest::newRow("about") << 1 << "guanyu";
        QTest::newRow("plan") << 2 << "定制瘦身计划";
        QTest::newRow("curve") << 3 << "瘦身曲线";
    }

    void eachWindowReachesTheWindowManagerWithItsDesignedCaption()
    {
        QFETCH(int, window);
        QFETCH(QString, caption);
        TempDatabase db;
        Windows w(db.folder(), false);
        QWidget* const windows[] = {w.main.get(), w.about.get(), w.plan.get(), w.curve.get()};
        QWidget* shown = windows[window];
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCOMPARE(windowManagerName(shown), caption);
        shown->hide();
    }
};

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
