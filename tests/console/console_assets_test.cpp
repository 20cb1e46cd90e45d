#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/console/assets.h"

namespace {

using orvessa::console::Asset;
using orvessa::console::findAsset;

std::string bodyOf(std::string_view path) {
    const Asset* asset = findAsset(path);
    return asset ? std::string(asset->body) : std::string{};
}

std::vector<std::string> matches(const std::string& text, const std::regex& pattern) {
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1].str());
    }
    return found;
}

// The two pages and every file they load, by served path: what a browser can ever get. Links
// into the API are the handler's, not files.
std::set<std::string> servedFiles() {
    static const std::regex reference(R"re((?:src|href)="(/[^"]*)")re");
    std::set<std::string> files{"/", "/login"};
    for (const char* page : {"/", "/login"}) {
        for (const std::string& path : matches(bodyOf(page), reference)) {
            if (!path.starts_with("/api/")) {
                files.insert(path);
            }
        }
    }
    return files;
}

TEST(ConsoleAssets, ServesThePagesAndTheirFilesWithTheirTypes) {
    struct Expected {
        const char* path;
        const char* type;
        bool needsSession;
    };
    const Expected expected[] = {
        {"/", "text/html; charset=utf-8", true},
        {"/index.html", "text/html; charset=utf-8", true},
        {"/login", "text/html; charset=utf-8", false},
        {"/static/console.js", "text/javascript; charset=utf-8", false},
        {"/static/login.js", "text/javascript; charset=utf-8", false},
        {"/static/console.css", "text/css; charset=utf-8", false},
        {"/static/favicon.svg", "image/svg+xml", false},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.path);
        const Asset* asset = findAsset(e.path);
        ASSERT_NE(asset, nullptr);
        EXPECT_EQ(asset->contentType, e.type);
        EXPECT_EQ(asset->needsSession, e.needsSession);
        EXPECT_FALSE(asset->body.empty());
    }
    EXPECT_EQ(bodyOf("/"), bodyOf("/index.html"));
    EXPECT_EQ(bodyOf("/").rfind("<!DOCTYPE html>", 0), 0u);
    // Bytes are kept as they are, Chinese text included.
    EXPECT_NE(bodyOf("/login").find("用户名"), std::string::npos);
    EXPECT_NE(bodyOf("/").find("播出记录"), std::string::npos);
}

TEST(ConsoleAssets, FindsNothingElse) {
    for (const char* path : {"",
                             "/../",
                             "/static/",
                             "/static/../index.html",
                             "/etc/passwd",
                             "/static/nothing.js",
                             "/static/console.js/",
                             "/static//console.js",
                             "/STATIC/console.js",
                             "//",
                             "/static/console.js?v=1",
                             "/login.html",
                             "/login/",
                             "/static/index.html",
                             "/static/login.html",
                             "/index.html/",
                             "static/console.js",
                             "/static/CMakeLists.txt",
                             "/static/embed_assets.cmake",
                             "/api/status"}) {
        EXPECT_EQ(findAsset(path), nullptr) << path;
    }
    // A path with a zero byte in it is not the path before it.
    EXPECT_EQ(findAsset(std::string_view("/login\0.js", 10)), nullptr);
}

// The server's policy refuses inline scripts, styles and handlers: a page that used one would
// load and then silently do nothing. Every file a page names must be one the server has.
TEST(ConsoleAssets, PagesKeepToTheContentSecurityPolicy) {
    static const std::regex inlineScript(R"(<script(?![^>]*\ssrc=)[^>]*>)", std::regex::icase);
    static const std::regex handler(R"(\son[a-z]+\s*=)", std::regex::icase);
    for (const char* page : {"/", "/login"}) {
        SCOPED_TRACE(page);
        const std::string html = bodyOf(page);
        EXPECT_FALSE(std::regex_search(html, inlineScript));
        EXPECT_FALSE(std::regex_search(html, handler));
        EXPECT_EQ(html.find("style="), std::string::npos);
        EXPECT_EQ(html.find("<style"), std::string::npos);
    }
    for (const std::string& path : servedFiles()) {
        SCOPED_TRACE(path);
        ASSERT_NE(findAsset(path), nullptr) << "named by a page but not served";
        const std::string body = bodyOf(path);
        // No CDN, no outside address: only the SVG namespace may spell one.
        const std::string outside = std::regex_replace(body, std::regex("http://www.w3.org/"), "");
        EXPECT_EQ(outside.find("http://"), std::string::npos);
        EXPECT_EQ(outside.find("https://"), std::string::npos);
        if (path.ends_with(".js")) {
            // Text from the server goes in as text, never parsed as markup or code.
            EXPECT_EQ(body.find("innerHTML"), std::string::npos);
            EXPECT_EQ(body.find("outerHTML"), std::string::npos);
            EXPECT_EQ(body.find("insertAdjacentHTML"), std::string::npos);
            EXPECT_EQ(body.find("eval("), std::string::npos);
            EXPECT_EQ(body.find("new Function"), std::string::npos);
        }
    }
}

// A script that looks up an element the page does not have fails at its first use.
TEST(ConsoleAssets, ScriptsFindTheElementsTheyUse) {
    static const std::regex lookup(R"(Orv\.\$\('([A-Za-z0-9_-]+)'\))");
    static const std::regex script(R"re(<script src="(/static/[^"]+\.js)")re");
    for (const char* page : {"/", "/login"}) {
        const std::string html = bodyOf(page);
        const std::vector<std::string> scripts = matches(html, script);
        ASSERT_FALSE(scripts.empty()) << page;
        for (const std::string& js : scripts) {
            for (const std::string& id : matches(bodyOf(js), lookup)) {
                EXPECT_NE(html.find("id=\"" + id + "\""), std::string::npos)
                    << page << " has no #" << id << " for " << js;
            }
        }
    }
}

}  // namespace
