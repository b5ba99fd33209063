// The frameless main window moves when its skin is dragged, under a real window manager (Xvfb and openbox), with the
// pointer driven by xdotool as a user's hand would drive it.
#include "support/tempdb.h"
#include "support/windows.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

class TestMove : public QObject {
    Q_OBJECT

    QProcess m_windowManager;

    // Runs while the events are handled: the press must reach the window while the button is still down.
    static bool xdotool(const QStringList& arguments)
    {
        QProcess hand;
        hand.start(QStringLiteral("xdotool"), arguments);
        if (!hand.waitForStarted())
            return false;
        return QTest::qWaitFor([&hand] { return hand.state() == QProcess::NotRunning; }, 10000) &&
               hand.exitStatus() == QProcess::NormalExit && hand.exitCode() == 0;
    }

    static bool windowManagerIsRunning()
    {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"});
        return xprop.waitForFinished() && xprop.readAllStandardOutput().contains("window id");
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
        for (const char* tool : {"openbox", "xdotool", "xprop"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP("needs openbox, xdotool and xprop");
        m_windowManager.start(QStringLiteral("openbox"), {});
        QVERIFY(m_windowManager.waitForStarted());
        // A window mapped before the window manager has taken the screen is adopted later, and Qt then takes the
        // frame's corner for the window's place: wait until openbox announces itself on the root window.
        QTRY_VERIFY_WITH_TIMEOUT(windowManagerIsRunning(), 15000);
    }

    void cleanupTestCase()
    {
        m_windowManager.terminate();
        m_windowManager.waitForFinished();
    }

    void draggingTheSkinMovesTheWindow_data()
    {
        QTest::addColumn<QPoint>("from"); // in the window
        QTest::addColumn<bool>("moves");
        QTest::newRow("the figure on the skin") << QPoint(50, 150) << true;
        QTest::newRow("a feature picture") << QPoint(160, 60) << false;
        QTest::newRow("the content box") << QPoint(300, 200) << false;
    }

    void draggingTheSkinMovesTheWindow()
    {
        QFETCH(QPoint, from);
        QFETCH(bool, moves);
        TempDatabase db;
        Windows w(db.folder());
        w.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.main.get()));
        // Where Qt believes the window stands is where it stands: menus open at their pictures.
        QCOMPARE(w.main->mapToGlobal(QPoint(0, 0)), w.main->geometry().topLeft());
        // Over a picture the press opens its view rather than moving: the plan and curve pictures would open a
        // modal window, so the recipes picture stands for them.
        const QPoint before = w.main->pos();
        const QPoint start = w.main->mapToGlobal(from);
        const QPoint end = start + QPoint(100, 50);
        const auto text = [](int value) { return QString::number(value); };
        QVERIFY(xdotool({"mousemove",
                         text(start.x()),
                         text(start.y()),
                         "sleep",
                         "0.2",
                         "mousedown",
                         "1",
                         "sleep",
                         "0.3",
                         "mousemove",
                         text(start.x() + 40),
                         text(start.y() + 20),
                         "sleep",
                         "0.2",
                         "mousemove",
                         text(end.x()),
                         text(end.y()),
                         "sleep",
                         "0.3",
                         "mouseup",
                         "1"}));
        if (moves)
            QTRY_COMPARE(w.main->pos(), before + QPoint(100, 50));
        else {
            QTest::qWait(300);
            QCOMPARE(w.main->pos(), before);
        }
    }
};

QTEST_MAIN(TestMove)
#include "tst_move.moc"
