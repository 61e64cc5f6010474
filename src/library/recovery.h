// Unsaved edits kept beside the program, so that a crash or a forced end does not take them: a
// few seconds after the editor's text changes, its unsaved text goes to the recovery file with
// the page it belongs to; the file goes once nothing is unsaved (saved, or dropped by the user's
// choice). At the next start the file is offered once: restored as edits of its page, or thrown
// away.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "library/library_tree.h"

namespace kavo {

inline constexpr char kRecoveryFileName[] = "kavo-recovery.txt";

struct RecoveredEdits {
    Utf8Text pagePath;  // the page they belong to; empty when they belong to none
    Utf8Text text;      // the editor's text, UTF-8 (every character, GBK or not)
    bool operator==(const RecoveredEdits&) const = default;
};

// Beside the program, never in the content folder.
Utf8Text RecoveryFilePath(Library& library);

// The file's bytes, and back; nullopt for bytes that are not a recovery file.
std::string FormatRecovery(const RecoveredEdits& edits);
std::optional<RecoveredEdits> ParseRecovery(std::string_view bytes);

// Writes the editor's unsaved text to the recovery file (atomically, only when it differs from
// what the file holds), or removes the file when nothing is unsaved. Both do nothing until
// ReadRecovery has looked for the file the last run left.
void KeepRecovery(Library& library);
// Removes the recovery file: the user dropped what it held.
void DiscardRecovery(Library& library);

// The recovery file left by a run that did not end normally; nullopt when there is none (or it
// is not one). From then on this run keeps the file.
std::optional<RecoveredEdits> ReadRecovery(Library& library);
// The question that offers it.
Utf8Text RecoveryQuestion(Library& library, const RecoveredEdits& edits);
// Puts the edits back as unsaved edits: of their page when it is still there (the page is loaded
// and selected first), otherwise as text of no page that 保存 stores as a new page. True when
// their page was there.
bool RestoreRecovery(Library& library, const RecoveredEdits& edits);

}  // namespace kavo
