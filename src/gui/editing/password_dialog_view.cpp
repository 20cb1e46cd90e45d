#include "gui/editing/password_dialog_view.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {
namespace {}  // namespace

PasswordDialogView::PasswordDialogView(editing::PasswordDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);
    m_lines = new QVBoxLayout;
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    const std::pair<model::TextControl*, model::TextControl*> lines[] = {
        {&model.passwordPrompt, &model.passwordField},
        {&model.newPasswordPrompt, &model.newPasswordField},
        {&model.repeatPrompt, &model.repeatField}};
    int row = 0;
    for (const auto& [label, field] : lines) {
        auto* l = new QLabel(this);
        bindText(*label, l);
        auto* e = new QLineEdit(this);
        bindField(*field, e);
        // Every password, old or new, is typed unseen.
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // '*'
        l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1);
        ++row;
    }
    // The stretch above the lines is there only in the entry layout, so the password line stands
    // in the middle then and at the top once the two new-password lines show below it.
    m_lines->addStretch(1);
    m_lines->addLayout(grid);
    m_lines->addStretch(1);
    layout->addLayout(m_lines, 1);

    layout->addLayout(buttonRow(this, {.commands = {&model.changeButton, &model.okButton},
                                       .enterPresses = &model.okButton}));

    syncLayout();
    disconnectWith(this, model.changed, model.changed.connect([this] { syncLayout(); }));
    setFixedSize(320, 170);
}

void PasswordDialogView::syncLayout() {
    m_lines->setStretch(0, m_model.changeLayout() ? 0 : 1);
    // The password is typed first, in either layout.
    findChild<QLineEdit*>(toQt(m_model.passwordField.name()))->setFocus();
}

}  // namespace orvessa::gui
