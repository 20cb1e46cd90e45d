#include "gui/editing/exchange_chooser_view.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/qt_text.h"

namespace orvessa::gui {

ExchangeChooserView::ExchangeChooserView(editing::ExchangeChooser& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QGroupBox(this);
    bindRadioGroup(model.tableChoices, choices);
    layout->addWidget(choices);

    layout->addLayout(buttonRow(this, {.commands = {&model.okButton, &model.diskFileButton},
                                       .enterPresses = &model.okButton}));
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

}  // namespace orvessa::gui
