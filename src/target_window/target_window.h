// The window a bound script is tied to: the front-most visible top-level window that meets up to
// three conditions.
#pragma once

#include "platform/platform.h"

namespace kavo {

// A window handle; kNoCondition when no condition was given, kNoMatch when no window met them.
using TargetWindow = NativeWindow;
inline constexpr TargetWindow kNoCondition = 0;
inline constexpr TargetWindow kNoMatch = -1;

// Texts are UTF-8. An empty text is no condition. processName is compared with the executable's
// file name as the process snapshot reports it (e.g. "notepad.exe"), ignoring ASCII case;
// className must equal the window's class exactly; titleFragment is searched, case-sensitive, in
// "'" + title + "'", so a leading or trailing apostrophe anchors it to the title's start or end.
TargetWindow FindTargetWindow(SystemPort& system, const Utf8Text& processName,
                              const Utf8Text& className, const Utf8Text& titleFragment);

}  // namespace kavo
