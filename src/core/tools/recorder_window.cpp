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
    RadioGroup1.setItemIndex(0);
    RadioGroup2.setItemIndex(1);
    RadioGroup3.setItemIndex(0);
    m_scratchShown = scratchPath();
    Edit1.setText(m_scratchShown);
    Button2.setEnabled(false);
    Button3.setEnabled(false);
    Shape1.setVisible(false);
    Shape2.setVisible(false);

    Button1.setHandler([this] { Button1Click(); });
    Button2.setHandler([this] { Button2Click(); });
    Button3.setHandler([this] { Button3Click(); });
    Button4.setHandler([this] { endModal(model::ModalResult::Closed); });
    SpeedButton1.setHandler([this] { SpeedButton1Click(); });
    Timer1.setHandler([this] { Timer1Timer(); });
}

std::string RecorderWindow::scratchPath() const {
    return text::joinPath(m_services.libraryDirectory ? m_services.libraryDirectory() : "",
                          kScratchName);
}

RecordingFormat RecorderWindow::format() const {
    RecordingFormat f;
    f.channels = static_cast<uint16_t>(RadioGroup1.itemIndex() + 1);
    f.bitsPerSample = static_cast<uint16_t>((RadioGroup2.itemIndex() + 1) * 8);
    const uint32_t rate = static_cast<uint32_t>(RadioGroup3.itemIndex() + 1) * 11025;
    // The third item is the CD rate, not three times the lowest.
    f.sampleRate = rate > 22050 ? 44100 : rate;
    return f;
}

std::string RecorderWindow::targetPath() const {
    return text::trimText(Edit1.text());
}

void RecorderWindow::showRecorder() {
    // The library is known only once the main window has been activated, after this window was
    // made; an untouched field follows it.
    if (m_state == State::Idle && Edit1.text() == m_scratchShown) {
        m_scratchShown = scratchPath();
        Edit1.setText(m_scratchShown);
    }
    FormActivate();
    m_services.host.showModal(*this);
    finishClosing();
}

void RecorderWindow::finishClosing() {
    // Nothing goes on unseen behind a closed window: a recording is kept, an audition ends.
    if (m_state != State::Idle) {
        Button2Click();
    }
    if (m_services.closed) {
        m_services.closed();
    }
}

void RecorderWindow::FormActivate() {
    // Only while idle: stop must stay reachable while something runs.
    if (m_state == State::Idle) {
        Button2.setEnabled(false);
        Button3.setEnabled(false);
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
    Shape2.setColor(color);
    Shape1.setVisible(true);
    Shape2.setVisible(true);
}

void RecorderWindow::hideIndicator() {
    Shape1.setVisible(false);
    Shape2.setVisible(false);
}

void RecorderWindow::Button1Click() {
    const std::string path = targetPath();
    if (!mayReplace(path)) {
        return;
    }
    Timer1.start(kTickInterval);
    Label1.setText("正在录音...");
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
        Timer1.stop();
        Label1.setText("");
        hideIndicator();
        Button1.setEnabled(true);
        Button2.setEnabled(false);
        Button3.setEnabled(true);
        m_services.host.messageBox("媒体设备初始化失败！", "错误", MessageIcon::Error,
                                   MessageButtons::Ok);
        return;
    }
    m_state = State::Recording;
    Button1.setEnabled(false);
    Button2.setEnabled(true);
    Button3.setEnabled(false);
    showIndicator(model::kRed);
}

void RecorderWindow::discardTake() {
    if (!m_take.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_take, ignored);
        m_take.clear();
    }
}

void RecorderWindow::Button2Click() {
    Timer1.stop();
    Label1.setText("");
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
        Button1.setEnabled(true);
        Button2.setEnabled(false);
        Button3.setEnabled(true);
        return;
    }
    Button1.setEnabled(true);
    Button2.setEnabled(false);
    Button3.setEnabled(true);
    hideIndicator();
}

void RecorderWindow::Button3Click() {
    try {
        m_device.setFileName(text::toNativePath(targetPath()));
        m_device.open();
        m_device.play();
        endPosition = std::to_string(m_device.length());
    } catch (const std::exception&) {
        Button3.setEnabled(false);
        Button2.setEnabled(false);
        Button1.setEnabled(true);
        return;
    }
    m_state = State::Auditioning;
    Button2.setEnabled(true);
    Button3.setEnabled(false);
    Timer1.start(kTickInterval);
    Label1.setText("正在试听...");
    showIndicator(kLime);
}

void RecorderWindow::SpeedButton1Click() {
    Button3.setEnabled(true);
    const std::string current = targetPath();
    if (auto chosen = m_services.host.saveFileDialog("*.wav", folderOf(current))) {
        Edit1.setText(*chosen);
    }
}

void RecorderWindow::Timer1Timer() {
    if (Button2.enabled()) {
        lastPosition = std::to_string(m_device.position());
    }
    blink = !blink;
    Shape2.setVisible(blink);
    if (lastPosition == endPosition) {
        Button2Click();
    }
}

}  // namespace orvessa::tools
