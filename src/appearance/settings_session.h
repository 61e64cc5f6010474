// What the software-settings window holds while it is open, and what each of its buttons does to
// link.ini, color.ini and those lists. The window itself only shows the lists and passes clicks.
//
// - shown:   the record the controls were last filled from (同步 and 取消 change it);
// - edited:  the record the controls edit; saving writes it;
// - opening: the record as the window opened or as it was last saved; 取消 returns to it;
// - schemes: the lines of color.ini, one list item each.
#pragma once

#include <optional>
#include <vector>

#include "appearance/settings_files.h"
#include "shell/main_window_colors.h"

namespace kavo {

// The main window's element a colour line paints; nullptr for the lines no element shows
// (the hover colours, which take effect at the next start, and the maximise colour).
ColorRef MainWindowColors::*ElementOfLine(SettingsLine line);

class SettingsSession {
  public:
    explicit SettingsSession(FilePort& files) : files_(files) {}

    // The window opened: link.ini is created with the defaults when missing, then all four lists
    // are loaded. False when the missing file could not be created (the defaults are shown).
    bool Open();
    // link.ini exists but could not be read when the window opened (another program holds it):
    // the defaults are shown, and Save writes nothing while it stays so.
    bool Unreadable() const { return unreadable_; }

    const SettingsRecord& Shown() const { return shown_; }
    const SettingsRecord& Edited() const { return edited_; }
    const SettingsRecord& Opening() const { return opening_; }
    const std::vector<ColorScheme>& Schemes() const { return schemes_; }
    // What the code box shows: the edited record's scheme code.
    RuntimeText Code() const { return SchemeCodeFrom(edited_); }
    // The colours the main window shows for the shown record.
    MainWindowColors ShownColors() const { return ColorsFromSettings(shown_); }

    void ChangeColor(SettingsLine line, ColorRef color);
    void ChangeFlag(SettingsLine line, bool value);

    // 同步: the code's twelve fields go into the shown and edited records. False (and nothing
    // changes) when the code has fewer than twelve fields.
    bool Synchronise(std::string_view code);
    // A scheme chosen in the list: its code, then 同步. nullopt when the position holds no
    // usable code (nothing changes).
    std::optional<RuntimeText> ChooseScheme(int index);
    SchemeStoreResult StoreScheme(std::string_view name, std::string_view code);
    // The 0-based selection, -1 for none.
    bool DeleteScheme(int index);

    // 应用 and 确定: writes the edited record, then everything is loaded again. False when
    // link.ini could not be written, or could not be read (the lists stay as they were).
    bool Save();
    // 取消: back to the opening record; nothing is written.
    void Cancel();

  private:
    void ReloadSchemes();

    FilePort& files_;
    SettingsRecord shown_;
    SettingsRecord edited_;
    SettingsRecord opening_;
    std::vector<ColorScheme> schemes_;
    bool unreadable_ = false;
};

}  // namespace kavo
