#include "library/tree_widget_win32.h"

#include <string>

#include "ui/gdi_win32.h"
#include "platform/win32/dpi_win32.h"
#include "text/wide.h"

namespace kavo {

void Win32TreeWidget::SetImageList(HIMAGELIST images) {
    TreeView_SetImageList(tree_, images, TVSIL_NORMAL);
}

bool Win32TreeWidget::IsSelectionChange(const NMHDR& header) const {
    return header.hwndFrom == tree_ &&
           (header.code == TVN_SELCHANGEDW || header.code == TVN_SELCHANGEDA);
}

int Win32TreeWidget::IndexOf(HTREEITEM item) const {
    if (item == nullptr) return -1;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item) return static_cast<int>(i);
    return -1;
}

void Win32TreeWidget::RemoveAll() {
    // Without a selection the control deletes quietly; with one it would move the selection
    // from item to item while deleting and report each move.
    TreeView_SelectItem(tree_, nullptr);
    TreeView_DeleteAllItems(tree_);
    items_.clear();
    parents_.clear();
}

int Win32TreeWidget::Append(int parent, const Utf8Text& text, int image, bool bold) {
    if (parent < -1 || parent >= Count()) return -1;
    std::wstring wide = Utf8ToWide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent == -1 ? TVI_ROOT : Item(parent);
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = wide.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.state = bold ? TVIS_BOLD : 0;
    insert.item.stateMask = TVIS_BOLD;
    const auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item == nullptr) return -1;

    // Pre-order position: after the parent's last descendant, or at the very end.
    int at = Count();
    if (parent != -1) {
        at = parent + 1;
        while (at < Count()) {
            int ancestor = parents_[static_cast<std::size_t>(at)];
            while (ancestor != -1 && ancestor != parent)
                ancestor = parents_[static_cast<std::size_t>(ancestor)];
            if (ancestor != parent) break;
            ++at;
        }
    }
    // Only items after the new one can have a parent at or after it.
    for (auto p = parents_.begin() + at; p != parents_.end(); ++p)
        if (*p >= at) ++*p;
    items_.insert(items_.begin() + at, item);
    parents_.insert(parents_.begin() + at, parent);
    return at;
}

void Win32TreeWidget::BeginBulkChange() {
    if (bulkDepth_++ == 0) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
}

void Win32TreeWidget::EndBulkChange() {
    if (bulkDepth_ == 0 || --bulkDepth_ != 0) return;
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(tree_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

int Win32TreeWidget::Count() const {
    return static_cast<int>(items_.size());
}

Utf8Text Win32TreeWidget::Text(int index) const {
    const HTREEITEM item = Item(index);
    if (item == nullptr) return Utf8Text();
    // The control copies at most the buffer's size and says nothing of the real length: grow
    // until the text ends before the buffer does.
    std::wstring buffer(256, L'\0');
    for (;;) {
        TVITEMW query{};
        query.mask = TVIF_TEXT | TVIF_HANDLE;
        query.hItem = item;
        query.pszText = buffer.data();
        query.cchTextMax = static_cast<int>(buffer.size());
        if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query)))
            return Utf8Text();
        const std::size_t length = std::wstring(query.pszText).size();
        if (length + 1 < buffer.size()) return WideToUtf8(std::wstring_view(query.pszText, length));
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

int Win32TreeWidget::Parent(int index) const {
    if (index < 0 || index >= Count()) return -1;
    return parents_[static_cast<std::size_t>(index)];
}

bool Win32TreeWidget::IsBold(int index) const {
    return State(index, TVIS_BOLD) != 0;
}

bool Win32TreeWidget::HasChildren(int index) const {
    const HTREEITEM item = Item(index);
    return item != nullptr && TreeView_GetChild(tree_, item) != nullptr;
}

bool Win32TreeWidget::IsExpanded(int index) const {
    return State(index, TVIS_EXPANDED) != 0;
}

void Win32TreeWidget::Expand(int index) {
    if (const HTREEITEM item = Item(index)) TreeView_Expand(tree_, item, TVE_EXPAND);
}

void Win32TreeWidget::Collapse(int index) {
    if (const HTREEITEM item = Item(index)) TreeView_Expand(tree_, item, TVE_COLLAPSE);
}

int Win32TreeWidget::SelectedIndex() const {
    return IndexOf(TreeView_GetSelection(tree_));
}

void Win32TreeWidget::Select(int index) {
    TreeView_SelectItem(tree_, Item(index));
}

HTREEITEM Win32TreeWidget::Item(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<std::size_t>(index)];
}

