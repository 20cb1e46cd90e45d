#include "core/playback/item_player.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "core/playback/video_window.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::playback {
namespace {

const char* const kWebPageExtensions[] = {".HTM", ".HTML", ".ASP", ".SHTML", ".PHP"};
// The films of today's libraries (MP4, MKV, FLV, WebM...) show their picture like the older ones.
const char* const kPictureExtensions[] = {
    ".HTM", ".HTML", ".ASP", ".PHP", ".SHTML", ".SWF",  ".AVI",  ".DAT", ".IVF", ".ASF",
    ".WMV", ".M1V",  ".MP2", ".MPA", ".MPE",   ".MPEG", ".MPV2", ".MPV", ".MOV", ".QT",
    ".MPG", ".MP4",  ".M4V", ".MKV", ".FLV",   ".WEBM", ".OGV",  ".3GP", ".VOB"};
// Sounds the media device plays: one it cannot open is damaged, not a document.
const char* const kSoundExtensions[] = {".WAV", ".MP3", ".WMA",  ".MID", ".MIDI", ".RMI",
                                        ".AU",  ".AIF", ".AIFF", ".OGG", ".OGA",  ".FLAC",
                                        ".M4A", ".AAC", ".OPUS", ".APE", ".MP2",  ".MPA"};
constexpr int kDefaultVolume = 200;

template <std::size_t N>
bool listed(const std::string& extension, const char* const (&list)[N]) {
    return std::any_of(std::begin(list), std::end(list),
                       [&](const char* e) { return extension == e; });
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return text::upperAscii(a) == text::upperAscii(b);
}

bool folderExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(text::fsPath(text::toNativePath(path)), ec);
}

}  // namespace

ItemPlayer::ItemPlayer(BroadcastSession& session, PlayerControls controls, PlayerServices services,
                       VideoWindow& videoWindow, const store::LiveSettings& settings,
                       const std::vector<store::ScheduleRow>& rows)
    : m_state(session.playback),
      m_clock(session.clock),
      m_mode(session.mode),
      m_controls(controls),
      m_services(std::move(services)),
      m_video(videoWindow),
      m_settings(settings),
      m_rows(rows) {}

store::ScheduleRow ItemPlayer::rowAt(int row) const {
    if (manual()) {
        return store::ScheduleRow::read(m_controls.draft, row);
    }
    // A row outside the table has only empty cells, as the table reads it.
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<std::size_t>(row)]
                                                             : store::ScheduleRow{};
}

int ItemPlayer::rowCount() const {
    return manual() ? m_controls.draft.rowCount() : static_cast<int>(m_rows.size());
}

void ItemPlayer::setObserver(std::function<void(const PlayEvent&)> observer) {
    m_observer = std::move(observer);
}

void ItemPlayer::report(PlayEvent::Type type, int row) {
    if (m_observer) {
        m_observer(PlayEvent{type, m_state.itemKind, m_state.currentPath, row});
    }
}

bool ItemPlayer::isWebAddress(std::string_view itemText) {
    const std::string t = text::upperAscii(text::trimText(itemText));
    return t.starts_with("HTTP://") || t.starts_with("HTTPS://");
}

void ItemPlayer::find(int row) {
    m_requestedRow = row;
    // A folder with nothing to hand out leaves the state as far as it got, and says nothing.
    try {
        resolve();
    } catch (const std::exception& e) {
        platform::recordFailure(
            m_services.failures,
            {"item not found", m_state.currentPath + ": " + e.what(), m_requestedRow});
    }
}

std::string ItemPlayer::fileOf(const std::string& item) const {
    // A name without a dot is a file all the same, so a file "Bell" plays.
    if (!text::containsSeparator(item)) {
        return m_services.defaultDirectory() + item;
    }
    // "AUDIO\bell.wav" means the program directory's AUDIO, wherever the system was started.
    return text::resolvePath(
        m_services.programDirectory ? m_services.programDirectory() : std::string(), item);
}

void ItemPlayer::prepare() {
    const std::string item = rowAt(m_state.currentRow).file;
    if (item.empty() || isWebAddress(item) || text::endsWithSeparator(item)) {
        return;
    }
    const std::string path = fileOf(item);
    const std::string extension = text::upperAscii(text::extensionOf(path));
    if (listed(extension, kWebPageExtensions) || listed(extension, kPictureExtensions)) {
        return;
    }
    std::error_code ec;
    if (std::filesystem::is_regular_file(text::fsPath(text::toNativePath(path)), ec)) {
        m_services.device.prepare(text::toNativePath(path));
    }
}

