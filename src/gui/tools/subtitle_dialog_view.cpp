#include "gui/tools/subtitle_dialog_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"
#include "gui/tools/subtitle_strip.h"

namespace orvessa::gui {

using tools::SubtitleDialog;

SubtitleDialogView::SubtitleDialogView(SubtitleDialog& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);

    auto* textRow = new QHBoxLayout;
    textRow->addWidget(new QLabel(QStringLiteral("字符内容"), this));
    auto* text = new QLineEdit(this);
    bindField(model.textField, text,
              [this](const std::string& typed) { m_model.textTyped(typed); });
    textRow->addWidget(text, 1);
    layout->addLayout(textRow);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("预览"), this));
    m_preview = new QFrame(this);
    m_preview->setObjectName(toQt(model.preview.name()));
    m_preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_preview->setLineWidth(1);
    m_preview->setFixedSize(model.preview.bounds().width, model.preview.bounds().height);
    m_preview->setAutoFillBackground(true);
    QPalette black = m_preview->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_preview->setPalette(black);
    m_strip = new SubtitleStripWidget(m_preview);
    m_strip->setObjectName(toQt(model.previewStrip.name()));
    left->addWidget(m_preview);
    left->addStretch();
    body->addLayout(left);

    auto* right = new QVBoxLayout;
    auto group = [this](const char* caption, std::initializer_list<SubtitleDialog::Field> fields,
                        std::initializer_list<const char*> labels) {
        auto* box = new QGroupBox(QString::fromUtf8(caption), this);
        auto* grid = new QGridLayout(box);
        int row = 0;
        auto label = labels.begin();
        for (SubtitleDialog::Field f : fields) {
            grid->addWidget(new QLabel(QString::fromUtf8(*label++), box), row, 0);
            grid->addWidget(numberField(f), row++, 1);
        }
        return box;
    };
    right->addWidget(
        group("位置", {SubtitleDialog::Top, SubtitleDialog::Left}, {"上边距", "左边距"}));
    right->addWidget(
        group("大小 ", {SubtitleDialog::Width, SubtitleDialog::Height}, {"宽度", "高度"}));
    right->addLayout(buttonRow(this, {.commands = {&model.fontButton, &model.backgroundButton},
                                      .atEnd = false,
                                      .focusedTakesEnter = false}));
    auto* hidden = new QCheckBox(this);
    bindButton(model.hiddenBox, hidden);
    right->addWidget(hidden);
    addButtons(right, this, {.commands = {&model.okButton}});
    body->addLayout(right);
    layout->addLayout(body);

    for (model::Signal<>* s : {&model.previewStrip.changed, &model.previewStyle.changed}) {
        disconnectWith(this, *s, s->connect([this] { syncStrip(); }));
    }
    syncStrip();
    setFixedSize(sizeHint());
}

QWidget* SubtitleDialogView::numberField(SubtitleDialog::Field field) {
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* edit = new QLineEdit(holder);
    bindField(m_model.numbers[field], edit,
              [this, field](const std::string& typed) { m_model.numberTyped(field, typed); });
    row->addWidget(edit);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    for (int direction : {+1, -1}) {
        auto* arrow = new QToolButton(holder);
        arrow->setObjectName(edit->objectName() +
                             (direction > 0 ? QStringLiteral("Up") : QStringLiteral("Down")));
        arrow->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFixedSize(16, edit->sizeHint().height() / 2);
        connect(arrow, &QToolButton::clicked, this,
                [this, field, direction] { m_model.stepNumber(field, direction); });
        arrows->addWidget(arrow);
    }
    row->addLayout(arrows);
    return holder;
}

void SubtitleDialogView::syncStrip() {
    const model::TextControl& strip = m_model.previewStrip;
    m_strip->setText(toQt(strip.text()));
    m_strip->setLook(m_model.previewStyle.font(), m_model.previewStyle.background());
    const model::Rect& b = strip.bounds();
    m_strip->setGeometry(b.left, b.top, b.width, b.height);
    m_strip->setVisible(strip.visible());
}

void SubtitleDialogView::showEvent(QShowEvent* event) {
    m_model.activate();
    QDialog::showEvent(event);
}

void SubtitleDialogView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_model.activate();
    }
    QDialog::changeEvent(event);
}

}  // namespace orvessa::gui
