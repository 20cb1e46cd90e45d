#include "gui/editing/exchange_chooser_view.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/qt_text.h"

namespace orvessa::gui {

ExchangeChooserView::ExchangeChooserView(editing::ExchangeChooser& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QGroupBox(this);
    bindRadioGroup(model.RadioGroup1, choices);
    layout->addWidget(choices);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(this);
    bindButton(model.Button1, ok);
    ok->setDefault(true);
    auto* disk = new QPushButton(this);
    bindButton(model.Button2, disk);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(disk);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}

}  // namespace orvessa::gui
