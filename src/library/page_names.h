// Rules for the names a user types for pages and script directories, and the check that every
// composed path stays inside the content folder. Names and paths are UTF-8 with backslashes.
#pragma once

#include <optional>

#include "platform/platform.h"

namespace kavo {

enum class NameKind { Page, Directory };

// Longest name the file system stores for one file or folder (a page's name with its ".txt").
inline constexpr std::size_t kMaxNameUnits = 255;
// Longest path: the file functions take paths in the "\\?\" form, up to 32,767 units with
// that prefix; some room is kept. A folder leaves room for a short page name inside.
inline constexpr std::size_t kMaxPathUnits = 32000;
inline constexpr std::size_t kMaxFolderPathUnits = kMaxPathUnits - 12;

// Why a typed name cannot be used, as a short message in Chinese; nullopt when it can. fullPath
// is the path the name would give (for a page, with its ".txt"); it and the name as stored
// decide "too long".
std::optional<Utf8Text> RefuseName(const Utf8Text& name, NameKind kind, const Utf8Text& fullPath);

// True when path names something strictly below root (root ends with a backslash) through
// plain names only: no empty, "." or ".." part, no drive or stream colon, no forward slash.
bool LiesInside(const Utf8Text& root, const Utf8Text& path);

// Length of a UTF-8 text in UTF-16 units, as the file functions count it.
std::size_t Utf16Length(const Utf8Text& text);

// ASCII letters compared without case, as the file system compares names.
bool SamePathIgnoringCase(const Utf8Text& a, const Utf8Text& b);

}  // namespace kavo
