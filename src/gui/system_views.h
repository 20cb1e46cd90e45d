#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "core/scheduler/main_routine.h"

namespace orvessa::gui {

class Daori5View;
class DstxView;
class Form1View;
class Form2View;
class Form4View;
class Form5View;
class Form6View;
class Form7View;
class PreflightView;
class QtHost;

// Every window of the system with its view, made in one place and registered with the host, so
// that a window shown modally always has its dialog.
class SystemViews {
public:
    // The browser module of the video window is looked for in `moduleDirectory` (by default the
    // executable's).
    SystemViews(scheduler::OrvessaSystem& system, QtHost& host, QString moduleDirectory = {});
    ~SystemViews();

    Form1View& mainWindow() { return *m_form1; }
    Form6View& videoWindow() { return *m_form6; }

    // The system's windows that have no view yet.
    std::vector<const model::Window*> windowsWithoutView() const;

private:
    scheduler::OrvessaSystem& m_system;
    QtHost& m_host;
    std::unique_ptr<Form1View> m_form1;
    std::unique_ptr<Form6View> m_form6;
    std::unique_ptr<Daori5View> m_daori5;
    std::unique_ptr<Form2View> m_form2;
    std::unique_ptr<Form4View> m_form4;
    std::unique_ptr<Form5View> m_form5;
    std::unique_ptr<DstxView> m_dstx;
    std::unique_ptr<Form7View> m_form7;
    std::unique_ptr<PreflightView> m_preflight;  // only with a day checker
};

}  // namespace orvessa::gui
