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
    if (!services.itemDirectory.empty()) {
        m_form1->itemDirectoryText = text::utf8Path(services.itemDirectory);
        if (!text::endsWithSeparator(m_form1->itemDirectoryText)) {
            m_form1->itemDirectoryText += text::nativeSeparator();
        }
    }
    m_form1->FormCreate();

    m_form2 = std::make_unique<editing::TForm2>();
    m_windows.push_back(m_form2.get());
    m_form4 =
        std::make_unique<editing::TForm4>(m_form1->config, m_form1->Grid, services.audioOutput);
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
    m_form1->form4 = m_form4.get();
    m_form1->form5 = m_form5.get();
    m_form1->form6 = m_form6.get();

    ui::TForm1& f = *m_form1;
    m_display = std::make_unique<playback::NowPlaying>(
        f.playback, f.clockState,
        playback::NowPlaying::Lines{f.Label1, f.Label2, f.Edit1, f.Edit2, f.Grid},
        services.mediaDevice);
    m_player = std::make_unique<playback::ItemPlayer>(
        f.playback, f.clockState,
        playback::PlayerControls{f.Grid,         f.ListBox1,     f.Edit1,        f.Edit2,
                                 f.Label2,       f.Check2,       f.jxbc,         f.Timer2,
                                 f.ToolButton17, f.P1,           f.ToolButton18, f.S2,
                                 f.ToolButton9,  f.ToolButton10, f.ToolButton15, f.rec3,
                                 f.Rec2,         f.BCZ1,         f.N16,          f.SZ1},
        playback::PlayerServices{
            services.host, services.mediaDevice, services.shell, services.processes,
            [&f](int monitor) { f.setwindowtomonitor(f.form6, monitor, 0, 0); },
            [&f] { f.FormClose(); }, [this] { m_display->prepare(); },
            [&f] { return f.config.anyoneMayOperate(); }, [&f] { return f.libraryDirectory(); },
            [&f] { return f.itemDirectoryText; }},
        *m_form6, *m_form4);
    f.player = m_player.get();

    m_broadcastClock = std::make_unique<BroadcastClock>(
        f.playback, f.clockState,
        ClockControls{f.Grid, f.Panel1, f.Label1, f.Label3, f.Edit1, f.Edit2}, *m_player,
        *m_display, *m_form6, services.clock, f.hints, f.W,
        EndOfDayHooks{[&f] { f.customShutdownCheck(); }, [&f] { return f.endOfTable(); },
                      [&f] { return f.showCountdown(); },
                      [&f](const platform::LocalDateTime& at) { return f.newDayCheck(at); }});
    f.broadcastClock = m_broadcastClock.get();
    // Seconds while the clock stood still are not made up when it starts again.
    f.Timer1.changed.connect([this, &f] {
        if (!f.Timer1.running()) {
            m_broadcastClock->resetSeconds();
        }
    });
    f.Timer1.setHandler([this] { m_broadcastClock->Timer1Timer(); });
    f.Timer2.setHandler([this, &f] {
        try {
            m_display->update(false);
        } catch (...) {
            // Texts that hold no usable numbers: the lines keep their last texts.
            f.Timer2.stop();
        }
    });
}

}  // namespace orvessa::scheduler
