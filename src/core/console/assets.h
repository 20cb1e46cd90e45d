#pragma once

#include <string_view>

// The console's web pages, scripts and styles, compiled into the program so that what a browser
// gets is always the build's own and no file on disk can be swapped in.
namespace orvessa::console {

struct Asset {
    std::string_view contentType;  // "text/html; charset=utf-8", ...
    std::string_view body;         // the file's bytes, alive for the whole program
    bool needsSession;             // the console page itself; the login page and its files not
};

// The console's own files by the path they are served at ("/", "/login", "/static/console.js");
// null for every other path: nothing else is ever served.
const Asset* findAsset(std::string_view path);

}  // namespace orvessa::console
