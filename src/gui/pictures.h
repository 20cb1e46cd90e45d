#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace orvessa::gui {

// The picture of a main window toolbar button, by the button's component name ("weekSettingTool",
// "recordTool", ...), drawn at 24 and 48 pixels. A null icon for a name that has none.
QIcon toolbarIcon(const QString& name);

// The bell of the window title, the task bar and the tray, from 16 to 256 pixels.
QIcon applicationIcon();

// The illustration of the main window's right-hand column (columnPicture), 268 by 314 pixels, twice
// its designed size so that it stays sharp when stretched to its control.
QPixmap columnPicture();

}  // namespace orvessa::gui
