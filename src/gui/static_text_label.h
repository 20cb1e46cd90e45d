#pragma once

#include <QHash>
#include <QLabel>
#include <QStaticText>

namespace orvessa::gui {

// A one-line plain-text label that lays each of its texts out once. A QLabel shapes its text
// again at every paint; the status line cycles through the same few hints all day, one every
// few seconds, and shaping them was most of what the idle window did.
class StaticTextLabel : public QLabel {
public:
    explicit StaticTextLabel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const QStaticText& laidOut(const QString& text);

    QHash<QString, QStaticText> m_laidOut;
};

}  // namespace orvessa::gui
