#include "gui/editing/alerts_page_view.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
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

// A captioned edit on `row` of `grid`, the caption's key moving to the edit.
QLineEdit* addField(QGridLayout* grid, int row, const QString& caption, model::TextControl& control,
                    QWidget* parent, int columns = 1) {
    auto* edit = new QLineEdit(parent);
    bindField(control, edit);
    auto* label = new QLabel(caption, parent);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1, 1, columns);
    return edit;
}

// A volume's edit, narrow: three digits and a little room.
QLineEdit* addVolume(QGridLayout* grid, int row, const QString& caption,
                     model::TextControl& control, QWidget* parent) {
    QLineEdit* edit = addField(grid, row, caption, control, parent);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    grid->addWidget(new QLabel(QStringLiteral("（0–100）"), parent), row, 2, Qt::AlignLeft);
    return edit;
}

QPushButton* addBrowse(QGridLayout* grid, int row, model::Command& command, QWidget* parent) {
    auto* button = new QPushButton(parent);
    bindButton(command, button);
    grid->addWidget(button, row, 2);
    return button;
}

}  // namespace

AlertsPageView::AlertsPageView(editing::AlertsPage& model, model::Command& close, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);

    auto* emergency = new QGroupBox(QStringLiteral("紧急广播"), this);
    auto* top = new QGridLayout(emergency);
    QLineEdit* alarm =
        addField(top, 0, QStringLiteral("警报声文件(&F)："), model.alarmFileField, emergency);
    alarm->setPlaceholderText(toQt(editing::AlertsPage::kBuiltInSiren));
    addBrowse(top, 0, model.chooseAlarmButton, emergency);
    addVolume(top, 1, QStringLiteral("警报音量(&V)："), model.alarmVolumeField, emergency);
    addField(top, 2, QStringLiteral("屏幕消息(&M)："), model.messageField, emergency, 2);
    QLineEdit* key = addField(top, 3, QStringLiteral("全局热键(&K)："), model.keyField, emergency);
    key->setPlaceholderText(toQt(editing::AlertsPage::kNoKey));
    top->addWidget(new QLabel(QStringLiteral("例如 Ctrl+Shift+F12"), emergency), 3, 2);
    top->setColumnStretch(1, 1);
    layout->addWidget(emergency);

    auto* notices = new QGroupBox(QStringLiteral("插播通知"), this);
    auto* bottom = new QGridLayout(notices);
    QLineEdit* folder =
        addField(bottom, 0, QStringLiteral("通知文件夹(&D)："), model.noticeFolderField, notices);
    folder->setToolTip(QStringLiteral("相对路径从媒体库目录算起"));
    addBrowse(bottom, 0, model.chooseNoticeFolderButton, notices);
    addVolume(bottom, 1, QStringLiteral("通知音量(&U)："), model.noticeVolumeField, notices);
    bottom->setColumnStretch(1, 1);
    layout->addWidget(notices);

    layout->addWidget(noteLabel(model.problemText, this));
    layout->addWidget(noteLabel(model.note, this));
    layout->addStretch();
    layout->addLayout(buttonRow(this, {.commands = {&model.saveButton, &close}}));
}

}  // namespace orvessa::gui
