#include "gui/system_views.h"

#include "gui/editing/daori5_view.h"
#include "gui/editing/form2_view.h"
#include "gui/editing/form4_view.h"
#include "gui/editing/form5_view.h"
#include "gui/editing/preflight_view.h"
#include "gui/playback/form6_view.h"
#include "gui/qt_host.h"
#include "gui/tools/dstx_view.h"
#include "gui/tools/form7_view.h"
#include "gui/ui/form1_view.h"

namespace orvessa::gui {

SystemViews::SystemViews(scheduler::OrvessaSystem& system, QtHost& host, QString moduleDirectory)
    : m_system(system), m_host(host) {
    m_form1 = std::make_unique<Form1View>(system.form1());
    host.registerView(system.form1(), m_form1.get());
    m_form6 = std::make_unique<Form6View>(system.form6(), std::move(moduleDirectory));
    host.registerView(system.form6(), m_form6.get());
    m_form6->showSubtitleStyle(system.form7().stripStyle);
    // Dialogs belong to the main window, so they open over it and share its skin.
    m_daori5 = std::make_unique<Daori5View>(system.daori5(), m_form1.get());
    host.registerView(system.daori5(), m_daori5.get());
    m_form2 = std::make_unique<Form2View>(system.form2(), m_form1.get());
    host.registerView(system.form2(), m_form2.get());
    m_form4 = std::make_unique<Form4View>(system.form4(), m_form1.get());
    host.registerView(system.form4(), m_form4.get());
    m_form5 = std::make_unique<Form5View>(system.form5(), m_form1.get());
    host.registerView(system.form5(), m_form5.get());
    m_dstx = std::make_unique<DstxView>(system.dstx(), m_form1.get());
    host.registerView(system.dstx(), m_dstx.get());
    m_form7 = std::make_unique<Form7View>(system.form7(), m_form1.get());
    host.registerView(system.form7(), m_form7.get());
    if (editing::PreflightCheck* check = system.preflightCheck()) {
        m_preflight = std::make_unique<PreflightView>(*check, m_form1.get());
        host.registerView(*check, m_preflight.get());
    }
}

SystemViews::~SystemViews() = default;

std::vector<const model::Window*> SystemViews::windowsWithoutView() const {
    std::vector<const model::Window*> missing;
    for (const model::Window* window : m_system.windows()) {
        if (!m_host.hasView(*window)) {
            missing.push_back(window);
        }
    }
    return missing;
}

}  // namespace orvessa::gui