bool ItemPlayer::resolve() {
    m_state.currentRow = m_requestedRow;
    m_state.itemText = rowAt(m_state.currentRow).file;
    m_state.directoryFinished = false;
    const std::string& item = m_state.itemText;

    if (isWebAddress(item)) {
        // An address is shown as it is: no library, no play list, no existence test.
        m_state.currentPath = text::trimText(item);
        m_state.isDirectory = false;
        m_state.itemPresent = true;
        m_state.quietFind = false;
        return true;
    }

    const bool hasDot = item.find('.') != std::string::npos;
    m_state.isDirectory = text::endsWithSeparator(item);
    if (!m_state.isDirectory) {
        m_state.currentPath = fileOf(item);
    } else {
        const std::string path = text::resolvePath(
            m_services.programDirectory ? m_services.programDirectory() : std::string(), item);
        m_state.folderPath = path;
        if (hasDot) {
            m_state.currentPath = path;
        }
    }
    if (m_state.isDirectory && !folderExists(m_state.folderPath)) {
        // A folder that is gone is missed as a missing file is: at the row's second, and the
        // clock moves on, instead of asking for it every second until the row's time is over.
        m_state.currentPath = m_state.folderPath;
        m_state.itemPresent = false;
        if (m_state.currentRow < rowCount() - 1) {
            ++m_state.currentRow;
        }
        m_state.quietFind = false;
        return true;
    }
    if (m_state.isDirectory) {
        const std::optional<std::string> picked = pickFromDirectory();
        if (!picked) {
            return false;
        }
        m_state.currentPath = *picked;
    }

    std::error_code ec;
    m_state.itemPresent =
        std::filesystem::is_regular_file(text::fsPath(text::toNativePath(m_state.currentPath)), ec);
    if (m_state.itemPresent) {
        if (!m_state.quietFind) {
            m_services.host.messageBox("文件 " + m_state.currentPath + " 存在！", "系统信息",
                                       platform::MessageIcon::Information,
                                       platform::MessageButtons::Ok);
        }
    } else if (m_state.currentRow < rowCount() - 1) {
        ++m_state.currentRow;
    }
    m_state.quietFind = false;
    return true;
}

void ItemPlayer::rebuildPlaylist() {
    m_state.playlist.clear();
    std::error_code ec;
    std::filesystem::directory_iterator it(text::fsPath(text::toNativePath(m_state.folderPath)),
                                           ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            continue;
        }
        const std::string name = text::utf8Path(it->path().filename());
        if (text::isHiddenName(name)) {
            continue;
        }
        m_state.playlist.push_back(name);
    }
    text::sortAsListed(m_state.playlist);
    m_state.nextIndex = 0;
    m_state.randomPicks = 0;
    m_state.playlistRow = m_state.currentRow;
    m_controls.playlistBox.setItems(m_state.playlist);
}

std::optional<std::string> ItemPlayer::pickFromDirectory() {
    if (m_state.currentRow != m_state.playlistRow) {
        rebuildPlaylist();
    }
    const int count = static_cast<int>(m_state.playlist.size());
    if (count == 0) {
        return std::nullopt;
    }
    std::string picked;
    if (!m_settings.randomOrder) {
        if (m_state.nextIndex < 0 || m_state.nextIndex >= count) {
            return std::nullopt;
        }
        picked = m_state.folderPath + m_state.playlist[static_cast<std::size_t>(m_state.nextIndex)];
        ++m_state.nextIndex;
        if (m_state.nextIndex == count) {
            if (text::timeBefore(m_clock.nowTime, m_clock.stopTime)) {
                m_state.nextIndex = 0;  // the directory repeats until the stop time
            } else if (m_clock.stopTime.empty()) {
                m_state.directoryFinished = true;
            }
        }
    } else {
        ++m_state.randomPicks;
        const int k = static_cast<int>(m_random() % static_cast<unsigned>(count));
        picked = m_state.folderPath + m_state.playlist[static_cast<std::size_t>(k)];
        m_state.nextIndex = k + 1;
        if (m_state.randomPicks == count && m_clock.stopTime.empty()) {
            m_state.directoryFinished = true;
        }
    }
    m_controls.playlistBox.setItemIndex(m_state.nextIndex - 1);
    return picked;
}

