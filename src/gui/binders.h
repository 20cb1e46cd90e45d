#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QSlider>
#include <functional>
#include <string>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/track_bar.h"

namespace orvessa::gui {

// Small bridges that keep a widget and its model control in step: a model change updates the
// widget, a widget event calls the model. After every click the widget is set from the model
// again, since the model may refuse the change the widget already made.

// The menu text of a command: caption, and its shortcut after a tab. Shortcuts themselves are
// dispatched by the window through the model, which knows when they may reach a command.
QString menuText(const model::Command& command);

void bindAction(model::Command& command, QAction* action);
void bindButton(model::Command& command, QAbstractButton* button);
void bindText(model::TextControl& control, QLabel* label);
void bindText(model::TextControl& control, QLineEdit* edit);
// A field the operator types into. What is typed goes to `typed` when given, else into the
// control's text. The model's text reaches the widget only when it differs, so that the cursor
// stays where the operator types; with an input mask the blanks of the mask count.
void bindField(model::TextControl& control, QLineEdit* edit,
               std::function<void(const std::string&)> typed = {});
void bindTrackBar(model::TrackBar& bar, QSlider* slider);
void bindList(model::ListBox& list, QListWidget* widget);
// Fills `box` with one radio button per item, in the group's columns (items run down each column
// first), and keeps selection, enabled state and colours in step.
void bindRadioGroup(model::RadioGroup& group, QGroupBox* box);

// Colour of the core (red in the low byte) as a style-sheet colour.
QString cssColor(model::Color color);

// Disconnects `id` from the control's signal when `owner` is destroyed.
void disconnectWith(QObject* owner, model::Signal<>& signal, int id);

}  // namespace orvessa::gui
