#pragma once

#include <QPointer>
#include <QWidget>
#include <map>

#include "core/platform/host.h"

namespace orvessa::gui {

// The core's host on Qt Widgets: message boxes without owner, modal windows, the about box and
// the end of the message loop.
class QtHost : public platform::Host {
public:
    platform::MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                       platform::MessageIcon icon,
                                       platform::MessageButtons buttons) override;
    model::ModalResult showModal(model::Window& window) override;
    std::optional<std::string> openFileDialog(const std::string& initialName,
                                              const std::string& directory) override;
    std::optional<std::string> openFolderDialog(const std::string& directory) override;
    std::optional<std::string> saveFileDialog(const std::string& initialName,
                                              const std::string& directory) override;
    bool runWithProgress(const std::string& text, const std::string& caption,
                         const std::function<void(platform::WorkProgress&)>& work) override;
    void aboutBox(const std::string& application, const std::string& other) override;
    void quitApplication() override;
    std::optional<platform::FontDescription> fontDialog(
        const platform::FontDescription& current) override;
    std::optional<model::Color> colorDialog(model::Color current) override;

    // The dialog that shows `window` modally.
    void registerView(model::Window& window, QWidget* view);
    bool hasView(const model::Window& window) const;

    // Whether quit was asked for, also before the message loop ran.
    bool quitRequested() const { return m_quitRequested; }

private:
    std::map<const model::Window*, QPointer<QWidget>> m_views;
    bool m_quitRequested = false;
};

}  // namespace orvessa::gui
