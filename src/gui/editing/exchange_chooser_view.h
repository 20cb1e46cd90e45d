#pragma once

#include <QDialog>

#include "core/editing/exchange_chooser.h"

namespace orvessa::gui {

// The import and export chooser: the twelve tables in three columns, the command's own OK, and
// the way out to a file on disk.
class ExchangeChooserView : public QDialog {
public:
    explicit ExchangeChooserView(editing::ExchangeChooser& model, QWidget* parent = nullptr);

private:
    editing::ExchangeChooser& m_model;
};

}  // namespace orvessa::gui
