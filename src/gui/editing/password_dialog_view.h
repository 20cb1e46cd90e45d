#pragma once

#include <QDialog>

#include "core/editing/password_dialog.h"

class QVBoxLayout;

namespace orvessa::gui {

// The operator password dialog: the password line alone in the middle (entry layout), or the
// password above the new one and its repetition (change layout).
class PasswordDialogView : public QDialog {
public:
    explicit PasswordDialogView(editing::PasswordDialog& model, QWidget* parent = nullptr);

private:
    void syncLayout();

    editing::PasswordDialog& m_model;
    QVBoxLayout* m_lines;
};

}  // namespace orvessa::gui
