// The four windows created as the program creates them, on a test folder, with errors recorded.
#pragma once

#include "app/windows.h"
#include "forms/guard.h"
#include "forms/main/imagebutton.h"
#include "reminder/schedule.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

class RecordingReporter : public Reporter {
public:
    void report(const QString& message) override { messages << message; }
    QStringList messages;
};

class Windows {
public:
    // Creates the four windows as the program does, on `folder`, and shows the main one.
    explicit Windows(const QString& folder, bool show = true) : m_windows((keepTheUsersSessionOut(), folder))
    {
        if (show) {
            main->show();
            // Every check after this one would speak of a window that is not there.
            if (!QTest::qWaitForWindowExposed(main.get()))
                qFatal("the main window was never exposed");
        }
    }

    // The daily reminder of 我的目标 is installed into the user's session: in tests into a temporary XDG_CONFIG_HOME of
    // the process, with systemctl recorded instead of run, never into the real one.
    static QStringList& systemctlCalls()
    {
        static QStringList calls;
        return calls;
    }
    static void keepTheUsersSessionOut()
    {
        static QTemporaryDir config;
        static const bool done = [] {
            qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
            reminder::setSystemctl([](const QStringList& arguments) {
                systemctlCalls() << arguments.join(u' ');
                return 0;
            });
            return true;
        }();
        (void)done;
    }

    template <class T = QWidget> T* find(const QString& name) const { return main->findChild<T*>(name); }
    ImageButton* button(const QString& name) const { return find<ImageButton>(name); }
    // The food tree as the calorie view shows it: entering the view is what makes the tree.
    QTreeWidget* foodTree() const
    {
        click(button(QStringLiteral("Image9")));
        return find<QTreeWidget>(QStringLiteral("TreeView1"));
    }

    // Press and release with one mouse button, at the widget's centre.
    static void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(widget, button);
        QTest::mouseRelease(widget, button);
    }

    RecordingReporter reporter;

private:
    ScopedReporter m_installed{&reporter};
    TevuWindows m_windows;

public:
    std::unique_ptr<TevuData>& data = m_windows.data;
    std::unique_ptr<Ttevu_main>& main = m_windows.main;
    MadeOnFirstUse<Ttevu_about>& about = m_windows.about;
    MadeOnFirstUse<Ttevu_plan>& plan = m_windows.plan;
    MadeOnFirstUse<Ttevu_curve>& curve = m_windows.curve;
    MadeOnFirstUse<Ttevu_goal>& goal = m_windows.goal;
    MadeOnFirstUse<Ttevu_foodlog>& foodLog = m_windows.foodLog;
    MadeOnFirstUse<Ttevu_measure>& measure = m_windows.measure;
};

// Runs `act`, which opens a modal window; `onModal` gets that window once it is up (and may close it;
// otherwise it is closed after). Returns false when no modal window appeared while `act` ran.
inline bool whileModal(const std::function<void()>& act, const std::function<void(QWidget*)>& onModal = {})
{
    struct State {
        bool seen = false;
        bool done = false;
        std::function<void(QWidget*)> onModal;
    };
    auto state = std::make_shared<State>();
    state->onModal = onModal;
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [state, weak = std::weak_ptr<std::function<void()>>(poll)] {
        if (state->done)
            return;
        if (QWidget* modal = QApplication::activeModalWidget()) {
            state->seen = true;
            state->done = true;
            if (state->onModal)
                state->onModal(modal);
            if (modal->isVisible())
                modal->close();
            return;
        }
        if (auto next = weak.lock())
            QTimer::singleShot(10, *next);
    };
    QTimer::singleShot(0, *poll);
    act();
    state->done = true;
    return state->seen;
}

// For runs that save many generated weights far from one another: the question on an unlikely weight is answered
// 保存 whenever it comes up, for the rest of the process.
inline void saveUnlikelyWeightsWithoutAsking()
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        QAbstractButton* save = nullptr;
        bool weightQuestion = false;
        for (auto* button : modal->findChildren<QAbstractButton*>()) {
            if (button->text() == QStringLiteral("保存"))
                save = button;
            weightQuestion = weightQuestion || button->text() == QStringLiteral("返回修改");
        }
        if (save && weightQuestion)
            save->click();
    });
    timer->start(5);
}
