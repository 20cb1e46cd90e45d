#pragma once

#include <QDialog>
#include <QWidget>

#include "core/editing/console_page.h"

class QLabel;
class QLineEdit;

namespace orvessa::gui {

// The options dialog's page of the web console: the settings above, the users and tokens side
// by side below them, the certificate's fingerprint and the page's buttons at the foot.
class ConsolePageView : public QWidget {
public:
    // `close` is the dialog's own "关闭(&E)", shown on every page.
    ConsolePageView(editing::ConsolePage& model, model::Command& close, QWidget* parent = nullptr);
};

// Adding a console user, or a user's new password.
class ConsoleAccountDialogView : public QDialog {
public:
    explicit ConsoleAccountDialogView(editing::ConsoleAccountDialog& model,
                                      QWidget* parent = nullptr);

private:
    void syncLayout();

    editing::ConsoleAccountDialog& m_model;
    QLabel* m_nameLabel;
};

// Adding an API token, then showing it once.
class ConsoleTokenDialogView : public QDialog {
public:
    explicit ConsoleTokenDialogView(editing::ConsoleTokenDialog& model, QWidget* parent = nullptr);

private:
    void syncLayout();

    editing::ConsoleTokenDialog& m_model;
    QLineEdit* m_token;
    QWidget* m_copy;
};

}  // namespace orvessa::gui
