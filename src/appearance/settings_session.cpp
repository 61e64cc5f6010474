#include "appearance/settings_session.h"

namespace kavo {

ColorRef MainWindowColors::*ElementOfLine(SettingsLine line) {
    switch (line) {
        case kWindowColorLine:
            return &MainWindowColors::titleBackground;
        case kTitleColorLine:
            return &MainWindowColors::titleText;
        case kMenuColorLine:
            return &MainWindowColors::menuBackground;
        case kItemColorLine:
            return &MainWindowColors::menuText;
        case kDataBackgroundLine:
            return &MainWindowColors::treeBackground;
        case kDataColorLine:
            return &MainWindowColors::treeText;
        case kTextBackgroundLine:
            return &MainWindowColors::editorBackground;
        case kSoftwareBackgroundLine:
            return &MainWindowColors::windowBackground;
        default:
            return nullptr;
    }
}

bool SettingsSession::Open() {
    bool created = true;
    if (!SettingsFileExists(files_)) created = WriteDefaultSettings(files_);
    unreadable_ = SettingsFileUnreadable(files_);
    shown_ = ReadSettings(files_);
    edited_ = ReadSettings(files_);
    opening_ = ReadSettings(files_);
    ReloadSchemes();
    return created;
}

void SettingsSession::ReloadSchemes() {
    schemes_ = ReadSchemes(files_);
}

void SettingsSession::ChangeColor(SettingsLine line, ColorRef color) {
    if (line < edited_.size()) edited_[line] = ColorText(color);
}

void SettingsSession::ChangeFlag(SettingsLine line, bool value) {
    if (line < edited_.size()) edited_[line] = FlagText(value);
}

bool SettingsSession::Synchronise(std::string_view code) {
    if (!ApplySchemeCode(code, shown_)) return false;
    // Every line follows the shown record, so the two check boxes show again what was last
    // loaded, like every other control after 同步.
    for (std::size_t line = 0; line < shown_.size() && line < edited_.size(); ++line)
        edited_[line] = shown_[line];
    return true;
}

std::optional<RuntimeText> SettingsSession::ChooseScheme(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= schemes_.size()) return std::nullopt;
    const RuntimeText code = schemes_[static_cast<std::size_t>(index)].code;
    if (!Synchronise(code)) return std::nullopt;
    return code;
}

SchemeStoreResult SettingsSession::StoreScheme(std::string_view name, std::string_view code) {
    const SchemeStoreResult result = AddScheme(files_, name, code);
    ReloadSchemes();
    return result;
}

bool SettingsSession::DeleteScheme(int index) {
    const bool written = kavo::DeleteScheme(files_, index);
    ReloadSchemes();
    return written;
}

bool SettingsSession::Save() {
    // The user's own settings were never read, so they are not written over.
    if (unreadable_ && SettingsFileUnreadable(files_)) return false;
    if (!WriteSettings(files_, edited_)) return false;
    Open();
    return true;
}

void SettingsSession::Cancel() {
    for (std::size_t line = 0; line < shown_.size() && line < opening_.size(); ++line)
        edited_[line] = opening_[line];
    shown_ = edited_;
}

}  // namespace kavo
