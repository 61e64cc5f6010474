// The content folder on disk: script directories directly inside it, pages ("*.txt" files)
// directly inside those. Paths and names are UTF-8 with backslashes; page texts are GBK bytes.
#pragma once

#include <functional>
#include <vector>

#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

// Called at the first directory entry and after every 64th while a folder is listed, so the
// windows stay responsive while a large folder is read (dispatches the thread's pending
// messages).
using PendingEventsCallback = std::function<void()>;

// The executable's folder followed by "\content\".
Utf8Text ComputeContentRoot(FilePort& files);

// The path with one trailing backslash added when it has none.
Utf8Text WithTrailingSeparator(const Utf8Text& folder);

// Names of the directories directly inside folder whose names do not begin with ".", sorted
// with LibraryNameLess. Empty when the folder is missing or cannot be listed.
std::vector<Utf8Text> ListSubdirectories(FilePort& files, const Utf8Text& folder,
                                         const PendingEventsCallback& processPendingEvents);

// Names of the non-directory entries directly inside folder that match pattern (wildcards * and
// ?, letter case ignored), sorted with LibraryNameLess. The long name itself must match: the
// platform also matches generated short names, so "*.txt" would otherwise list "a.txtx".
std::vector<Utf8Text> ListFiles(FilePort& files, const Utf8Text& folder, const Utf8Text& pattern,
                                const PendingEventsCallback& processPendingEvents);

// The order of the tree on every file system: ASCII letters compared without case, everything
// else byte for byte; names equal but for case are ordered by their exact bytes.
bool LibraryNameLess(const Utf8Text& a, const Utf8Text& b);

// The name shown for a page file: the file name with every ".txt" removed (letter case counts),
// so a.txt and a.txt.txt show as a and Notes.TXT as Notes.TXT.
Utf8Text PageNameOf(const Utf8Text& fileName);

// contentRoot + directory + "\" + page + ".txt": the path composed from the texts of tree items.
Utf8Text ComposePagePath(const Utf8Text& contentRoot, const Utf8Text& directory,
                         const Utf8Text& page);

// The file's bytes up to the first zero byte; empty when it is missing or cannot be read.
RuntimeText ReadPageText(FilePort& files, const Utf8Text& path);

}  // namespace kavo
