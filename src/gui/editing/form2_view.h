#pragma once

#include <QDialog>

#include "core/editing/tform2.h"

class QVBoxLayout;

namespace orvessa::gui {

// The operator password dialog: the password line alone in the middle (entry layout), or the
// password above the new one and its repetition (change layout).
class Form2View : public QDialog {
public:
    explicit Form2View(editing::TForm2& model, QWidget* parent = nullptr);

private:
    void syncLayout();

    editing::TForm2& m_model;
    QVBoxLayout* m_lines;
};

}  // namespace orvessa::gui
