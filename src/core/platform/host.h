#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/model/window.h"
#include "core/platform/style_dialogs.h"

namespace orvessa::platform {

enum class MessageIcon { None, Information, Question, Warning, Error };
// Yes and No: Yes is the default (Enter answers it), except with YesNoDefaultNo, for a question
// whose Yes loses data.
enum class MessageButtons { Ok, YesNo, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No };

// What long work run by Host::runWithProgress tells the progress window, and what the operator
// answers. Read and written from both threads.
struct WorkProgress {
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};
    std::atomic<bool> cancelled{false};  // the operator pressed 取消: the work stops soon
};

// What the windowing toolkit does for the core. Every call runs on the user-interface thread.
// The font and colour dialogs come from StyleDialogs.
class Host : public StyleDialogs {
public:
    virtual ~Host() = default;

    // A modal message box without owner window. "\r" in `text` is a line break.
    virtual MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                     MessageIcon icon, MessageButtons buttons) = 0;

    // Shows the window modally and returns, when it has been closed, how it was closed. Every
    // window shown this way has a view; asking for one without is a programming error.
    virtual model::ModalResult showModal(model::Window& window) = 0;

    // The platform's file-open dialog, starting with the file name `initialName` (a pattern such
    // as "*.log" lists the matching files) in `directory`. The chosen file's path, or nothing when
    // the operator cancelled.
    virtual std::optional<std::string> openFileDialog(const std::string& initialName,
                                                      const std::string& directory) = 0;
    // The same for saving. The dialog itself does not warn about an existing file.
    virtual std::optional<std::string> saveFileDialog(const std::string& initialName,
                                                      const std::string& directory) = 0;
    // The platform's folder chooser, starting in `directory`. The chosen folder's path, or
    // nothing when the operator cancelled.
    virtual std::optional<std::string> openFolderDialog(const std::string& directory) = 0;

    // Runs `work` on a thread of its own while a modal progress window shows `text` and how far
    // `progress` says it is, with a 取消 button that sets `progress.cancelled`; returns once the
    // work has returned (the work must then look at `cancelled` often). False when the operator
    // cancelled. `work` touches nothing the user-interface thread uses meanwhile. Without a
    // window system the work runs here, to the end.
    virtual bool runWithProgress(const std::string& text, const std::string& caption,
                                 const std::function<void(WorkProgress& progress)>& work) {
        (void)caption;
        (void)text;
        WorkProgress progress;
        work(progress);
        return !progress.cancelled;
    }

    // The platform's about box: application text, second text, the application icon.
    virtual void aboutBox(const std::string& application, const std::string& other) = 0;

    // Ends the message loop; the process exits once the current handler has returned.
    virtual void quitApplication() = 0;
};

}  // namespace orvessa::platform
