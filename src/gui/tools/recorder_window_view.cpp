#include "gui/tools/recorder_window_view.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/binders.h"
#include "gui/button_row.h"
#include "gui/fonts.h"
#include "gui/qt_text.h"
#include "gui/timer_binder.h"

namespace orvessa::gui {
namespace {

QColor qtColor(model::Color color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

// The black square with the dot centred in it, each shown as its shape is.
class Indicator : public QWidget {
public:
    Indicator(tools::Shape& square, tools::Shape& dot, QWidget* parent)
        : QWidget(parent), m_square(square), m_dot(dot) {
        setObjectName(toQt(square.name()));
        setFixedSize(21, 21);
        auto sync = [this] {
            setVisible(m_square.visible());
            update();
        };
        sync();
        disconnectWith(this, square.changed, square.changed.connect(sync));
        disconnectWith(this, dot.changed, dot.changed.connect(sync));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), qtColor(m_square.color()));
        if (m_dot.visible()) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(qtColor(m_dot.color()));
            painter.drawEllipse(QRectF((21 - 13) / 2.0, (21 - 17) / 2.0, 13, 17));
        }
    }

private:
    tools::Shape& m_square;
    tools::Shape& m_dot;
};

}  // namespace

RecorderWindowView::RecorderWindowView(tools::RecorderWindow& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(toQt(model.name()));
    setWindowTitle(toQt(model.caption()));
    // A close box, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(systemFont(QStringLiteral("宋体"), 12));
    auto* layout = new QVBoxLayout(this);

    auto* formats = new QHBoxLayout;
    for (model::RadioGroup* group :
         {&model.channelsGroup, &model.sampleBitsGroup, &model.sampleRateGroup}) {
        auto* box = new QGroupBox(this);
        bindRadioGroup(*group, box);
        formats->addWidget(box);
    }
    layout->addLayout(formats);

    auto* target = new QGroupBox(this);
    target->setObjectName(toQt(model.saveAsGroup.name()));
    target->setTitle(toQt(model.saveAsGroup.text()));
    auto* targetRow = new QHBoxLayout(target);
    auto* fileEdit = new QLineEdit(target);
    bindField(model.fileField, fileEdit);
    targetRow->addWidget(fileEdit, 1);
    auto* browse = new QToolButton(target);
    bindButton(model.browseButton, browse);
    targetRow->addWidget(browse);
    layout->addWidget(target);

    auto* status = new QHBoxLayout;
    auto* indicator = new Indicator(model.indicatorSquare, model.indicatorDot, this);
    // The row keeps its height while the square is hidden.
    auto* indicatorPlace = new QWidget(this);
    indicatorPlace->setFixedSize(21, 21);
    auto* placeLayout = new QHBoxLayout(indicatorPlace);
    placeLayout->setContentsMargins(0, 0, 0, 0);
    placeLayout->addWidget(indicator);
    status->addWidget(indicatorPlace);
    auto* stateLabel = new QLabel(this);
    bindText(model.stateLine, stateLabel);
    status->addWidget(stateLabel, 1);
    layout->addLayout(status);

    layout->addLayout(buttonRow(this, {.commands = {&model.recordButton, &model.stopButton,
                                                    &model.listenButton, &model.closeButton},
                                       .atEnd = false,
                                       .focusedTakesEnter = false}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_tick = std::make_unique<TimerBinder>(model.tickTimer, TimerBinder::Ticks::FromStart, nullptr);
}

RecorderWindowView::~RecorderWindowView() = default;

}  // namespace orvessa::gui
