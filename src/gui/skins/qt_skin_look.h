#pragma once

#include <QPalette>
#include <QString>
#include <QStringList>
#include <memory>

#include "core/platform/skin_look.h"

class QObject;
class QStyle;
class QTemporaryDir;

namespace orvessa::gui {

// Draws the system in a skin with the toolkit's own means: the Fusion style, a palette and a
// style sheet made from the skin's description and bitmaps, all set for the whole application,
// so that windows, dialogs and popup menus opened later take the skin as well. A widget that
// paints its own colours (the subtitle strip, the LCD clock) keeps them.
//
// A style sheet names pictures by path, so the skin's bitmaps are written as PNG files, under
// names of the look's own, into the folder it is given, or else a temporary folder that the look
// owns and removes.
//
// User-interface thread only; destroy it before the QApplication (it restores the desktop's
// look on the way out).
class QtSkinLook : public platform::SkinLook {
public:
    // `folder`: a folder of the caller's that outlives the look; empty for one of the look's own.
    explicit QtSkinLook(QString folder = {});
    ~QtSkinLook() override;
    QtSkinLook(const QtSkinLook&) = delete;
    QtSkinLook& operator=(const QtSkinLook&) = delete;

    // A colour the description lacks or spells wrongly falls back to the desktop's; a bitmap
    // that is missing or does not decode leaves its part of the window in the plain style.
    void apply(const skins::Skin& skin) override;
    // The desktop's palette, style and style sheet exactly as they were before the first apply.
    void clear() override;

    bool skinned() const { return m_desktop != nullptr; }

private:
    struct Desktop {
        QPalette palette;
        bool paletteSet = false;
        QString styleSheet;
        QStyle* style = nullptr;  // kept by the look while a skin is on
        QObject* styleParent = nullptr;
    };

    void removeFiles(const QStringList& files);

    std::unique_ptr<Desktop> m_desktop;
    QString m_givenFolder;
    std::unique_ptr<QTemporaryDir> m_folder;
    int m_generation = 0;
    QStringList m_files;
};

}  // namespace orvessa::gui
