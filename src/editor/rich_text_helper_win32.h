// Character formatting of a rich edit control's selection, and the OLE callback that lets the
// control hold embedded objects in a temporary compound-file storage.
//
// One helper per control, bound once with Attach(parent, controlId). The setters look the
// control up again from that pair every time, so they work even when Attach failed, as long as
// the control exists. Every setter changes one attribute of the selection (or of the insertion
// point when nothing is selected) and returns the control's answer (true: applied).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include "platform/platform.h"
#include "platform/win32/unique_handle.h"
#include "shell/main_window_colors.h"

namespace kavo {

// The control's IRichEditOleCallback. It lives inside its helper: the count is kept as COM
// asks, but releasing the last reference does not free it.
class RichEditOleCallback final : public IRichEditOleCallback {
  public:
    RichEditOleCallback() = default;
    RichEditOleCallback(const RichEditOleCallback&) = delete;
    RichEditOleCallback& operator=(const RichEditOleCallback&) = delete;

    // Starts again with no references, no sub-storages and the given storage (not owned).
    void Reset(IStorage* storage);
    ULONG ReferenceCount() const { return references_; }
    int StoragesCreated() const { return storagesCreated_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // A new sub-storage "REOLEStorage<n>" inside the temporary storage, numbered from 1 for the
    // helper's whole life.
    STDMETHODIMP GetNewStorage(LPSTORAGE* storage) override;
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* document,
                                   LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP ShowContainerUI(BOOL show) override;
    STDMETHODIMP QueryInsertObject(LPCLSID classId, LPSTORAGE storage, LONG position) override;
    STDMETHODIMP DeleteObject(LPOLEOBJECT object) override;
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD operation,
                                 BOOL really, HGLOBAL metaPicture) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP GetClipboardData(CHARRANGE* range, DWORD operation, LPDATAOBJECT* data) override;
    // S_OK without touching the effect: the control keeps its own choice.
    STDMETHODIMP GetDragDropEffect(BOOL drag, DWORD keyState, LPDWORD effect) override;
    // S_OK without a menu: the control shows none.
    STDMETHODIMP GetContextMenu(WORD selectionType, LPOLEOBJECT object, CHARRANGE* range,
                                HMENU* menu) override;

  private:
    ULONG references_ = 0;
    IStorage* storage_ = nullptr;
    int storagesCreated_ = 0;
};

class RichTextHelper {
  public:
    RichTextHelper() = default;
    RichTextHelper(const RichTextHelper&) = delete;
    RichTextHelper& operator=(const RichTextHelper&) = delete;
    // The control must be gone or no longer use the callback by then (the helper outlives its
    // window in this program).
    ~RichTextHelper() = default;

    // Binds the helper to the control and installs the OLE callback with a fresh temporary
    // storage. False when already bound (nothing changes then), when no storage could be made,
    // or when the control refused the callback.
    bool Attach(HWND parent, int controlId);
    bool IsBound() const { return boundControl_ != nullptr; }

    bool SetBold(bool on);
    bool SetItalic(bool on);
    bool SetUnderline(bool on);
    bool SetStrikeout(bool on);
    bool SetProtected(bool on);
    // Points to twips at the screen's vertical pixels per inch: points x 20 at 96.
    static int PointsToTwips(int points);
    bool SetFontSize(int points);
    // Red in the low byte; switches the automatic colour off.
    bool SetTextColor(ColorRef color);
    // At most 31 characters of the face name are used.
    bool SetFontFace(const Utf8Text& face);

    // For tests: the callback handed to the control.
    RichEditOleCallback& Callback() { return callback_; }
    IStorage* Storage() const { return storage_.get(); }

  private:
    HWND Control() const;
    bool SetEffect(DWORD bit, bool on);
    bool Apply(CHARFORMATW& format);

    HWND parent_ = nullptr;
    int controlId_ = 0;
    HWND boundControl_ = nullptr;  // non-null once Attach got this far: bound
    RichEditOleCallback callback_;
    UniqueComInterface<IStorage> storage_;
};

}  // namespace kavo
