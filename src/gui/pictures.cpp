#include "gui/pictures.h"

#include <QSize>
#include <QStringView>
#include <mutex>

// The pictures are compiled into a static library, whose resource object the linker would drop
// since nothing names it; initialising it by name keeps it. Q_INIT_RESOURCE works only outside
// every namespace.
static void initPictureResources() {
    Q_INIT_RESOURCE(pictures);
}

namespace orvessa::gui {
namespace {

void ensurePictures() {
    static std::once_flag once;
    std::call_once(once, initPictureResources);
}

struct ToolbarPicture {
    QStringView button;
    QStringView file;
};

// The buttons keep the component names of the window's layout; the files say what they show.
constexpr ToolbarPicture kToolbarPictures[] = {
    {u"weekSettingTool", u"week"},    {u"importTableTool", u"import"},
    {u"exportTableTool", u"export"},  {u"optionsTool", u"options"},
    {u"findTool", u"find"},           {u"playTool", u"play"},
    {u"stopTool", u"stop"},           {u"recordTool", u"record"},
    {u"skinTool", u"skin"},           {u"helpTool", u"help"},
    {u"emergencyTool", u"emergency"},
};

}  // namespace

QIcon toolbarIcon(const QString& name) {
    ensurePictures();
    for (const ToolbarPicture& p : kToolbarPictures) {
        if (p.button == name) {
            QIcon icon;
            for (int size : {24, 48}) {
                icon.addFile(QStringLiteral(":/pictures/toolbar/%1-%2.png").arg(p.file).arg(size),
                             QSize(size, size));
            }
            return icon;
        }
    }
    return {};
}

QIcon applicationIcon() {
    ensurePictures();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/pictures/orvessa-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QPixmap columnPicture() {
    ensurePictures();
    return QPixmap(QStringLiteral(":/pictures/column.jpg"), "JPEG");
}

}  // namespace orvessa::gui
