#include "core/text/paths.h"

#include <gtest/gtest.h>

namespace orvessa::text {
namespace {

TEST(Paths, BothSlashesSeparate) {
    EXPECT_TRUE(containsSeparator("D:\\广播\\早操.mp3"));
    EXPECT_TRUE(containsSeparator("music/a.mp3"));
    EXPECT_FALSE(containsSeparator("早操.mp3"));
    EXPECT_TRUE(endsWithSeparator("D:\\广播\\"));
    EXPECT_TRUE(endsWithSeparator("/srv/bells/"));
    EXPECT_FALSE(endsWithSeparator("D:\\广播"));
    EXPECT_FALSE(endsWithSeparator(""));
    EXPECT_EQ(fileNameOf("D:\\广播/早操.mp3"), "早操.mp3");
    EXPECT_EQ(fileNameOf("早操.mp3"), "早操.mp3");
}

TEST(Paths, ExtensionRunsFromTheLastDotUnlessASeparatorOrColonFollows) {
    EXPECT_EQ(extensionOf("D:\\广播\\早操.mp3"), ".mp3");
    EXPECT_EQ(extensionOf("a.tar.GZ"), ".GZ");
    EXPECT_EQ(extensionOf("D:\\v1.2\\readme"), "");
    EXPECT_EQ(extensionOf("/srv/v1.2/readme"), "");
    EXPECT_EQ(extensionOf("a.b:c"), "");
    EXPECT_EQ(extensionOf("noext"), "");
    EXPECT_EQ(extensionOf("dir."), ".");
    EXPECT_EQ(extensionOf("http://example.org/index.html"), ".html");
}

TEST(Paths, UpperCasesAsciiOnly) {
    EXPECT_EQ(upperAscii(".mp3"), ".MP3");
    EXPECT_EQ(upperAscii("早操.Mp3"), "早操.MP3");
    EXPECT_EQ(upperAscii("\xED\xB2\x81z"), "\xED\xB2\x81Z");
}

TEST(Paths, ListsNamesAsAWindowsVolumeDoesByNameWithoutRegardToCase) {
    std::vector<std::string> names = {"b.mp3", "早操.mp3", "A.mp3", "10.mp3", "a.mp3", "2.mp3"};
    sortAsListed(names);
    EXPECT_EQ(names,
              (std::vector<std::string>{"10.mp3", "2.mp3", "A.mp3", "a.mp3", "b.mp3", "早操.mp3"}));
}

TEST(Paths, JoinsWithTheNativeSeparator) {
    EXPECT_EQ(joinPath("/srv/bells", "a.mp3"), "/srv/bells/a.mp3");
    EXPECT_EQ(joinPath("D:\\广播\\", "早操.mp3"), "D:\\广播\\早操.mp3");
    EXPECT_EQ(joinPath("", "a.mp3"), "a.mp3");
}

TEST(Paths, NativeFormTurnsDriveRootsIntoTheRoot) {
    EXPECT_EQ(toNativePath("D:\\广播\\早操.mp3"), "/广播/早操.mp3");
    EXPECT_EQ(toNativePath("d:/x"), "/x");
    EXPECT_EQ(toNativePath("D:"), "/");
    EXPECT_EQ(toNativePath("music\\a.mp3"), "music/a.mp3");
    EXPECT_EQ(toNativePath("/srv/a.mp3"), "/srv/a.mp3");
    EXPECT_EQ(utf8Path(fsPath("/广播/早操.mp3")), "/广播/早操.mp3");
}

TEST(Paths, RelativeCellsResolveFromTheGivenBaseOthersStayAsTheyAre) {
    EXPECT_EQ(resolvePath("/opt/orvessa/", "AUDIO\\bell.wav"), "/opt/orvessa/AUDIO\\bell.wav");
    EXPECT_EQ(resolvePath("/opt/orvessa", "AUDIO/d/"), "/opt/orvessa/AUDIO/d/");
    EXPECT_EQ(resolvePath("/opt/orvessa/", "/srv/bell.wav"), "/srv/bell.wav");
    EXPECT_EQ(resolvePath("/opt/orvessa/", "\\bell.wav"), "\\bell.wav");
    EXPECT_EQ(resolvePath("/opt/orvessa/", "D:\\广播\\早操.mp3"), "D:\\广播\\早操.mp3");
    EXPECT_EQ(resolvePath("/opt/orvessa/", ""), "");
    EXPECT_EQ(resolvePath("", "AUDIO/bell.wav"), "AUDIO/bell.wav");
}

}  // namespace
}  // namespace orvessa::text
