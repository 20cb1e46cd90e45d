#include "gui/system_views.h"

#include "gui/alerts/announcement_dialog_view.h"
#include "gui/editing/calendar_window_view.h"
#include "gui/editing/console_page_view.h"
#include "gui/editing/directory_dialog_view.h"
#include "gui/editing/exchange_chooser_view.h"
#include "gui/editing/options_dialog_view.h"
#include "gui/editing/password_dialog_view.h"
#include "gui/editing/preflight_view.h"
#include "gui/playback/video_window_view.h"
#include "gui/qt_host.h"
#include "gui/tools/recorder_window_view.h"
#include "gui/tools/subtitle_dialog_view.h"
#include "gui/ui/main_window_view.h"

namespace orvessa::gui {

SystemViews::SystemViews(system::OrvessaSystem& system, QtHost& host, QString moduleDirectory)
    : m_system(system), m_host(host) {
    m_mainWindow = std::make_unique<MainWindowView>(system.mainWindow());
    host.registerView(system.mainWindow(), m_mainWindow.get());
    m_videoWindow =
        std::make_unique<VideoWindowView>(system.videoWindow(), std::move(moduleDirectory));
    host.registerView(system.videoWindow(), m_videoWindow.get());
    m_videoWindow->showSubtitleStyle(system.subtitleDialog().stripStyle);
    // Dialogs belong to the main window, so they open over it and share its skin.
    m_exchangeChooser =
        std::make_unique<ExchangeChooserView>(system.exchangeChooser(), m_mainWindow.get());
    host.registerView(system.exchangeChooser(), m_exchangeChooser.get());
    m_passwordDialog =
        std::make_unique<PasswordDialogView>(system.passwordDialog(), m_mainWindow.get());
    host.registerView(system.passwordDialog(), m_passwordDialog.get());
    m_optionsDialog =
        std::make_unique<OptionsDialogView>(system.optionsDialog(), m_mainWindow.get());
    host.registerView(system.optionsDialog(), m_optionsDialog.get());
    // The console page's own dialogs open over the options.
    if (editing::ConsolePage* console = system.optionsDialog().consolePage()) {
        m_consoleAccount = std::make_unique<ConsoleAccountDialogView>(console->accountDialog(),
                                                                      m_optionsDialog.get());
        host.registerView(console->accountDialog(), m_consoleAccount.get());
        m_consoleToken =
            std::make_unique<ConsoleTokenDialogView>(console->tokenDialog(), m_optionsDialog.get());
        host.registerView(console->tokenDialog(), m_consoleToken.get());
    }
    m_directoryDialog =
        std::make_unique<DirectoryDialogView>(system.directoryDialog(), m_mainWindow.get());
    host.registerView(system.directoryDialog(), m_directoryDialog.get());
    m_recorderWindow =
        std::make_unique<RecorderWindowView>(system.recorderWindow(), m_mainWindow.get());
    host.registerView(system.recorderWindow(), m_recorderWindow.get());
    m_subtitleDialog =
        std::make_unique<SubtitleDialogView>(system.subtitleDialog(), m_mainWindow.get());
    host.registerView(system.subtitleDialog(), m_subtitleDialog.get());
    m_calendarWindow =
        std::make_unique<CalendarWindowView>(system.calendarWindow(), m_mainWindow.get());
    host.registerView(system.calendarWindow(), m_calendarWindow.get());
    // The import's list opens over the calendar it adds to.
    m_calendarImport = std::make_unique<CalendarImportView>(system.calendarWindow().importDialog(),
                                                            m_calendarWindow.get());
    host.registerView(system.calendarWindow().importDialog(), m_calendarImport.get());
    m_announcementDialog =
        std::make_unique<AnnouncementDialogView>(system.announcementDialog(), m_mainWindow.get());
    host.registerView(system.announcementDialog(), m_announcementDialog.get());
    if (editing::PreflightCheck* check = system.preflightCheck()) {
        m_preflight = std::make_unique<PreflightView>(*check, m_mainWindow.get());
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
