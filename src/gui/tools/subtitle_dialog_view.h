#pragma once

#include <QDialog>

#include "core/tools/subtitle_dialog.h"

class QFrame;

namespace orvessa::gui {

class SubtitleStripWidget;

// The subtitle dialog: the text, a black preview of the screen with the strip scaled into it,
// the strip's place and size with arrows, its font, background and visibility.
class SubtitleDialogView : public QDialog {
public:
    explicit SubtitleDialogView(tools::SubtitleDialog& model, QWidget* parent = nullptr);

    QFrame* preview() const { return m_preview; }
    SubtitleStripWidget* previewStrip() const { return m_strip; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // A number field with its up-down arrows.
    QWidget* numberField(tools::SubtitleDialog::Field field);
    void syncStrip();

    tools::SubtitleDialog& m_model;
    QFrame* m_preview;
    SubtitleStripWidget* m_strip;
};

}  // namespace orvessa::gui
