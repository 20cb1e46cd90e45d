#include "station/headless_host.h"

namespace orvessa::station {
namespace {

const char* answerWord(platform::MessageAnswer answer) {
    switch (answer) {
        case platform::MessageAnswer::Yes:
            return "是";
        case platform::MessageAnswer::No:
            return "否";
        case platform::MessageAnswer::Ok:
            break;
    }
    return "确定";
}

}  // namespace

platform::MessageAnswer HeadlessHost::defaultAnswer(platform::MessageButtons buttons) {
    switch (buttons) {
        case platform::MessageButtons::YesNo:
            return platform::MessageAnswer::Yes;
        case platform::MessageButtons::YesNoDefaultNo:
            return platform::MessageAnswer::No;
        case platform::MessageButtons::Ok:
            break;
    }
    return platform::MessageAnswer::Ok;
}

platform::MessageAnswer HeadlessHost::messageBox(const std::string& text,
                                                 const std::string& caption, platform::MessageIcon,
                                                 platform::MessageButtons buttons) {
    const platform::MessageAnswer answer = defaultAnswer(buttons);
    platform::recordFailure(m_record, {"message answered without a display",
                                       caption + ": " + text + " -> " + answerWord(answer)});
    return answer;
}

model::ModalResult HeadlessHost::showModal(model::Window& window) {
    platform::recordFailure(m_record,
                            {"window not shown without a display",
                             window.caption().empty() ? window.name() : window.caption()});
    return model::ModalResult::Closed;
}

std::optional<std::string> HeadlessHost::openFileDialog(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<std::string> HeadlessHost::openFolderDialog(const std::string&) {
    return std::nullopt;
}

std::optional<std::string> HeadlessHost::saveFileDialog(const std::string&, const std::string&) {
    return std::nullopt;
}

std::optional<platform::FontDescription> HeadlessHost::fontDialog(
    const platform::FontDescription&) {
    return std::nullopt;
}

std::optional<model::Color> HeadlessHost::colorDialog(model::Color) {
    return std::nullopt;
}

void HeadlessHost::aboutBox(const std::string&, const std::string&) {}

void HeadlessHost::quitApplication() {
    m_quitRequested = true;
    if (m_quit) {
        m_quit();
    }
}

}  // namespace orvessa::station
