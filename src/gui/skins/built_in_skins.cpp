#include "gui/skins/built_in_skins.h"

#include <QFile>
#include <mutex>

// The store is compiled into a static library, whose resource object the linker would drop
// since nothing names it; initialising it by name keeps it. Q_INIT_RESOURCE works only outside
// every namespace.
static void initSkinResources() {
    Q_INIT_RESOURCE(skins);
}

namespace orvessa::gui {

std::vector<std::uint8_t> builtInSkinStore() {
    static std::once_flag once;
    std::call_once(once, initSkinResources);
    QFile file(QStringLiteral(":/skins/skins.store"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

}  // namespace orvessa::gui
