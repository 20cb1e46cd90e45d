#pragma once

#include <QDialog>

#include "core/tools/tform7.h"

class QFrame;

namespace orvessa::gui {

class SubtitleStripWidget;

// The subtitle dialog: the text, a black preview of the screen with the strip scaled into it,
// the strip's place and size with arrows, its font, background and visibility.
class Form7View : public QDialog {
public:
    explicit Form7View(tools::TForm7& model, QWidget* parent = nullptr);

    QFrame* preview() const { return m_preview; }
    SubtitleStripWidget* previewStrip() const { return m_strip; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // A number field with its up-down arrows.
    QWidget* numberField(tools::TForm7::Field field);
    void syncStrip();

    tools::TForm7& m_model;
    QFrame* m_preview;
    SubtitleStripWidget* m_strip;
};

}  // namespace orvessa::gui
