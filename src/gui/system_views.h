#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "core/desktop/orvessa_system.h"

namespace orvessa::gui {

class ExchangeChooserView;
class RecorderWindowView;
class MainWindowView;
class PasswordDialogView;
class OptionsDialogView;
class DirectoryDialogView;
class VideoWindowView;
class SubtitleDialogView;
class PreflightView;
class CalendarWindowView;
class CalendarImportView;
class ConsoleAccountDialogView;
class ConsoleTokenDialogView;
class AnnouncementDialogView;
class QtHost;

// Every window of the system with its view, made in one place and registered with the host, so
// that a window shown modally always has its dialog.
class SystemViews {
public:
    // The browser module of the video window is looked for in `moduleDirectory` (by default the
    // executable's).
    SystemViews(system::OrvessaSystem& system, QtHost& host, QString moduleDirectory = {});
    ~SystemViews();

    MainWindowView& mainWindow() { return *m_mainWindow; }
    VideoWindowView& videoWindow() { return *m_videoWindow; }

    // The system's windows that have no view yet.
    std::vector<const model::Window*> windowsWithoutView() const;

private:
    system::OrvessaSystem& m_system;
    QtHost& m_host;
    std::unique_ptr<MainWindowView> m_mainWindow;
    std::unique_ptr<VideoWindowView> m_videoWindow;
    std::unique_ptr<ExchangeChooserView> m_exchangeChooser;
    std::unique_ptr<PasswordDialogView> m_passwordDialog;
    std::unique_ptr<OptionsDialogView> m_optionsDialog;
    std::unique_ptr<DirectoryDialogView> m_directoryDialog;
    std::unique_ptr<RecorderWindowView> m_recorderWindow;
    std::unique_ptr<SubtitleDialogView> m_subtitleDialog;
    std::unique_ptr<PreflightView> m_preflight;  // only with a day checker
    std::unique_ptr<CalendarWindowView> m_calendarWindow;
    std::unique_ptr<CalendarImportView> m_calendarImport;
    // Children of the options dialog, so gone before it: only with the console's page.
    std::unique_ptr<ConsoleAccountDialogView> m_consoleAccount;
    std::unique_ptr<ConsoleTokenDialogView> m_consoleToken;
    // A child of the main window, so gone before it.
    std::unique_ptr<AnnouncementDialogView> m_announcementDialog;
};

}  // namespace orvessa::gui
