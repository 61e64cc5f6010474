#include "editor/rich_text_helper_win32.h"

#include <string>

#include "text/wide.h"

namespace kavo {

// --- the OLE callback ---

void RichEditOleCallback::Reset(IStorage* storage) {
    references_ = 0;
    storage_ = storage;
    storagesCreated_ = 0;
}

STDMETHODIMP RichEditOleCallback::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRichEditOleCallback)) {
        *object = static_cast<IRichEditOleCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) RichEditOleCallback::AddRef() {
    return ++references_;
}

STDMETHODIMP_(ULONG) RichEditOleCallback::Release() {
    // The object belongs to its helper; the count only tells how many users it has.
    if (references_ > 0) --references_;
    return references_;
}

STDMETHODIMP RichEditOleCallback::GetNewStorage(LPSTORAGE* storage) {
    if (storage == nullptr) return E_POINTER;
    *storage = nullptr;
    if (storage_ == nullptr) return E_FAIL;
    ++storagesCreated_;
    const std::wstring name = L"REOLEStorage" + std::to_wstring(storagesCreated_);
    return storage_->CreateStorage(
        name.c_str(), STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0,
        storage);
}

STDMETHODIMP RichEditOleCallback::GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                                    LPOLEINPLACEFRAMEINFO) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::ShowContainerUI(BOOL) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::DeleteObject(LPOLEOBJECT) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::ContextSensitiveHelp(BOOL) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) {
    // A failure here lets the control put its own formats on the clipboard.
    return E_NOINTERFACE;
}
STDMETHODIMP RichEditOleCallback::GetDragDropEffect(BOOL, DWORD, LPDWORD) {
    return S_OK;
}
STDMETHODIMP RichEditOleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) {
    return S_OK;
}

// --- the helper ---

bool RichTextHelper::Attach(HWND parent, int controlId) {
    if (boundControl_ != nullptr) return false;
    parent_ = parent;
    controlId_ = controlId;
    boundControl_ = Control();
    if (boundControl_ == nullptr) return false;
    storage_.reset();
    callback_.Reset(nullptr);
    IStorage* storage = nullptr;
    const HRESULT created = StgCreateDocfile(
        nullptr, STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0,
        &storage);
    if (FAILED(created) || storage == nullptr) return false;
    storage_.reset(storage);
    callback_.Reset(storage_.get());
    const LRESULT accepted =
        SendMessageW(boundControl_, EM_SETOLECALLBACK, 0,
                     reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(&callback_)));
    if (accepted == 0) {
        callback_.Reset(nullptr);
        storage_.reset();
        return false;
    }
    return true;
}

HWND RichTextHelper::Control() const {
    return parent_ != nullptr ? GetDlgItem(parent_, controlId_) : nullptr;
}

bool RichTextHelper::Apply(CHARFORMATW& format) {
    format.cbSize = sizeof format;
    HWND control = Control();
    if (control == nullptr) return false;
    return SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION,
                        reinterpret_cast<LPARAM>(&format)) != 0;
}

bool RichTextHelper::SetEffect(DWORD bit, bool on) {
    CHARFORMATW format{};
    format.dwMask = bit;
    format.dwEffects = on ? bit : 0;
    return Apply(format);
}

bool RichTextHelper::SetBold(bool on) {
    return SetEffect(CFM_BOLD, on);
}
bool RichTextHelper::SetItalic(bool on) {
    return SetEffect(CFM_ITALIC, on);
}
bool RichTextHelper::SetUnderline(bool on) {
    return SetEffect(CFM_UNDERLINE, on);
}
bool RichTextHelper::SetStrikeout(bool on) {
    return SetEffect(CFM_STRIKEOUT, on);
}
bool RichTextHelper::SetProtected(bool on) {
    return SetEffect(CFM_PROTECTED, on);
}

int RichTextHelper::PointsToTwips(int points) {
    const UniqueScreenDc screen(GetDC(nullptr));
    const int pixelsPerInch = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return MulDiv(points, pixelsPerInch, 72) * 15;
}

bool RichTextHelper::SetFontSize(int points) {
    CHARFORMATW format{};
    format.dwMask = CFM_SIZE;
    format.yHeight = PointsToTwips(points);
    return Apply(format);
}

bool RichTextHelper::SetTextColor(ColorRef color) {
    CHARFORMATW format{};
    format.dwMask = CFM_COLOR;
    format.dwEffects = 0;  // CFE_AUTOCOLOR off, so the colour shows
    format.crTextColor = color;
    return Apply(format);
}

bool RichTextHelper::SetFontFace(const Utf8Text& face) {
    CHARFORMATW format{};
    format.dwMask = CFM_FACE;
    const std::wstring wide = Utf8ToWide(face);
    wide.copy(format.szFaceName, LF_FACESIZE - 1);
    return Apply(format);
}

}  // namespace kavo