void ItemPlayer::play(int row) {
    m_requestedRow = row;
    playOnce();
    // A folder goes on with its next file at once, so that a damaged one costs it no second.
    for (std::size_t tries = 1; m_passedOver && m_state.isDirectory && !m_state.directoryFinished &&
                                tries < m_state.playlist.size();
         ++tries) {
        playOnce();
    }
}

void ItemPlayer::playOnce() {
    // resolve() moves past a missing row, so the requested row is the one asked for.
    const int row = m_requestedRow;
    try {
        m_state.quietFind = true;
        m_passedOver = false;
        if (!resolve()) {
            m_state.isPlaying = false;
            return;
        }
        m_controls.playlistBox.setVisible(m_state.isDirectory);

        const std::string extension = text::upperAscii(text::extensionOf(m_state.currentPath));
        const bool web = isWebAddress(m_state.currentPath);
        if ((web || listed(extension, kWebPageExtensions)) && m_state.itemPresent &&
            !m_services.pagesShown) {
            passOver("page not shown", "no display", row);
        } else if (web) {
            m_state.itemKind = ItemKind::WebPage;
            m_state.isPlaying = true;
            m_video.showWindow();
            if (m_settings.secondMonitor) {
                m_services.placeVideoWindow(1);
            }
            if (!manual()) {
                m_services.hideMainWindow();
            }
            m_video.pageAddress = m_state.currentPath;
            m_video.showPageButton.click();
        } else if (listed(extension, kWebPageExtensions)) {
            if (m_state.itemPresent) {
                m_state.itemKind = ItemKind::WebPage;
                m_state.isPlaying = true;
                m_video.pageAddress = text::toNativePath(m_state.currentPath);
                m_video.showPageButton.click();
            }
        } else if (m_state.itemPresent) {
            try {
                startMedia();
            } catch (const std::exception& e) {
                notPlayed(e.what(), row);
            } catch (...) {
                notPlayed("an unknown error", row);
            }
        }

        if (!web && listed(extension, kPictureExtensions) && m_state.itemPresent &&
            m_state.isPlaying) {
            m_video.showWindow();
            if (m_settings.secondMonitor) {
                m_services.placeVideoWindow(1);
            }
            if (!manual()) {
                m_services.hideMainWindow();
            }
        }

        if (!m_state.itemPresent && m_passedOver) {
            report(PlayEvent::Type::Missing, row);
        } else if (!m_state.itemPresent) {
            platform::recordFailure(
                m_services.failures,
                {"item not found",
                 m_state.currentPath +
                     (m_state.isDirectory && m_state.currentPath == m_state.folderPath
                          ? ": no such folder"
                          : ": no such file"),
                 row});
            report(PlayEvent::Type::Missing, row);
        } else if (m_state.isPlaying) {
            report(PlayEvent::Type::Started, row);
        }
        if (m_state.itemPresent) {
            if (m_services.prepareTitle) {
                m_services.prepareTitle();
            }
            m_clock.itemStarted();
            if (m_services.runningChanged) {
                m_services.runningChanged(true);
            }
            if (manual()) {
                m_controls.nowPlayingTimer.start(1000);
            } else {
                m_controls.nowPlayingTimer.stop();
            }
        }
    } catch (const std::exception& e) {
        // Whatever the request got to, nothing is playing for the clock to wait for.
        platform::recordFailure(m_services.failures,
                                {"item not played", m_state.currentPath + ": " + e.what(), row});
        m_state.isPlaying = false;
        return;
    }
    m_clock.playRequested();
    applyVolume();
}

void ItemPlayer::notPlayed(const std::string& why, int row) {
    // A sound or a film the device cannot play (damaged, cut short, another format under its
    // name) is passed over as a missing file is: handed to the desktop it would count as running
    // until stopped, and the clock would leave every later bell of the day waiting behind it.
    const std::string extension = text::upperAscii(text::extensionOf(m_state.currentPath));
    if (!listed(extension, kSoundExtensions) &&
        (!listed(extension, kPictureExtensions) || extension == ".SWF")) {
        platform::recordFailure(
            m_services.failures,
            {"media not played", m_state.currentPath + ": " + why + " (handed to the desktop)",
             row});
        openWithShell();
        return;
    }
    passOver("media not played", why, row);
}

void ItemPlayer::passOver(const std::string& what, const std::string& why, int row) {
    platform::recordFailure(m_services.failures,
                            {what, m_state.currentPath + ": " + why + " (passed over)", row});
    m_state.isPlaying = false;
    m_state.itemPresent = false;
    m_state.itemKind = ItemKind::None;
    m_passedOver = true;
    // A folder goes on with its next file; a file's row is left as a missing file's is.
    if (!m_state.isDirectory && m_state.currentRow < rowCount() - 1) {
        ++m_state.currentRow;
    }
}

