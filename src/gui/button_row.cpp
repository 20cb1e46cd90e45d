#include "gui/button_row.h"

#include <QPushButton>

#include "gui/binders.h"

namespace orvessa::gui {

void addButtons(QBoxLayout* layout, QWidget* parent, const ButtonRow& row) {
    if (row.atEnd) {
        layout->addStretch();
    }
    for (model::Command* command : row.commands) {
        auto* button = new QPushButton(parent);
        bindButton(*command, button);
        if (command == row.enterPresses) {
            button->setDefault(true);
        }
        if (!row.focusedTakesEnter) {
            button->setAutoDefault(false);
        }
        layout->addWidget(button);
    }
}

QHBoxLayout* buttonRow(QWidget* parent, const ButtonRow& row) {
    auto* layout = new QHBoxLayout;
    addButtons(layout, parent, row);
    return layout;
}

}  // namespace orvessa::gui
