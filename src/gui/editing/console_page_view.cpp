#include "gui/editing/console_page_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {
namespace {

QLabel* noteLabel(model::TextControl& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    // Wrapped to the width the other pages give the dialog, not widening it.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bindText(control, label);
    return label;
}

// A list of accounts with its buttons beside it.
QGroupBox* accountBox(const QString& title, model::ListBox& list,
                      std::vector<model::Command*> commands, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(box);
    auto* widget = new QListWidget(box);
    bindList(list, widget);
    // A few accounts at most: the lists need not widen the dialog's other pages.
    widget->setMinimumWidth(120);
    widget->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    layout->addWidget(widget, 1);
    auto* buttons = new QVBoxLayout;
    addButtons(buttons, box, {.commands = std::move(commands), .atEnd = false});
    buttons->addStretch();
    layout->addLayout(buttons);
    return box;
}

QLineEdit* passwordEdit(model::TextControl& control, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    bindField(control, edit);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

}  // namespace

ConsolePageView::ConsolePageView(editing::ConsolePage& model, model::Command& close,
                                 QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);

    auto* settings = new QGroupBox(this);
    auto* grid = new QGridLayout(settings);
    auto* enabled = new QCheckBox(settings);
    bindButton(model.enabledBox, enabled);
    grid->addWidget(enabled, 0, 0, 1, 4);
    auto* address = new QLineEdit(settings);
    bindField(model.addressField, address);
    auto* addressLabel = new QLabel(QStringLiteral("地址(&A)："), settings);
    addressLabel->setBuddy(address);
    auto* port = new QLineEdit(settings);
    bindField(model.portField, port);
    // Room for "65535" and a little more: the check itself is the model's.
    port->setMaximumWidth(port->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    auto* portLabel = new QLabel(QStringLiteral("端口(&N)："), settings);
    portLabel->setBuddy(port);
    grid->addWidget(addressLabel, 1, 0);
    grid->addWidget(address, 1, 1);
    grid->addWidget(portLabel, 1, 2);
    grid->addWidget(port, 1, 3);
    grid->addWidget(noteLabel(model.addressNote, settings), 2, 1, 1, 3);
    grid->addWidget(noteLabel(model.restartNote, settings), 3, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    layout->addWidget(settings);

    layout->addWidget(noteLabel(model.problemText, this));

    auto* accounts = new QHBoxLayout;
    accounts->addWidget(
        accountBox(QStringLiteral("用户"), model.userList,
                   {&model.addUserButton, &model.removeUserButton, &model.changePasswordButton},
                   this),
        1);
    accounts->addWidget(accountBox(QStringLiteral("API 令牌"), model.tokenList,
                                   {&model.addTokenButton, &model.removeTokenButton}, this),
                        1);
    layout->addLayout(accounts, 1);

    auto* fingerprintRow = new QHBoxLayout;
    fingerprintRow->addWidget(new QLabel(QStringLiteral("证书指纹："), this));
    auto* fingerprint = new QLineEdit(this);
    bindText(model.fingerprintText, fingerprint);
    fingerprint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // The hex pairs are compared by eye with what the browser shows.
    fingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    fingerprint->setCursorPosition(0);
    fingerprintRow->addWidget(fingerprint, 1);
    layout->addLayout(fingerprintRow);

    layout->addLayout(buttonRow(this, {.commands = {&model.saveButton, &close}}));
}

ConsoleAccountDialogView::ConsoleAccountDialogView(editing::ConsoleAccountDialog& model,
                                                   QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* name = new QLineEdit(this);
    bindField(model.nameField, name);
    m_nameLabel = new QLabel(QStringLiteral("用户名(&N)："), this);
    m_nameLabel->setBuddy(name);
    grid->addWidget(m_nameLabel, 0, 0);
    grid->addWidget(name, 0, 1);
    auto* role = new QGroupBox(this);
    bindRadioGroup(model.roleGroup, role);
    grid->addWidget(role, 1, 0, 1, 2);
    const std::pair<QString, model::TextControl*> passwords[] = {
        {QStringLiteral("密码(&P)："), &model.passwordField},
        {QStringLiteral("再输入一次(&R)："), &model.repeatField}};
    int row = 2;
    for (const auto& [caption, control] : passwords) {
        auto* edit = passwordEdit(*control, this);
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    }
    auto* hint = new QLabel(QStringLiteral("密码至少 8 个字符。"), this);
    grid->addWidget(hint, row, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttonRow(this, {.commands = {&model.okButton, &model.cancelButton},
                                       .enterPresses = &model.okButton}));
    syncLayout();
    disconnectWith(this, model.changed, model.changed.connect([this] { syncLayout(); }));
    setMinimumWidth(340);
}

void ConsoleAccountDialogView::syncLayout() {
    setWindowTitle(toQt(m_model.caption()));
    m_nameLabel->setVisible(m_model.adding());
    findChild<QWidget*>(toQt(m_model.roleGroup.name()))->setVisible(m_model.roleGroup.visible());
    const char* first = m_model.adding() ? "accountNameField" : "accountPasswordField";
    if (auto* field = findChild<QLineEdit*>(QString::fromLatin1(first))) {
        field->setFocus();
    }
}

ConsoleTokenDialogView::ConsoleTokenDialogView(editing::ConsoleTokenDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto* name = new QLineEdit(this);
    bindField(model.nameField, name);
    auto* nameLabel = new QLabel(QStringLiteral("令牌名称(&N)："), this);
    nameLabel->setBuddy(name);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(name, 0, 1);
    auto* role = new QGroupBox(this);
    bindRadioGroup(model.roleGroup, role);
    grid->addWidget(role, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addLayout(buttonRow(this, {.commands = {&model.addButton}}));

    auto* tokenRow = new QHBoxLayout;
    m_token = new QLineEdit(this);
    bindText(model.tokenField, m_token);
    m_token->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_token->setMinimumWidth(m_token->fontMetrics().horizontalAdvance(QString(66, u'0')));
    tokenRow->addWidget(m_token, 1);
    auto* copy = new QPushButton(QStringLiteral("复制(&C)"), this);
    copy->setObjectName(QStringLiteral("tokenCopyButton"));
    // The clipboard is the desktop's: a view's matter, not a rule.
    QObject::connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(m_token->text());
        m_token->selectAll();
    });
    m_copy = copy;
    tokenRow->addWidget(copy);
    layout->addLayout(tokenRow);
    layout->addWidget(noteLabel(model.shownNote, this));
    layout->addStretch();
    layout->addLayout(buttonRow(this, {.commands = {&model.closeButton}}));
    syncLayout();
    disconnectWith(this, model.changed, model.changed.connect([this] { syncLayout(); }));
}

void ConsoleTokenDialogView::syncLayout() {
    const bool shown = m_model.tokenField.visible();
    m_copy->setVisible(shown);
    if (shown) {
        m_token->selectAll();
        m_token->setFocus();
    }
}

}  // namespace orvessa::gui
