#include "core/tools/recorder_window.h"

#include <exception>
#include <string_view>

#include "core/store/file_io.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::tools {

using platform::MediaError;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

void putLittleEndian(std::string& out, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

bool isScratchName(std::string_view path) {
    return text::upperAscii(text::fileNameOf(path)) ==
           text::upperAscii(RecorderWindow::kScratchName);
}

// The folder part of `path`, with its separator; empty for a bare name.
std::string folderOf(const std::string& path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (text::isSeparator(path[i - 1])) {
            return path.substr(0, i);
        }
    }
    return {};
}

}  // namespace

std::string emptyWavFile(const RecordingFormat& format) {
    std::string header;
    header.reserve(44);
    header += "RIFF";
    putLittleEndian(header, 36, 4);
    header += "WAVEfmt ";
    putLittleEndian(header, 16, 4);
    putLittleEndian(header, 1, 2);
    putLittleEndian(header, format.channels, 2);
    putLittleEndian(header, format.sampleRate, 4);
    putLittleEndian(header, format.bytesPerSecond(), 4);
    putLittleEndian(header, format.blockAlign(), 2);
    putLittleEndian(header, format.bitsPerSample, 2);
    header += "data";
    putLittleEndian(header, 0, 4);
    return header;
}

void Shape::setColor(model::Color color) {
    if (m_color != color) {
        m_color = color;
        notify();
    }
}

RecorderWindow::RecorderWindow(platform::MediaDevice& device, RecorderServices services)
    : Window("recorderWindow", "录音"), m_device(device), m_services(std::move(services)) {
    channelsGroup.setItemIndex(0);
    sampleBitsGroup.setItemIndex(1);
    sampleRateGroup.setItemIndex(0);
    m_scratchShown = scratchPath();
    fileField.setText(m_scratchShown);
    stopButton.setEnabled(false);
    listenButton.setEnabled(false);
    indicatorSquare.setVisible(false);
    indicatorDot.setVisible(false);

    recordButton.setHandler([this] { record(); });
    stopButton.setHandler([this] { stop(); });
    listenButton.setHandler([this] { listen(); });
    closeButton.setHandler([this] { endModal(model::ModalResult::Closed); });
    browseButton.setHandler([this] { browse(); });
    tickTimer.setHandler([this] { tick(); });
}

std::string RecorderWindow::scratchPath() const {
    return text::joinPath(m_services.libraryDirectory ? m_services.libraryDirectory() : "",
                          kScratchName);
}

RecordingFormat RecorderWindow::format() const {
    RecordingFormat f;
    f.channels = static_cast<uint16_t>(channelsGroup.itemIndex() + 1);
    f.bitsPerSample = static_cast<uint16_t>((sampleBitsGroup.itemIndex() + 1) * 8);
    const uint32_t rate = static_cast<uint32_t>(sampleRateGroup.itemIndex() + 1) * 11025;
    // The third item is the CD rate, not three times the lowest.
    f.sampleRate = rate > 22050 ? 44100 : rate;
    return f;
}

std::string RecorderWindow::targetPath() const {
    return text::trimText(fileField.text());
}

void RecorderWindow::showRecorder() {
    // The library is known only once the main window has been activated, after this window was
    // made; an untouched field follows it.
    if (m_state == State::Idle && fileField.text() == m_scratchShown) {
        m_scratchShown = scratchPath();
        fileField.setText(m_scratchShown);
    }
    activate();
    m_services.host.showModal(*this);
    finishClosing();
}

void RecorderWindow::finishClosing() {
    // Nothing goes on unseen behind a closed window: a recording is kept, an audition ends.
    if (m_state != State::Idle) {
        stop();
    }
    if (m_services.closed) {
        m_services.closed();
    }
}

void RecorderWindow::activate() {
    // Only while idle: stop must stay reachable while something runs.
    if (m_state == State::Idle) {
        stopButton.setEnabled(false);
        listenButton.setEnabled(false);
    }
}