UINT Win32TreeWidget::State(int index, UINT mask) const {
    const HTREEITEM item = Item(index);
    if (item == nullptr) return 0;
    return static_cast<UINT>(
               SendMessageW(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask)) &
           mask;
}

// --- pictures ---

namespace {

constexpr int kImageSize = 16;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

// Coordinates of the 16 x 16 design, drawn at the list's DPI.
RECT Scaled(int left, int top, int right, int bottom, UINT dpi) {
    return {ScaleToDpi(left, dpi), ScaleToDpi(top, dpi), ScaleToDpi(right, dpi),
            ScaleToDpi(bottom, dpi)};
}

void Fill(HDC dc, UINT dpi, int left, int top, int right, int bottom, COLORREF color) {
    const UniqueGdiObject brush(CreateSolidBrush(color));
    const RECT rect = Scaled(left, top, right, bottom, dpi);
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

void Frame(HDC dc, UINT dpi, int left, int top, int right, int bottom, COLORREF color) {
    const UniqueGdiObject brush(CreateSolidBrush(color));
    const RECT rect = Scaled(left, top, right, bottom, dpi);
    FrameRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

enum class Picture { Folder, OpenFolder, Page };

void Draw(HDC dc, Picture picture, UINT dpi) {
    Fill(dc, dpi, 0, 0, kImageSize, kImageSize, kTransparent);
    const COLORREF outline = RGB(150, 110, 30);
    switch (picture) {
        case Picture::Folder:
        case Picture::OpenFolder: {
            const COLORREF body =
                picture == Picture::Folder ? RGB(240, 190, 70) : RGB(250, 215, 120);
            Fill(dc, dpi, 1, 2, 7, 5, body);
            Frame(dc, dpi, 1, 2, 7, 5, outline);
            Fill(dc, dpi, 1, 4, 15, 14, body);
            Frame(dc, dpi, 1, 4, 15, 14, outline);
            break;
        }
        case Picture::Page:
            Fill(dc, dpi, 3, 1, 14, 15, RGB(255, 255, 255));
            Frame(dc, dpi, 3, 1, 14, 15, RGB(110, 110, 110));
            for (int y = 4; y <= 11; y += 3) Fill(dc, dpi, 5, y, 12, y + 1, RGB(120, 140, 190));
            break;
    }
}

}  // namespace

UniqueImageList CreateLibraryImageList(UINT dpi) {
    const int size = ScaleToDpi(kImageSize, dpi);
    UniqueImageList list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 4, 0));
    if (!list) return list;
    const auto images = static_cast<HIMAGELIST>(list.get());
    const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    if (!memory) return list;
    for (Picture picture : {Picture::Folder, Picture::OpenFolder, Picture::Page, Picture::Page}) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size;
        info.bmiHeader.biHeight = size;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        UniqueGdiObject bitmap(
            CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap) continue;
        {
            const ScopedSelection selection(memory.get(), bitmap.get());
            Draw(memory.get(), picture, dpi);
        }
        // The list copies the picture; the bitmap is ours to delete.
        ImageList_AddMasked(images, static_cast<HBITMAP>(bitmap.get()), kTransparent);
    }
    return list;
}

}  // namespace kavo
