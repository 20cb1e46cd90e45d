// An INI profile (fontinfo.ini, the media profile, a skin's description) as the profile
// functions read it; a value written is the value read back, and no other key changes.

#include "core/store/ini_profile.h"

#include <string>

#include "core/text/gbk.h"
#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = text::gbkToUtf8(fuzz::bytesOf(data, size));
    store::IniDocument doc(text);
    for (const char* section : {"Font", "Panel", "mci extensions", "skin", ""}) {
        for (const char* key : {"Name", "Size", "Color", "dat", "Bold", ""}) {
            doc.value(section, key);
        }
    }
    const auto before = doc.value("Panel", "Color");
    doc.setValue("Font", "Size", "12");
    const store::IniDocument back(doc.text());
    if (back.value("font", "size") != std::optional<std::string>("12")) {
        fuzz::broken("a written value did not read back");
    }
    if (back.value("Panel", "Color") != before) {
        fuzz::broken("another key changed");
    }
    return 0;
}
