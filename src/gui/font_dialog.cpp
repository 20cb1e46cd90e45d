#include "gui/font_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "gui/qt_text.h"
#include "gui/tools/subtitle_strip.h"

namespace orvessa::gui {
namespace {

struct NamedColor {
    const char* name;
    model::Color color;
};

// The sixteen basic colours a font dialog offers, and the desktop's window-text colour, which is
// the stored default.
const std::array<NamedColor, 17> kColors{{
    {"默认(窗口文字)", platform::kWindowTextColor},
    {"黑色", model::rgb(0, 0, 0)},
    {"褐红色", model::rgb(128, 0, 0)},
    {"绿色", model::rgb(0, 128, 0)},
    {"橄榄色", model::rgb(128, 128, 0)},
    {"深蓝色", model::rgb(0, 0, 128)},
    {"紫色", model::rgb(128, 0, 128)},
    {"深青色", model::rgb(0, 128, 128)},
    {"灰色", model::rgb(128, 128, 128)},
    {"银色", model::rgb(192, 192, 192)},
    {"红色", model::rgb(255, 0, 0)},
    {"酸橙色", model::rgb(0, 255, 0)},
    {"黄色", model::rgb(255, 255, 0)},
    {"蓝色", model::rgb(0, 0, 255)},
    {"紫红色", model::rgb(255, 0, 255)},
    {"水绿色", model::rgb(0, 255, 255)},
    {"白色", model::rgb(255, 255, 255)},
}};

QIcon swatch(model::Color color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(qtColor(color));
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

}  // namespace

std::optional<platform::FontDescription> chooseFont(const platform::FontDescription& current,
                                                    QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("字体"));

    // The toolkit's font dialog, embedded as a plain widget without its own buttons.
    QFont initial = subtitleFont(current);
    initial.setPointSize(current.size > 0 ? current.size : 8);
    auto* fonts = new QFontDialog(initial, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setSizeGripEnabled(false);

    auto* colors = new QComboBox(&dialog);
    int selected = -1;
    for (int i = 0; i < static_cast<int>(kColors.size()); ++i) {
        colors->addItem(swatch(kColors[i].color), toQt(kColors[i].name));
        if (kColors[i].color == current.color) {
            selected = i;
        }
    }
    if (selected < 0) {
        // A colour chosen elsewhere stays selectable as it is.
        colors->addItem(swatch(current.color), QStringLiteral("自定义"));
        selected = colors->count() - 1;
    }
    colors->setCurrentIndex(selected);

    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("颜色(&C):"), &dialog);
    colorLabel->setBuddy(colors);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colors, 1);
    colorRow->addStretch(1);

    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QFont chosen = fonts->currentFont();
    platform::FontDescription font = current;
    font.face = fromQt(chosen.family());
    font.size = chosen.pointSize() > 0 ? chosen.pointSize() : (chosen.pixelSize() * 72 + 48) / 96;
    font.bold = chosen.bold();
    font.italic = chosen.italic();
    font.underline = chosen.underline();
    font.strikeout = chosen.strikeOut();
    const int index = colors->currentIndex();
    if (index >= 0 && index < static_cast<int>(kColors.size())) {
        font.color = kColors[static_cast<std::size_t>(index)].color;
    }
    return font;
}

}  // namespace orvessa::gui
