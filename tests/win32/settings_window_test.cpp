// The software-settings window on its own, with link.ini and color.ini kept in memory: where its
// controls stand, what they show, and what its buttons do to the files and the main window's
// colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "appearance/settings_files.h"
#include "appearance/settings_window_win32.h"
#include "test_support_win32.h"
#include "text/encoding.h"
#include "text/wide.h"

namespace kavo {
namespace {

using namespace settings_ids;

const std::string kNo = "\xBC\xD9";   // 假
const std::string kYes = "\xD5\xE6";  // 真
const std::string kDefaultCode =
    "15527148;3487029;0;0;0;" + kNo + ";12632256;3487029;15329769;3487029;16777215;16777215";

// Two files in memory; every write is a whole replacement.
class MemoryFiles : public FilePort, public ClipboardPort {
  public:
    std::map<Utf8Text, std::string> files;
    Utf8Text clipboard;

    std::vector<DirectoryEntry> ListDirectory(const Utf8Text&, const Utf8Text&) override {
        return {};
    }
    std::optional<std::string> ReadWholeFile(const Utf8Text& path) override {
        const auto found = files.find(path);
        if (found == files.end()) return std::nullopt;
        return found->second;
    }
    bool WriteWholeFile(const Utf8Text&, const std::string&) override { return false; }
    bool IsDirectory(const Utf8Text&) override { return false; }
    bool CreateDirectories(const Utf8Text&) override { return false; }
    bool RenamePath(const Utf8Text&, const Utf8Text&) override { return false; }
    bool RemoveFile(const Utf8Text&) override { return false; }
    bool RemoveDirectoryTree(const Utf8Text&) override { return false; }
    bool PathExists(const Utf8Text& path) override { return files.count(path) > 0; }
    bool CreateNewEmptyFile(const Utf8Text&) override { return false; }
    bool ReplaceFileAtomically(const Utf8Text& path, const std::string& bytes) override {
        files[path] = bytes;
        return true;
    }
    bool AppendToFile(const Utf8Text&, const std::string&) override { return false; }
    Utf8Text ExecutableFolder() override { return "C:\\kavo"; }
    std::optional<FileStamp> StampOf(const Utf8Text&) override { return std::nullopt; }
    std::unique_ptr<FolderWatch> WatchFolder(const Utf8Text&) override { return nullptr; }
    bool SetText(const Utf8Text& text) override {
        clipboard = text;
        return true;
    }
    std::optional<Utf8Text> GetText() override { return clipboard; }
};

class SettingsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        main_ = CreateWindowExW(0, L"STATIC", L"main window stand-in", WS_POPUP, 0, 0, 600, 547,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override {
        window_.reset();
        DestroyWindow(main_);
    }

    void Open() {
        SettingsWindowHost host;
        host.mainWindow = main_;
        host.colors = &colors_;
        host.applyColors = [this] { ++repaints_; };
        host.files = &disk_;
        host.clipboard = &disk_;
        window_ = std::make_unique<SettingsWindow>(std::move(host));
        ASSERT_TRUE(window_->Open(main_));
    }

    HWND Control(int id) const {
        HWND window = window_->Handle();
        if (HWND direct = GetDlgItem(window, id)) return direct;
        if (HWND general = GetDlgItem(GetDlgItem(window, kGeneralPage), id)) return general;
        return GetDlgItem(GetDlgItem(window, kInterfacePage), id);
    }
    std::string Text(int id) const {
        wchar_t text[512] = {};
        GetWindowTextW(Control(id), text, 512);
        return WideToGbk(text);
    }
    void SetText(int id, const std::string& gbk) {
        SetWindowTextW(Control(id), GbkToWide(gbk).c_str());
    }
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    int SchemeCount() const {
        return static_cast<int>(SendMessageW(Control(kSchemeList), CB_GETCOUNT, 0, 0));
    }
    void ChooseScheme(int index) {
        SendMessageW(Control(kSchemeList), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        // What the list tells its parent when the user picks an item.
        SendMessageW(GetParent(Control(kSchemeList)), WM_COMMAND,
                     MAKEWPARAM(kSchemeList, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Control(kSchemeList)));
    }
    std::string LinkIni() { return disk_.ReadWholeFile("C:\\kavo\\link.ini").value_or(""); }
    std::string ColorIni() { return disk_.ReadWholeFile("C:\\kavo\\color.ini").value_or(""); }

    HWND main_ = nullptr;
    MemoryFiles disk_;
    MainWindowColors colors_;
    int repaints_ = 0;
    std::unique_ptr<SettingsWindow> window_;
};

TEST_F(SettingsWindowTest, ControlsStandWhereDesignedWithTheirTextsAndFonts) {
    Open();
    const struct {
        int id;
        int x, y, width, height;
        const char* text;  // UTF-8; nullptr: not compared
        int fontHeight;
    } controls[] = {
        {kHeader, 1, 1, 498, 30, "设置", -12},
        {kRollUp, 1, 32, 136, 367, nullptr, -12},
        {kTabs, 138, 32, 361, 336, nullptr, -12},
        {kAlwaysOnTop, 11, 5, 72, 24, "总在最前", -12},
        {kGeneralNote, 11, 295, 350, 16, "ps: 总在最前设置完成后必须点击确定才会设置成功。", -12},
        {kPicker1, 71, 12, 40, 20, nullptr, -12},
        {kPicker1 + 10, 176, 175, 40, 20, nullptr, -12},
        {kHoverNote, 8, 65, 318, 16, "ps：这里说的颜色是指焦点颜色（并且应用之后才可显示）", -12},
        {kHoverSwitch, 8, 84, 342, 24, "是否启用设置颜色（不启用则为默认颜色）重启后生效", -12},
        {kSchemeList, 47, 262, 63, 0, nullptr, -11},
        {kNameBox, 153, 262, 61, 24, "新建配色", -13},
        {kStore, 218, 263, 66, 22, "储存", -12},
        {kDelete, 290, 263, 66, 22, "删除", -12},
        {kCodeBox, 6, 288, 208, 24, nullptr, -13},
        {kSync, 218, 288, 66, 22, "同步", -12},
        {kCopy, 289, 288, 66, 22, "复制", -12},
        {kOk, 162, 372, 96, 25, "确定", -12},
        {kCancel, 268, 372, 96, 25, "取消", -12},
        {kApply, 374, 372, 96, 25, "应用", -12},
    };
    for (const auto& c : controls) {
        HWND control = Control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, c.x) << c.id;
        EXPECT_EQ(rect.top, c.y) << c.id;
        EXPECT_EQ(rect.right - rect.left, c.width) << c.id;
        if (c.height > 0) {
            EXPECT_EQ(rect.bottom - rect.top, c.height) << c.id;
        }
        if (c.text != nullptr) {
            wchar_t text[256] = {};
            GetWindowTextW(control, text, 256);
            EXPECT_EQ(WideToUtf8(text), c.text) << c.id;
        }
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_EQ(font.lfHeight, c.fontHeight) << c.id;
        EXPECT_STREQ(font.lfFaceName, L"微软雅黑") << c.id;
    }
    RECT window{};
    GetWindowRect(window_->Handle(), &window);
    EXPECT_EQ(window.right - window.left, 500);
    EXPECT_EQ(window.bottom - window.top, 400);
}

TEST_F(SettingsWindowTest, OpeningWritesTheMissingDefaultsAndShowsThem) {
    Open();
    EXPECT_EQ(LinkIni().substr(LinkIni().size() - 8), "16777215");
    EXPECT_EQ(Text(kCodeBox), kDefaultCode);
    EXPECT_EQ(SchemeCount(), 0);
    EXPECT_EQ(SendMessageW(Control(kAlwaysOnTop), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    // The hover switch changes the code's sixth field at once, and nothing on the main window.
    Click(kHoverSwitch);
    EXPECT_EQ(Text(kCodeBox), "15527148;3487029;0;0;0;" + kYes +
                                  ";12632256;3487029;15329769;3487029;16777215;"
                                  "16777215");
    EXPECT_EQ(repaints_, 0);
}

TEST_F(SettingsWindowTest, StoringTwiceListsTwoAndDeletingRemovesTheChosenOne) {
    Open();
    Click(kStore);
    SetText(kNameBox, "B");
    Click(kStore);
    ASSERT_EQ(SchemeCount(), 2);
    wchar_t name[64] = {};
    SendMessageW(Control(kSchemeList), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_EQ(WideToUtf8(name), "新建配色");
    ChooseScheme(0);
    Click(kDelete);
    EXPECT_EQ(SchemeCount(), 1);
    EXPECT_EQ(ColorIni(), "B=" + kDefaultCode + "\r\n");
    // Nothing chosen: nothing removed.
    Click(kDelete);
    EXPECT_EQ(SchemeCount(), 1);
    // A name with "=" is refused, and the window says so.
    SetText(kNameBox, "a=b");
    Click(kStore);
    EXPECT_EQ(SchemeCount(), 1);
    EXPECT_FALSE(Text(kNote).empty());
}

TEST_F(SettingsWindowTest, SynchroniseTakesAFullCodeAndRefusesAShortOne) {
    Open();
    SetText(kCodeBox, "1;2;3");
    Click(kSync);
    EXPECT_FALSE(Text(kNote).empty());
    EXPECT_EQ(repaints_, 0);
    EXPECT_EQ(colors_.titleBackground, 0xECECECu);

    SetText(kCodeBox, "255;2;3;4;5;" + kYes + ";7;8;9;10;11;12");
    Click(kSync);
    EXPECT_TRUE(Text(kNote).empty());
    EXPECT_GT(repaints_, 0);
    EXPECT_EQ(colors_.titleBackground, 255u);
    EXPECT_EQ(colors_.windowBackground, 12u);
    EXPECT_EQ(SendMessageW(Control(kHoverSwitch), BM_GETCHECK, 0, 0), BST_CHECKED);
    const std::string saved = LinkIni();
    Click(kCancel);  // back to the opening colours; nothing written
    EXPECT_EQ(window_->Handle(), nullptr);
    EXPECT_EQ(colors_.titleBackground, 0xECECECu);
    EXPECT_EQ(LinkIni(), saved);
}

TEST_F(SettingsWindowTest, ApplySavesAndCopyPutsTheCodeOnTheClipboard) {
    Open();
    SetText(kCodeBox, "255;2;3;4;5;" + kNo + ";7;8;9;10;11;12");
    Click(kSync);
    Click(kApply);
    EXPECT_EQ(ReadSettings(disk_)[kWindowColorLine], "255");
    EXPECT_EQ(LinkIni().substr(LinkIni().size() - 2), "\r\n");
    Click(kCopy);
    EXPECT_EQ(Utf8ToGbk(disk_.clipboard), "255;2;3;4;5;" + kNo + ";7;8;9;10;11;12");
    Click(kOk);
    EXPECT_EQ(window_->Handle(), nullptr);
}

}  // namespace
}  // namespace kavo
