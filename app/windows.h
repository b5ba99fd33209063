// The program's data and its four windows: the data and the main window at once, About, plan and curve when first
// opened; destroyed in the reverse order of the design's creation.
#pragma once

#include "app/reportexport.h"
#include "app/tevudata.h"
#include "forms/about/ttevu_about.h"
#include "forms/curve/ttevu_curve.h"
#include "forms/foodlog/ttevu_foodlog.h"
#include "forms/goal/ttevu_goal.h"
#include "forms/main/ttevu_main.h"
#include "forms/plan/ttevu_plan.h"

#include <functional>
#include <memory>

// A window made at its first use, and then set as its global instance: a window that is never opened costs neither
// the start-up nor memory.
template <class Window> class MadeOnFirstUse {
public:
    MadeOnFirstUse(std::function<std::unique_ptr<Window>()> make, Window** instance)
        : m_make(std::move(make)), m_instance(instance)
    {}
    MadeOnFirstUse(const MadeOnFirstUse&) = delete;
    MadeOnFirstUse& operator=(const MadeOnFirstUse&) = delete;

    Window* get() const
    {
        if (!m_window) {
            m_window = m_make();
            *m_instance = m_window.get();
        }
        return m_window.get();
    }
    Window* operator->() const { return get(); }
    bool made() const { return m_window != nullptr; }
    void reset()
    {
        m_window.reset();
        *m_instance = nullptr;
    }

private:
    std::function<std::unique_ptr<Window>()> m_make;
    Window** m_instance;
    mutable std::unique_ptr<Window> m_window;
};

class TevuWindows {
public:
    // The data on dataFolder/dataFile, then main, whose creation opens the file; it is also set as its global
    // instance.
    explicit TevuWindows(const QString& dataFolder, const QString& dataFile = Connection::fileName());
    ~TevuWindows();
    TevuWindows(const TevuWindows&) = delete;
    TevuWindows& operator=(const TevuWindows&) = delete;

    std::unique_ptr<TevuData> data;
    std::unique_ptr<Ttevu_main> main;
    MadeOnFirstUse<Ttevu_about> about{[] { return std::make_unique<Ttevu_about>(); }, &tevu_about};
    MadeOnFirstUse<Ttevu_plan> plan{[this] {
                                        auto window = std::make_unique<Ttevu_plan>(data->ADOCN, data->ADODataSetPlan);
                                        window->setShowGoal([this] { goal->exec(); });
                                        return window;
                                    },
                                    &tevu_plan};
    MadeOnFirstUse<Ttevu_curve> curve{[this] {
                                          auto window = std::make_unique<Ttevu_curve>(data->ADODataSetcurve);
                                          window->setShowGoal([this] { goal->exec(); });
                                          window->setExportReport([this](const QDate& from, const QDate& to) {
                                              reportexport::ask(tevu_curve, data->ADOCN.filePath(), from, to);
                                          });
                                          return window;
                                      },
                                      &tevu_curve};
    MadeOnFirstUse<Ttevu_goal> goal{[this] { return std::make_unique<Ttevu_goal>(data->ADOCN); }, &tevu_goal};
    MadeOnFirstUse<Ttevu_foodlog> foodLog{[this] { return std::make_unique<Ttevu_foodlog>(data->ADOCN); },
                                          &tevu_foodlog};
};
