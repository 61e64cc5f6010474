#include "editor/key_code_text.h"

namespace kavo {

// Written as it has always been shown, trailing spaces and "Cape Lock" included.
const char kKeyCodeText[] =
    "字母和数字键的键码值(keyCode) \r\n"
    "按键 键码 按键 键码 按键 键码 按键 键码 \r\n"
    "A 65 J 74 S 83 1 49 \r\n"
    "B 66 K 75 T 84 2 50 \r\n"
    "C 67 L 76 U 85 3 51 \r\n"
    "D 68 M 77 V 86 4 52 \r\n"
    "E 69 N 78 W 87 5 53 \r\n"
    "F 70 O 79 X 88 6 54 \r\n"
    "G 71 P 80 Y 89 7 55 \r\n"
    "H 72 Q 81 Z 90 8 56 \r\n"
    "I 73 R 82 0 48 9 57 \r\n"
    "\r\n"
    "数字键盘上的键的键码值(keyCode) 功能键键码值(keyCode) \r\n"
    "按键 键码 按键 键码 按键 键码 按键 键码 \r\n"
    "0 96 8 104 F1 112 F7 118 \r\n"
    "1 97 9 105 F2 113 F8 119 \r\n"
    "2 98 * 106 F3 114 F9 120 \r\n"
    "3 99 + 107 F4 115 F10 121 \r\n"
    "4 100 Enter 108 F5 116 F11 122 \r\n"
    "5 101 - 109 F6 117 F12 123 \r\n"
    "6 102 . 110         \r\n"
    "7 103 / 111\r\n"
    "   \r\n"
    "控制键键码值(keyCode) \r\n"
    "按键 键码 按键 键码 按键 键码 按键 键码 \r\n"
    "BackSpace 8 Esc 27 Right Arrow 39 -_ 189 \r\n"
    "Tab 9 Spacebar 32 Down Arrow 40 .> 190 \r\n"
    "Clear 12 Page Up 33 Insert 45 /? 191 \r\n"
    "Enter 13 Page Down 34 Delete 46 `~ 192 \r\n"
    "Shift 16 End 35 Num Lock 144 [{ 219 \r\n"
    "Control 17 Home 36 ;: 186 \\| 220 \r\n"
    "Alt 18 Left Arrow 37 =+ 187 ]} 221 \r\n"
    "Cape Lock 20 Up Arrow 38 ,< 188 '\" 222";

}  // namespace kavo
