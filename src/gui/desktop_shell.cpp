#include "gui/desktop_shell.h"

#include <QDesktopServices>
#include <QUrl>

#include "gui/qt_text.h"

namespace orvessa::gui {

bool DesktopShell::open(const std::string& target, const std::string&) {
    const QString text = toQt(target);
    const QUrl url = text.contains(QLatin1String("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

}  // namespace orvessa::gui
