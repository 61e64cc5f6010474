// The rich text helper against a real rich edit control: the messages each setter sends, what
// the control then shows, binding once, and the OLE callback's counting and storages.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/rich_text_helper_win32.h"
#include "platform/win32/unique_handle.h"

namespace kavo {
namespace {

constexpr int kEditorId = 77;

struct SentFormat {
    WPARAM scope = 0;
    CHARFORMATW format{};
};

class RichTextHelperTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(LoadLibraryW(L"msftedit.dll"), nullptr);
        window_.reset(CreateWindowExW(0, L"STATIC", L"kavo rich text test", WS_OVERLAPPEDWINDOW, 50,
                                      50, 400, 300, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(window_);
        editor_ = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0,
                                  0, 380, 250, window_.get(),
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditorId)), nullptr,
                                  nullptr);
        ASSERT_NE(editor_, nullptr);
        SetWindowTextW(editor_, L"one two three");
        SetWindowLongPtrW(editor_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(editor_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder)));
    }

    static LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<RichTextHelperTest*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == EM_SETCHARFORMAT) {
            SentFormat sent;
            sent.scope = wParam;
            sent.format = *reinterpret_cast<const CHARFORMATW*>(lParam);
            self->sent_.push_back(sent);
        }
        return CallWindowProcW(self->original_, window, message, wParam, lParam);
    }

    // The selection's format as the control reports it.
    CHARFORMATW SelectionFormat() {
        CHARFORMATW format{};
        format.cbSize = sizeof format;
        SendMessageW(editor_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    void SelectAll() { SendMessageW(editor_, EM_SETSEL, 0, -1); }

    UniqueWindow window_;
    HWND editor_ = nullptr;
    WNDPROC original_ = nullptr;
    std::vector<SentFormat> sent_;
    RichTextHelper helper_;
};

TEST_F(RichTextHelperTest, EachSetterSendsOneFormatForTheSelection) {
    ASSERT_TRUE(helper_.Attach(window_.get(), kEditorId));
    struct Case {
        const char* what;
        std::function<bool()> set;
        DWORD mask;
        DWORD effects;
    };
    const Case cases[] = {
        {"bold on", [&] { return helper_.SetBold(true); }, CFM_BOLD, CFE_BOLD},
        {"bold off", [&] { return helper_.SetBold(false); }, CFM_BOLD, 0},
        {"italic on", [&] { return helper_.SetItalic(true); }, CFM_ITALIC, CFE_ITALIC},
        {"italic off", [&] { return helper_.SetItalic(false); }, CFM_ITALIC, 0},
        {"underline on", [&] { return helper_.SetUnderline(true); }, CFM_UNDERLINE, CFE_UNDERLINE},
        {"strikeout on", [&] { return helper_.SetStrikeout(true); }, CFM_STRIKEOUT, CFE_STRIKEOUT},
        {"protected on", [&] { return helper_.SetProtected(true); }, CFM_PROTECTED, CFE_PROTECTED},
        {"colour", [&] { return helper_.SetTextColor(0x0000FF); }, CFM_COLOR, 0},
        {"size", [&] { return helper_.SetFontSize(9); }, CFM_SIZE, 0},
        {"face", [&] { return helper_.SetFontFace("Arial"); }, CFM_FACE, 0},
    };
    for (const auto& c : cases) {
        SelectAll();
        sent_.clear();
        EXPECT_TRUE(c.set()) << c.what;
        ASSERT_EQ(sent_.size(), 1u) << c.what;
        const auto& format = sent_[0].format;
        EXPECT_EQ(sent_[0].scope, static_cast<WPARAM>(SCF_SELECTION)) << c.what;
        EXPECT_EQ(format.cbSize, sizeof(CHARFORMATW)) << c.what;
        EXPECT_EQ(format.dwMask, c.mask) << c.what;
        EXPECT_EQ(format.dwEffects, c.effects) << c.what;
    }
    // The values of the last three.
    SelectAll();
    sent_.clear();
    helper_.SetTextColor(0x0000FF);
    helper_.SetFontSize(9);
    helper_.SetFontFace("Arial");
    ASSERT_EQ(sent_.size(), 3u);
    EXPECT_EQ(sent_[0].format.crTextColor, 0x0000FFu);
    EXPECT_EQ(sent_[1].format.yHeight, RichTextHelper::PointsToTwips(9));
    EXPECT_EQ(std::wstring(sent_[2].format.szFaceName), L"Arial");
}

TEST_F(RichTextHelperTest, TheControlShowsWhatWasSet) {
    ASSERT_TRUE(helper_.Attach(window_.get(), kEditorId));
    SelectAll();
    helper_.SetTextColor(0x0000FF);  // red is the low byte
    helper_.SetStrikeout(true);
    helper_.SetBold(true);
    helper_.SetFontSize(9);
    CHARFORMATW shown = SelectionFormat();
    EXPECT_EQ(shown.crTextColor, RGB(255, 0, 0));
    EXPECT_EQ(shown.dwEffects & CFE_AUTOCOLOR, 0u);
    EXPECT_NE(shown.dwEffects & CFE_BOLD, 0u);
    EXPECT_EQ(shown.yHeight, RichTextHelper::PointsToTwips(9));
    // 置普通: bold, italic and underline off; strike-out and colour stay.
    helper_.SetBold(false);
    helper_.SetItalic(false);
    helper_.SetUnderline(false);
    shown = SelectionFormat();
    EXPECT_EQ(shown.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE), 0u);
    EXPECT_NE(shown.dwEffects & CFE_STRIKEOUT, 0u);
    EXPECT_EQ(shown.crTextColor, RGB(255, 0, 0));
}

