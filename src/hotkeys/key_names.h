// The 51 keys that can be bound to a script, by the names the user sees in the hotkey edit.
//
// Names are UTF-8, as the main window reads its edits: "空格键" is compared as its UTF-8 bytes
// (E7 A9 BA E6 A0 BC E9 94 AE), so a GBK spelling of it matches nothing.
#pragma once

#include <array>
#include <string_view>

namespace kavo {

struct KeyNameRow {
    std::string_view name;
    int code = 0;  // the key code scripts and the key-code window use
};

// "0"-"9", "A"-"Z", "F1"-"F12", "空格键", "Home", "End", in this order.
using KeyNameRows = std::array<KeyNameRow, 51>;
const KeyNameRows& KeyNameTable();

// The code of the first row the text names, 0 when none. Digits and "空格键" must match byte for
// byte, letters and F1-F12 ignore ASCII case, and so do Home and End. Nothing is trimmed: " A"
// names no key.
int KeyCodeFromName(std::string_view text);

// The row's name as spelled in the table; empty for a code outside it.
std::string_view KeyNameFromCode(int code);

}  // namespace kavo
