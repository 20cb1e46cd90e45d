#include "gui/qt_monitors.h"

#include <QGuiApplication>
#include <QScreen>

namespace orvessa::gui {

std::vector<platform::ScreenRect> QtMonitors::monitors() const {
    std::vector<platform::ScreenRect> out;
    QScreen* primary = QGuiApplication::primaryScreen();
    auto add = [&out](const QScreen* s) {
        const QRect g = s->geometry();
        out.push_back({g.left(), g.top(), g.width(), g.height()});
    };
    if (primary != nullptr) {
        add(primary);
    }
    for (const QScreen* s : QGuiApplication::screens()) {
        if (s != primary) {
            add(s);
        }
    }
    return out;
}

}  // namespace orvessa::gui
