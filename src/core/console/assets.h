#pragma once

#include <string_view>

namespace orvessa::console {

struct Asset {
    std::string_view contentType;
    std::string_view body;
    bool needsSession;
};

// The console's own files by the path they are served at ("/", "/login", "/static/console.js");
// null for every other path: nothing else is ever served.
const Asset* findAsset(std::string_view path);

}  // namespace orvessa::console
