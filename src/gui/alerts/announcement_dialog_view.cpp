#include "gui/alerts/announcement_dialog_view.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"

namespace orvessa::gui {

AnnouncementDialogView::AnnouncementDialogView(alerts::AnnouncementDialog& model, QWidget* parent)
    : QDialog(parent) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);
    auto* folder = new QLabel(this);
    // A long folder path wraps rather than widening the dialog past the screen.
    folder->setWordWrap(true);
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bindText(model.folderLine, folder);
    layout->addWidget(folder);
    auto* list = new QListWidget(this);
    bindList(model.noticeList, list);
    layout->addWidget(list, 1);
    layout->addLayout(buttonRow(this, {.commands = {&model.playButton, &model.cancelButton},
                                       .enterPresses = &model.playButton}));
    resize(QSize(380, 320));
}

}  // namespace orvessa::gui
