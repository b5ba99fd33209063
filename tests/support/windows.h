// The four windows created as the program creates them, on a test folder, with errors recorded.
#pragma once

#include "forms/about/ttevu_about.h"
#include "forms/curve/ttevu_curve.h"
#include "forms/guard.h"
#include "forms/main/imagebutton.h"
#include "forms/main/ttevu_main.h"
#include "forms/plan/ttevu_plan.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

class RecordingReporter : public Reporter {
public:
    void report(const QString& message) override { messages << message; }
    QStringList messages;
};

class Windows {
public:
    // Creates main, About, plan and curve windows in that order on `folder`, and shows the main one.
    explicit Windows(const QString& folder, bool show = true)
    {
        setReporter(&reporter);
        main = std::make_unique<Ttevu_main>(folder);
        tevu_main = main.get();
        about = std::make_unique<Ttevu_about>();
        tevu_about = about.get();
        plan = std::make_unique<Ttevu_plan>();
        tevu_plan = plan.get();
        curve = std::make_unique<Ttevu_curve>();
        tevu_curve = curve.get();
        if (show) {
            main->show();
            (void)QTest::qWaitForWindowExposed(main.get());
        }
    }

    ~Windows()
    {
        curve.reset();
        plan.reset();
        about.reset();
        main.reset();
        tevu_curve = nullptr;
        tevu_plan = nullptr;
        tevu_about = nullptr;
        tevu_main = nullptr;
        setReporter(nullptr);
    }

    template <class T = QWidget> T* find(const QString& name) const { return main->findChild<T*>(name); }
    ImageButton* button(const QString& name) const { return find<ImageButton>(name); }

    // Press and release with one mouse button, at the widget's centre.
    static void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(widget, button);
        QTest::mouseRelease(widget, button);
    }

    RecordingReporter reporter;
    std::unique_ptr<Ttevu_main> main;
    std::unique_ptr<Ttevu_about> about;
    std::unique_ptr<Ttevu_plan> plan;
    std::unique_ptr<Ttevu_curve> curve;
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
