# cmake -DSOURCE_DIR=... -DOUTPUT=... -P embed_assets.cmake
# Writes OUTPUT, a C++ source holding every page, script, style and icon of SOURCE_DIR and
# findAsset() over them. index.html is served at "/" (and "/index.html"), login.html at
# "/login", every other file at "/static/NAME".
file(GLOB files RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/*.html ${SOURCE_DIR}/*.js ${SOURCE_DIR}/*.css ${SOURCE_DIR}/*.svg)
list(SORT files)

set(arrays "")
set(entries "")
set(index 0)
foreach(name IN LISTS files)
    if(name MATCHES "\\.html$")
        set(type "text/html; charset=utf-8")
    elseif(name MATCHES "\\.js$")
        set(type "text/javascript; charset=utf-8")
    elseif(name MATCHES "\\.css$")
        set(type "text/css; charset=utf-8")
    elseif(name MATCHES "\\.svg$")
        set(type "image/svg+xml")
    endif()
    if(name STREQUAL "index.html")
        set(paths "/;/index.html")
        set(session true)
    elseif(name STREQUAL "login.html")
        set(paths "/login")
        set(session false)
    elseif(name MATCHES "\\.html$")
        message(FATAL_ERROR "console page ${name} has no served path")
    else()
        set(paths "/static/${name}")
        set(session false)
    endif()

    file(READ ${SOURCE_DIR}/${name} hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    # Sixteen bytes a line; a trailing zero so an empty file still makes an array.
    set(bytes "")
    set(offset 0)
    while(offset LESS hexLength)
        string(SUBSTRING "${hex}" ${offset} 32 chunk)
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," chunk "${chunk}")
        string(APPEND bytes "    ${chunk}\n")
        math(EXPR offset "${offset} + 32")
    endwhile()
    string(APPEND arrays "// ${name}\nconstexpr char kFile${index}[] = {\n${bytes}    '\\0'};\n\n")
    foreach(path IN LISTS paths)
        string(APPEND entries
            "    {\"${path}\", {\"${type}\", std::string_view(kFile${index}, ${size}), ${session}}},\n")
    endforeach()
    math(EXPR index "${index} + 1")
endforeach()

set(text "// Generated at build time by embed_assets.cmake from the console's web folder.
#include \"core/console/assets.h\"

namespace orvessa::console {
namespace {

${arrays}struct Entry {
    std::string_view path;
    Asset asset;
};

const Entry kEntries[] = {
${entries}};

}  // namespace

const Asset* findAsset(std::string_view path) {
    for (const Entry& entry : kEntries) {
        if (entry.path == path) {
            return &entry.asset;
        }
    }
    return nullptr;
}

}  // namespace orvessa::console
")

# Rewritten only when different, so an unchanged folder compiles nothing again.
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
    if(old STREQUAL text)
        return()
    endif()
endif()
file(WRITE ${OUTPUT} "${text}")