bool RecorderWindow::mayReplace(const std::string& path) {
    if (isScratchName(path) || !store::fileExists(text::fsPath(text::toNativePath(path)))) {
        return true;
    }
    return m_services.host.messageBox(path + "\r\r已存在，要用新的录音替换它吗？", "系统信息",
                                      MessageIcon::Question,
                                      MessageButtons::YesNo) == MessageAnswer::Yes;
}

void RecorderWindow::showIndicator(model::Color color) {
    indicatorDot.setColor(color);
    indicatorSquare.setVisible(true);
    indicatorDot.setVisible(true);
}

void RecorderWindow::hideIndicator() {
    indicatorSquare.setVisible(false);
    indicatorDot.setVisible(false);
}

void RecorderWindow::record() {
    const std::string path = targetPath();
    if (!mayReplace(path)) {
        return;
    }
    tickTimer.start(kTickInterval);
    stateLine.setText("正在录音...");
    endPosition.clear();
    const RecordingFormat f = format();
    try {
        // The take is made in a file of its own beside the target and replaces it only once it
        // is saved: a start or save that fails, or a kill, leaves an old recording as it was.
        m_takeTarget = text::fsPath(text::toNativePath(path));
        if (!store::writeTemporaryBeside(m_takeTarget, emptyWavFile(f), m_take)) {
            throw MediaError("the file cannot be written");
        }
        m_device.setFileName(text::utf8Path(m_take));
        m_device.open();
        m_device.startRecording();
    } catch (const std::exception&) {
        discardTake();
        tickTimer.stop();
        stateLine.setText("");
        hideIndicator();
        recordButton.setEnabled(true);
        stopButton.setEnabled(false);
        listenButton.setEnabled(true);
        m_services.host.messageBox("媒体设备初始化失败！", "错误", MessageIcon::Error,
                                   MessageButtons::Ok);
        return;
    }
    m_state = State::Recording;
    recordButton.setEnabled(false);
    stopButton.setEnabled(true);
    listenButton.setEnabled(false);
    showIndicator(model::kRed);
}

void RecorderWindow::discardTake() {
    if (!m_take.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_take, ignored);
        m_take.clear();
    }
}

void RecorderWindow::stop() {
    tickTimer.stop();
    stateLine.setText("");
    m_state = State::Idle;
    try {
        m_device.stop();
        m_device.save();
        m_device.close();
        if (!m_take.empty()) {
            const store::WriteResult placed =
                store::replaceWithTemporary(m_take, m_takeTarget, m_services.fileSync);
            m_take.clear();
            if (!placed) {
                throw MediaError(placed.error);
            }
        }
    } catch (const std::exception&) {
        discardTake();
        m_services.host.messageBox("保存声音文件出错!", "错误", MessageIcon::Error,
                                   MessageButtons::Ok);
        recordButton.setEnabled(true);
        stopButton.setEnabled(false);
        listenButton.setEnabled(true);
        return;
    }
    recordButton.setEnabled(true);
    stopButton.setEnabled(false);
    listenButton.setEnabled(true);
    hideIndicator();
}

void RecorderWindow::listen() {
    try {
        m_device.setFileName(text::toNativePath(targetPath()));
        m_device.open();
        m_device.play();
        endPosition = std::to_string(m_device.length());
    } catch (const std::exception&) {
        listenButton.setEnabled(false);
        stopButton.setEnabled(false);
        recordButton.setEnabled(true);
        return;
    }
    m_state = State::Auditioning;
    stopButton.setEnabled(true);
    listenButton.setEnabled(false);
    tickTimer.start(kTickInterval);
    stateLine.setText("正在试听...");
    showIndicator(kLime);
}

void RecorderWindow::browse() {
    listenButton.setEnabled(true);
    const std::string current = targetPath();
    if (auto chosen = m_services.host.saveFileDialog("*.wav", folderOf(current))) {
        fileField.setText(*chosen);
    }
}

void RecorderWindow::tick() {
    if (stopButton.enabled()) {
        lastPosition = std::to_string(m_device.position());
    }
    blink = !blink;
    indicatorDot.setVisible(blink);
    if (lastPosition == endPosition) {
        stop();
    }
}

}  // namespace orvessa::tools
