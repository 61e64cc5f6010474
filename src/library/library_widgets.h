// What the library needs from the tree control (and, in editor/editor_widget.h, the script
// editor), kept narrow so the library logic runs against fakes in native tests and against the
// real controls on Windows.
#pragma once

#include "editor/editor_widget.h"
#include "platform/platform.h"
#include "text/runtime_text.h"

namespace kavo {

// Images of the tree's image list: directories and pages.
inline constexpr int kDirectoryImage = 0;
inline constexpr int kPageImage = 3;

// A tree whose items are addressed by their position in pre-order over the whole tree (first
// top-level item, its children in order, the next top-level item, ...), counted from 0 whether
// or not branches are expanded; -1 means no item. Texts are UTF-8.
class TreeWidget {
  public:
    virtual ~TreeWidget() = default;
    // Afterwards no item is selected.
    virtual void RemoveAll() = 0;
    // Appends an item at the end of parent's children (parent -1: at the end of the top level)
    // and returns its index; -1 when parent names no item.
    virtual int Append(int parent, const Utf8Text& text, int image, bool bold) = 0;
    virtual int Count() const = 0;
    // Empty for -1 or an index out of range.
    virtual Utf8Text Text(int index) const = 0;
    // -1 for a top-level item, -1 or an index out of range.
    virtual int Parent(int index) const = 0;
    virtual bool IsBold(int index) const = 0;
    virtual bool HasChildren(int index) const = 0;
    virtual bool IsExpanded(int index) const = 0;
    virtual void Expand(int index) = 0;
    virtual void Collapse(int index) = 0;
    virtual int SelectedIndex() const = 0;
    // Selecting by program raises the same selection-changed event as selecting by hand; -1
    // clears the selection.
    virtual void Select(int index) = 0;
    // Around many changes at once: the control may leave drawing until the end.
    virtual void BeginBulkChange() {}
    virtual void EndBulkChange() {}
};

}  // namespace kavo
