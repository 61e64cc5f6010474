// The library's TreeWidget over a tree-view control (WC_TREEVIEWW), items by pre-order index.
//
// Use from the window that owns the control, on its thread:
//   - create the control as usual and wrap it: Win32TreeWidget tree(treeHwnd);
//   - give it the directory and page pictures: tree.SetImageList(list) with an image list that
//     lives as long as the control (CreateLibraryImageList makes one with pictures at 0 and 3);
//   - in the parent's WM_NOTIFY, forward selection changes to the library:
//       if (tree.IsSelectionChange(*reinterpret_cast<const NMHDR*>(lParam)))
//           OnTreeSelectionChanged(library);
//     The control raises TVN_SELCHANGED for clicks and for Select() alike, and once with no
//     item when RemoveAll() clears a selection (the handler ignores that one).
// The adapter keeps the pre-order position of every item it appended, so all items must be
// added and removed through it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "library/library_widgets.h"
#include "platform/win32/unique_handle.h"

namespace kavo {

class Win32TreeWidget : public TreeWidget {
  public:
    explicit Win32TreeWidget(HWND treeView) : tree_(treeView) {}

    HWND Handle() const { return tree_; }
    // The list is not owned; it must outlive the control's use of it.
    void SetImageList(HIMAGELIST images);
    // True for the control's TVN_SELCHANGED notification (ANSI or Unicode form).
    bool IsSelectionChange(const NMHDR& header) const;
    // The item's index for a handle the control reported; -1 when unknown.
    int IndexOf(HTREEITEM item) const;

    void RemoveAll() override;
    int Append(int parent, const Utf8Text& text, int image, bool bold) override;
    int Count() const override;
    Utf8Text Text(int index) const override;
    int Parent(int index) const override;
    bool IsBold(int index) const override;
    bool HasChildren(int index) const override;
    bool IsExpanded(int index) const override;
    void Expand(int index) override;
    void Collapse(int index) override;
    int SelectedIndex() const override;
    void Select(int index) override;
    // Drawing is switched off until the outermost change ends: thousands of items inserted one
    // by one otherwise repaint the control each time.
    void BeginBulkChange() override;
    void EndBulkChange() override;

  private:
    HTREEITEM Item(int index) const;
    UINT State(int index, UINT mask) const;

    HWND tree_;
    std::vector<HTREEITEM> items_;  // in pre-order
    std::vector<int> parents_;      // parent index of each item, -1 at the top level
    int bulkDepth_ = 0;
};

// Pictures for the library tree, 16 x 16 at 96 DPI and scaled to dpi: a folder at image 0, a
// page at image 3 (1 and 2 are an open folder and a spare copy of the page, so any index the
// tree may use shows something).
UniqueImageList CreateLibraryImageList(UINT dpi = 96);

}  // namespace kavo
