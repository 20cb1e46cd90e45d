#pragma once

#include <QDialog>

#include "core/alerts/announcement_dialog.h"

namespace orvessa::gui {

// The notices to play one from: the folder they are read from, their list (a double click plays
// one) and the dialog's two buttons.
class AnnouncementDialogView : public QDialog {
public:
    explicit AnnouncementDialogView(alerts::AnnouncementDialog& model, QWidget* parent = nullptr);
};

}  // namespace orvessa::gui
