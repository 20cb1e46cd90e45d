#pragma once

#include <functional>

#include "core/platform/failure_record.h"
#include "core/platform/host.h"

namespace orvessa::station {

// The host of a broadcast nobody watches: every question gets its stated default (Yes, or No
// where Yes loses data), every notice Ok, every modal window closes at once, no file, font or
// colour is chosen. Each question and the answer given are recorded, since nobody saw them.
class HeadlessHost : public platform::Host {
public:
    explicit HeadlessHost(platform::FailureRecord* record) : m_record(record) {}

    platform::MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                       platform::MessageIcon icon,
                                       platform::MessageButtons buttons) override;
    model::ModalResult showModal(model::Window& window) override;
    std::optional<std::string> openFileDialog(const std::string& initialName,
                                              const std::string& directory) override;
    std::optional<std::string> openFolderDialog(const std::string& directory) override;
    std::optional<std::string> saveFileDialog(const std::string& initialName,
                                              const std::string& directory) override;
    std::optional<platform::FontDescription> fontDialog(
        const platform::FontDescription& current) override;
    std::optional<model::Color> colorDialog(model::Color current) override;
    void aboutBox(const std::string& application, const std::string& other) override;
    void quitApplication() override;

    // Ends the loop once it runs; set by whoever runs it.
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    // Whether quit was asked for, also before the loop ran.
    bool quitRequested() const { return m_quitRequested; }

    // The default answer to a question with these buttons.
    static platform::MessageAnswer defaultAnswer(platform::MessageButtons buttons);

private:
    platform::FailureRecord* m_record;
    std::function<void()> m_quit;
    bool m_quitRequested = false;
};

}  // namespace orvessa::station
