#pragma once

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

    // The platform's about box: application text, second text, the application icon.
    virtual void aboutBox(const std::string& application, const std::string& other) = 0;

    // Ends the message loop; the process exits once the current handler has returned.
    virtual void quitApplication() = 0;
};

}  // namespace orvessa::platform
