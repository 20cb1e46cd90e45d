#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/model/window.h"
#include "core/platform/host.h"

namespace orvessa::fakes {

// A host that records what the core asked of it and answers message boxes from a script.
class ScriptedHost : public platform::Host {
public:
    struct Message {
        std::string text;
        std::string caption;
        platform::MessageIcon icon;
        platform::MessageButtons buttons;
    };
    struct About {
        std::string application;
        std::string other;
    };
    using ShownHandler = std::function<void(model::Window&)>;

    // Answers for the next message boxes, in order. Once they run out an OK box answers Ok and
    // a Yes/No box answers No, the answer that changes least.
    std::deque<platform::MessageAnswer> answers;

    std::vector<Message> messages;
    std::vector<std::string> shownModally;  // component names of the windows, in order
    std::vector<About> aboutBoxes;
    int quitRequests = 0;

    // Runs `handler` while the window of that name is shown modally: the test plays the
    // operator inside the dialog there.
    void onShown(const std::string& windowName, ShownHandler handler) {
        m_onShown[windowName] = std::move(handler);
    }

    platform::MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                       platform::MessageIcon icon,
                                       platform::MessageButtons buttons) override {
        messages.push_back(Message{text, caption, icon, buttons});
        if (!answers.empty()) {
            const platform::MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == platform::MessageButtons::Ok ? platform::MessageAnswer::Ok
                                                       : platform::MessageAnswer::No;
    }

    model::ModalResult showModal(model::Window& window) override {
        shownModally.push_back(window.name());
        window.beginModal();
        window.setVisible(true);
        if (const auto it = m_onShown.find(window.name()); it != m_onShown.end()) {
            it->second(window);
        }
        window.setVisible(false);
        return window.modalResult();
    }

    // Paths the next file dialogs answer with, in order; nothing once they run out (cancelled).
    std::deque<std::optional<std::string>> fileChoices;
    struct FileDialog {
        bool save;
        std::string initialName;
    };
    std::vector<FileDialog> fileDialogs;

    std::optional<std::string> openFileDialog(const std::string& initialName,
                                              const std::string&) override {
        return nextFile(false, initialName);
    }
    std::optional<std::string> saveFileDialog(const std::string& initialName,
                                              const std::string&) override {
        return nextFile(true, initialName);
    }

    // Folders the next folder choosers answer with, in order; nothing once they run out. The
    // folders they started in are kept.
    std::deque<std::optional<std::string>> folderChoices;
    std::vector<std::string> folderDialogs;
    std::optional<std::string> openFolderDialog(const std::string& directory) override {
        folderDialogs.push_back(directory);
        if (folderChoices.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> choice = folderChoices.front();
        folderChoices.pop_front();
        return choice;
    }

    void aboutBox(const std::string& application, const std::string& other) override {
        aboutBoxes.push_back(About{application, other});
    }

    void quitApplication() override { ++quitRequests; }

    // The font and colour dialogs: cancelled, after counting that they were opened.
    int styleDialogs = 0;
    std::optional<platform::FontDescription> fontDialog(const platform::FontDescription&) override {
        ++styleDialogs;
        return std::nullopt;
    }
    std::optional<model::Color> colorDialog(model::Color) override {
        ++styleDialogs;
        return std::nullopt;
    }

private:
    std::optional<std::string> nextFile(bool save, const std::string& initialName) {
        fileDialogs.push_back(FileDialog{save, initialName});
        if (fileChoices.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> choice = fileChoices.front();
        fileChoices.pop_front();
        return choice;
    }

    std::map<std::string, ShownHandler> m_onShown;
};

}  // namespace orvessa::fakes
