#pragma once

#include <QDialog>

#include "core/editing/tdaori5.h"

namespace orvessa::gui {

// The import and export chooser: the twelve tables in three columns, the command's own OK, and
// the way out to a file on disk.
class Daori5View : public QDialog {
public:
    explicit Daori5View(editing::Tdaori5& model, QWidget* parent = nullptr);

private:
    editing::Tdaori5& m_model;
};

}  // namespace orvessa::gui
