#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace orvessa::gui {

// Core text (UTF-8) for a widget. A byte that was not valid GBK in its file is kept by the core
// as U+DC00 + byte; it is shown as one replacement mark.
QString toQt(std::string_view utf8);

// Widget text for the core, as UTF-8.
std::string fromQt(const QString& text);

// A caption with the core's "\r" line breaks as the widget's own.
QString messageText(std::string_view utf8);

}  // namespace orvessa::gui
