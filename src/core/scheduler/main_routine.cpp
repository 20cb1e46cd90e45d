#include "core/scheduler/main_routine.h"

#include "core/text/paths.h"

namespace orvessa::scheduler {

std::unique_ptr<OrvessaSystem> OrvessaSystem::start(PlatformServices services) {
    if (!services.singleInstance.claim()) {
        services.host.messageBox("Orvessa已经运行！", "系统信息", platform::MessageIcon::None,
                                 platform::MessageButtons::Ok);
        return nullptr;
    }
    return std::unique_ptr<OrvessaSystem>(new OrvessaSystem(services));
}

OrvessaSystem::OrvessaSystem(PlatformServices& services) {
    // The main window's initialisation runs before any other window exists.
    m_form1 = std::make_unique<ui::TForm1>(ui::MainWindowServices{
        services.host, services.clock, services.power, services.screenSaver, services.shell,
        services.monitors, services.programDirectory, services.mediaProfile});
    m_windows.push_back(m_form1.get());
    m_form1->FormCreate();

    m_form2 = std::make_unique<editing::TForm2>();
    m_windows.push_back(m_form2.get());
    m_form4 = std::make_unique<editing::TForm4>();
    m_windows.push_back(m_form4.get());
    m_form6 = std::make_unique<playback::TForm6>(services.monitors, services.keyboard);
    m_windows.push_back(m_form6.get());
    m_dstx = std::make_unique<tools::Tdstx>();
    m_windows.push_back(m_dstx.get());
    m_daori5 = std::make_unique<editing::Tdaori5>();
    m_windows.push_back(m_daori5.get());
    m_form5 = std::make_unique<editing::TForm5>(m_form1->programDirectoryText + "AUDIO" +
                                                text::nativeSeparator());
    m_windows.push_back(m_form5.get());
    m_form7 = std::make_unique<tools::TForm7>();
    m_windows.push_back(m_form7.get());

    m_form1->form2 = m_form2.get();
    m_form1->form5 = m_form5.get();
    m_form1->form6 = m_form6.get();
}

}  // namespace orvessa::scheduler
