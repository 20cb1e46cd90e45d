#pragma once

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QWidget>
#include <vector>

#include "core/model/command.h"

namespace orvessa::gui {

// The push buttons of a dialog, one per command, in order, each bound to its command.
struct ButtonRow {
    std::vector<model::Command*> commands;
    // The button Enter presses wherever the focus is; without one Enter presses the focused
    // button.
    const model::Command* enterPresses = nullptr;
    // Pushed to the far end of the layout; otherwise the buttons share its length.
    bool atEnd = true;
    // Off where the buttons stand among fields: Enter in a field then presses nothing.
    bool focusedTakesEnter = true;
};

// Appends the buttons of `row` to `layout` (a row, or a column of the dialog's side), as
// children of `parent`.
void addButtons(QBoxLayout* layout, QWidget* parent, const ButtonRow& row);

// A row holding only the buttons, for the foot of a dialog or a page.
QHBoxLayout* buttonRow(QWidget* parent, const ButtonRow& row);

}  // namespace orvessa::gui
