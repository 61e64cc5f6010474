// link.ini (the options and interface colours, one value a line) and color.ini (the user's named
// colour schemes, one "name=code" a line), both GBK text with CR LF beside the executable.
//
// Every write replaces the whole file in one step (a temporary file first), so a failed write
// leaves the old file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "shell/main_window_colors.h"
#include "text/color_text.h"
#include "text/runtime_text.h"

namespace kavo {

// The lines of link.ini, 0-based.
enum SettingsLine : std::size_t {
    kAlwaysOnTopLine = 0,
    kReservedFlagLine,
    kWindowColorLine,        // title bar background
    kTitleColorLine,         // title bar text
    kHideHoverColorLine,     // hide button when hovered; "0" means automatic
    kMaximizeColorLine,      // kept and carried, drawn by nothing
    kExitHoverColorLine,     // exit button when hovered; "0" means automatic
    kUseHoverColorsLine,     // flag: use the two hover colours above
    kMenuColorLine,          // menu bar and its buttons' background
    kItemColorLine,          // menu buttons' text
    kDataBackgroundLine,     // script tree background
    kDataColorLine,          // script tree text
    kTextBackgroundLine,     // script editor background
    kSoftwareBackgroundLine  // main window background
};
inline constexpr std::size_t kSettingsLineCount = 14;
// A scheme code carries lines kWindowColorLine .. kSoftwareBackgroundLine.
inline constexpr std::size_t kSchemeFieldCount = 12;

// One text a line. Records read from disk always hold at least kSettingsLineCount lines.
using SettingsRecord = std::vector<RuntimeText>;

struct ColorScheme {
    RuntimeText name;
    RuntimeText code;
    friend bool operator==(const ColorScheme&, const ColorScheme&) = default;
};

// The flag texts "真" and "假" as GBK bytes.
inline constexpr std::string_view kTrueText = "\xD5\xE6";
inline constexpr std::string_view kFalseText = "\xBC\xD9";

bool FlagValue(std::string_view text);
RuntimeText FlagText(bool value);

SettingsRecord DefaultSettings();

Utf8Text SettingsPath(FilePort& files);
Utf8Text SchemesPath(FilePort& files);

// link.ini's lines (ended by CR LF, LF or CR alike); lines the file lacks (all of them when it is
// missing or unreadable) take their defaults. Lines after the fourteenth are kept and written
// back unchanged.
SettingsRecord ReadSettings(FilePort& files);
bool SettingsFileExists(FilePort& files);
// True when link.ini exists but cannot be read (another program holds it): it must not be
// written over with settings it was not read for.
bool SettingsFileUnreadable(FilePort& files);
// The defaults joined by CR LF, without one after the last line.
bool WriteDefaultSettings(FilePort& files);
// Every line of the record followed by CR LF.
bool WriteSettings(FilePort& files, const SettingsRecord& record);

// One scheme a line of color.ini (lines ended by CR LF, LF or CR alike), in line order, so that a
// position in the list is a line index. A line without "=" (an empty line too) is a scheme with
// an empty name and an empty code.
std::vector<ColorScheme> ReadSchemes(FilePort& files);

// ReadFailed: color.ini exists but could not be read, so it was not written either.
enum class SchemeStoreResult { Stored, NameRefused, ReadFailed, WriteFailed };
// Names holding "=" (or a line break) would not read back as they were given.
bool IsStorableSchemeName(std::string_view name);
// Appends "name=code" and CR LF (after a line end of its own for a last line that had none). The
// code is stored as given.
SchemeStoreResult AddScheme(FilePort& files, std::string_view name, std::string_view code);
// Removes the line at the 0-based index, and only it, when there is one (-1: none, and nothing
// is written). False when the file could not be read or written.
bool DeleteScheme(FilePort& files, int index);

// Lines kWindowColorLine .. kSoftwareBackgroundLine joined by ";".
RuntimeText SchemeCodeFrom(const SettingsRecord& record);
// Stores the code's first twelve ";"-separated fields into those lines. A code with fewer fields
// changes nothing and gives false.
bool ApplySchemeCode(std::string_view code, SettingsRecord& record);

// The interface colours a record gives the main window.
MainWindowColors ColorsFromSettings(const SettingsRecord& record);

// Red, green and blue each replaced by 255 minus itself.
constexpr ColorRef InverseColor(ColorRef color) {
    return 0xFFFFFFu - (color & 0xFFFFFFu);
}
// The background a title-bar picture button takes while the pointer is over it: the record's own
// colour of that line when the record switches hover colours on and the line is not exactly "0",
// otherwise the inverse of the current title background.
ColorRef HoverColor(const SettingsRecord& startup, SettingsLine buttonLine,
                    ColorRef titleBackground);

}  // namespace kavo