void ItemPlayer::startMedia() {
    m_state.itemKind = ItemKind::Media;
    platform::MediaDevice& device = m_services.device;
    device.setFileName(text::toNativePath(m_state.currentPath));
    m_video.videoSurface.setVisible(true);
    device.setDisplay(m_video.surfaceHandle);
    device.open();
    const auto& b = m_video.bounds();
    device.setDisplayRect({0, 0, b.width, b.height});
    device.play();
    m_state.isPlaying = true;
    m_state.lengthMs = device.length();
}

void ItemPlayer::openWithShell() {
    m_state.itemKind = ItemKind::ShellOpened;
    m_state.isPlaying = true;
    m_video.showWindow();
    if (m_settings.secondMonitor) {
        m_services.placeVideoWindow(1);
    }
    // What ran before the launch is never ours to end at the stop.
    m_processesAtLaunch.clear();
    for (const platform::ProcessInfo& p : m_services.processes.snapshot()) {
        m_processesAtLaunch.insert(p.pid);
    }
    if (!m_services.shell.open(text::toNativePath(m_state.currentPath), "")) {
        platform::recordFailure(
            m_services.failures,
            {"item not opened", m_state.currentPath + ": the desktop refused to open it",
             m_state.currentRow});
        m_state.isPlaying = false;
    }
    m_video.startKeyTimer();
}

void ItemPlayer::applyVolume() {
    const int cell = text::toIntOr(rowAt(m_state.currentRow).volume, 0);
    const int v = cell >= 1 && cell <= 255 ? cell : kDefaultVolume;
    if (m_services.setVolume) {
        m_services.setVolume(v);
    }
}

void ItemPlayer::stop() {
    const bool wasRunning = m_state.isPlaying;
    // Only the programs the shell started for this item are candidates: started after the
    // launch, still running, ours, and not this program.
    std::vector<platform::ProcessInfo> launched;
    m_state.newestProcessName.clear();
    if (m_state.itemKind == ItemKind::ShellOpened) {
        for (const platform::ProcessInfo& p : m_services.processes.snapshot()) {
            if (!p.isSelf && p.ownedByUser && !m_processesAtLaunch.contains(p.pid)) {
                launched.push_back(p);
            }
        }
        // The newest of them, the last listed among equals.
        const platform::ProcessInfo* newest = nullptr;
        for (const platform::ProcessInfo& p : launched) {
            if (newest == nullptr || p.startTime >= newest->startTime) {
                newest = &p;
            }
        }
        if (newest != nullptr) {
            m_state.newestProcessName = text::fileNameOf(newest->executable);
        }
    }

    m_controls.nowPlayingTimer.stop();
    m_video.hideWindow();
    m_video.videoSurface.setVisible(false);
    m_video.webBrowser.setVisible(false);
    try {
        if (m_services.device.mode() == platform::MediaMode::Playing) {
            m_services.device.stop();
        }
    } catch (const platform::MediaError&) {
        // A device that cannot say or stop has nothing playing for us to stop.
    }
    if (m_state.itemKind == ItemKind::WebPage) {
        m_video.hidePageButton.click();
    }
    if (m_state.itemKind == ItemKind::ShellOpened && !m_state.newestProcessName.empty()) {
        for (const platform::ProcessInfo& p : launched) {
            if (equalsIgnoringCase(p.executable, m_state.newestProcessName) ||
                equalsIgnoringCase(text::fileNameOf(p.executable), m_state.newestProcessName)) {
                m_services.processes.terminate(p.pid);
            }
        }
    }
    m_processesAtLaunch.clear();

    m_state.itemKind = ItemKind::None;
    m_controls.hintLine.setText("");
    m_state.forgetItemTimes();
    m_state.isPlaying = false;
    m_controls.playlistBox.setVisible(false);
    if (m_services.runningChanged) {
        m_services.runningChanged(false);
    }
    if (wasRunning) {
        report(PlayEvent::Type::Stopped, m_state.currentRow);
    }
}

void ItemPlayer::playNext(int row) {
    try {
        if (m_services.device.mode() == platform::MediaMode::Playing) {
            m_services.device.stop();
        }
    } catch (const platform::MediaError&) {
        // Nothing open: there is nothing to stop before the next file.
    }
    play(row);
}

}  // namespace orvessa::playback
