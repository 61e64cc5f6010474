// link.ini and color.ini as anything may have left them (an older version, a hand edit, a
// half-copied file), read and used through the settings window's session on the fake's disk.
//
// The input is link.ini's bytes, then a zero byte, then color.ini's; without a zero byte both
// files hold the whole input (a seed is then simply one file).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "appearance/settings_files.h"
#include "appearance/settings_session.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

void Expect(bool condition) {
    if (!condition) std::abort();
}

void ExpectWholeRecord(const SettingsRecord& record) {
    Expect(record.size() >= kSettingsLineCount);
}

void ExpectColors(const MainWindowColors& colors) {
    for (const ColorRef color :
         {colors.titleBackground, colors.titleText, colors.menuBackground, colors.menuText,
          colors.treeBackground, colors.treeText, colors.editorBackground, colors.windowBackground})
        Expect(color <= 0xFFFFFFu);
}

void UseSettings(std::string_view input) {
    const std::size_t zero = input.find('\0');
    const std::string_view settings =
        zero == std::string_view::npos ? input : input.substr(0, zero);
    const std::string_view schemes =
        zero == std::string_view::npos ? input : input.substr(zero + 1);

    RecordingPlatform disk;
    disk.AddFile("C:\\kavo\\link.ini", std::string(settings));
    disk.AddFile("C:\\kavo\\color.ini", std::string(schemes));

    // What the main window reads at start.
    const SettingsRecord startup = ReadSettings(disk);
    ExpectWholeRecord(startup);
    const MainWindowColors colors = ColorsFromSettings(startup);
    ExpectColors(colors);
    for (const SettingsLine line : {kHideHoverColorLine, kExitHoverColorLine})
        Expect(HoverColor(startup, line, colors.titleBackground) <= 0xFFFFFFu);

    // The settings window: opened, every scheme chosen (a long file is capped: the list is the
    // same code for every line), the code box synchronised, colours and flags changed.
    SettingsSession session(disk);
    session.Open();
    ExpectWholeRecord(session.Shown());
    ExpectWholeRecord(session.Edited());
    const std::size_t count = session.Schemes().size();
    for (std::size_t index = 0; index < count && index < 64; ++index)
        session.ChooseScheme(static_cast<int>(index));
    session.ChooseScheme(static_cast<int>(count));
    session.ChooseScheme(-1);
    ExpectColors(session.ShownColors());
    session.Synchronise(session.Code());
    session.ChangeColor(kMenuColorLine, 0x123456);
    session.ChangeFlag(kUseHoverColorsLine, true);

    // A scheme stored under a name taken from the schemes file, then the first line deleted;
    // saved, and the whole file read back as the next start reads it.
    const std::string_view name = schemes.substr(0, schemes.find_first_of("\r\n")).substr(0, 32);
    const RuntimeText code = session.Code();
    const bool storable =
        IsStorableSchemeName(name) && code.find_first_of("\r\n") == RuntimeText::npos;
    Expect(session.StoreScheme(name, code) ==
           (storable ? SchemeStoreResult::Stored : SchemeStoreResult::NameRefused));
    session.DeleteScheme(0);
    Expect(session.Save());
    ExpectWholeRecord(ReadSettings(disk));
    session.Cancel();
    ExpectWholeRecord(session.Edited());

    // Every line's own reading.
    for (const RuntimeText& line : startup) {
        FlagValue(line);
        Expect(ColorValue(line) <= 0xFFFFFFu);
    }
    SettingsRecord applied = DefaultSettings();
    ApplySchemeCode(settings, applied);
    ApplySchemeCode(schemes, applied);
    ExpectWholeRecord(applied);
}

}  // namespace
}  // namespace kavo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavo::UseSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