TEST_F(RichTextHelperTest, PointsBecomeTwipsAtTheScreensPixelsPerInch) {
    const UniqueScreenDc screen(GetDC(nullptr));
    const int perInch = GetDeviceCaps(screen.get(), LOGPIXELSY);
    EXPECT_EQ(RichTextHelper::PointsToTwips(9), MulDiv(9, perInch, 72) * 15);
    if (perInch == 96) {
        EXPECT_EQ(RichTextHelper::PointsToTwips(9), 180);
    }
}

TEST_F(RichTextHelperTest, AttachBindsOnceWithOneStorage) {
    EXPECT_FALSE(helper_.IsBound());
    ASSERT_TRUE(helper_.Attach(window_.get(), kEditorId));
    IStorage* first = helper_.Storage();
    ASSERT_NE(first, nullptr);
    // The control keeps the callback it was given.
    IRichEditOle* ole = nullptr;
    SendMessageW(editor_, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    EXPECT_NE(ole, nullptr);
    if (ole != nullptr) ole->Release();
    EXPECT_GE(helper_.Callback().ReferenceCount(), 1u);

    EXPECT_FALSE(helper_.Attach(window_.get(), kEditorId));
    EXPECT_EQ(helper_.Storage(), first);
    EXPECT_TRUE(helper_.IsBound());
}

TEST_F(RichTextHelperTest, AttachToAMissingControlFailsAndSettersFailQuietly) {
    EXPECT_FALSE(helper_.Attach(window_.get(), kEditorId + 1));
    EXPECT_FALSE(helper_.SetBold(true));
    // Setters need only the ids: bound to the real control they work even after a failure.
    RichTextHelper other;
    EXPECT_TRUE(other.Attach(window_.get(), kEditorId));
    EXPECT_TRUE(other.SetBold(true));
}

TEST(RichEditOleCallbackTest, CountsReferencesAndAnswersItsTwoInterfaces) {
    RichEditOleCallback callback;
    callback.Reset(nullptr);
    void* object = nullptr;
    EXPECT_EQ(callback.QueryInterface(IID_IRichEditOleCallback, &object), S_OK);
    EXPECT_EQ(object, static_cast<IRichEditOleCallback*>(&callback));
    EXPECT_EQ(callback.QueryInterface(IID_IRichEditOleCallback, &object), S_OK);
    EXPECT_EQ(callback.ReferenceCount(), 2u);
    EXPECT_EQ(callback.QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(callback.ReferenceCount(), 3u);
    object = &callback;
    EXPECT_EQ(callback.QueryInterface(IID_IRichEditOle, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(callback.ReferenceCount(), 3u);
    EXPECT_EQ(callback.Release(), 2u);
    EXPECT_EQ(callback.Release(), 1u);
    EXPECT_EQ(callback.Release(), 0u);
    EXPECT_EQ(callback.AddRef(), 1u);  // still alive: Release never frees it

    HMENU menu = reinterpret_cast<HMENU>(0x1234);
    EXPECT_EQ(callback.GetContextMenu(0, nullptr, nullptr, &menu), S_OK);
    EXPECT_EQ(menu, reinterpret_cast<HMENU>(0x1234));
    DWORD effect = 7;
    EXPECT_EQ(callback.GetDragDropEffect(TRUE, 0, &effect), S_OK);
    EXPECT_EQ(effect, 7u);
    EXPECT_EQ(callback.GetClipboardData(nullptr, 0, nullptr), E_NOINTERFACE);
    EXPECT_EQ(callback.QueryAcceptData(nullptr, nullptr, 0, TRUE, nullptr), S_OK);
}

TEST(RichEditOleCallbackTest, NewStoragesAreNumberedInsideTheTemporaryStorage) {
    IStorage* raw = nullptr;
    ASSERT_EQ(StgCreateDocfile(
                  nullptr, STGM_TRANSACTED | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0,
                  &raw),
              S_OK);
    UniqueComInterface<IStorage> storage(raw);
    RichEditOleCallback callback;
    callback.Reset(storage.get());
    for (int n = 1; n <= 2; ++n) {
        IStorage* created = nullptr;
        ASSERT_EQ(callback.GetNewStorage(&created), S_OK) << n;
        ASSERT_NE(created, nullptr);
        created->Release();
    }
    EXPECT_EQ(callback.StoragesCreated(), 2);
    for (const wchar_t* name : {L"REOLEStorage1", L"REOLEStorage2"}) {
        IStorage* opened = nullptr;
        EXPECT_EQ(storage.get()->OpenStorage(name, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                             nullptr, 0, &opened),
                  S_OK)
            << name;
        if (opened != nullptr) opened->Release();
    }
    IStorage* none = nullptr;
    EXPECT_NE(storage.get()->OpenStorage(L"REOLEStorage3", nullptr,
                                         STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &none),
              S_OK);
}

}  // namespace
}  // namespace kavo
