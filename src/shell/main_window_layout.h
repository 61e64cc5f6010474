// Where the main window's controls stand, by the names the window was designed with. Plain
// data, also read by the test suite's window inspector.
#pragma once

namespace kavo::layout {

enum class Parent { Window, HelpPanel, RunPanel };

// What a control is; it decides the window class and styles the control is created with.
enum class Kind {
    Label,          // a static text that lets the mouse through (the title bar drags)
    Edit,           // a one-line edit box
    ReadOnlyText,   // the help box: a multi-line read-only edit
    ReadOnlyLine,   // a one-line read-only edit: shown, selectable, not typed into
    Tree,           // the library tree
    RichEdit,       // the script editor
    FlatButton,     // a drawn button with a text
    PictureButton,  // a drawn button with a picture (the caption buttons)
    PushButton,     // a standard push button
    Panel,          // a roll-up panel
};

enum ControlId : int {
    kTitle = 1001,    // 窗口标题
    kExit,            // 退出
    kMaximize,        // 最大化
    kMinimize,        // 最小化
    kMenuBar,         // 窗口标题1
    kMenuProgram,     // 超级按钮1 程序
    kMenuEdit,        // 超级按钮2 操作
    kTree,            // 树型框1
    kEditor,          // 编辑框_脚本编辑区
    kMenuSettings,    // 超级按钮3 设置
    kCloseBox,        // 图片框1
    kHideBox,         // 图片框3
    kHelpPanel,       // 高级选择夹1
    kHelpToggle,      // 超级按钮4 帮助
    kHelpSpecialKey,  // 加入特殊按键
    kHelpClick,       // 加入鼠标单击
    kHelpTyping,      // 加入普通按键
    kHelpMove,        // 加入鼠标移动
    kHelpRun,         // 加入运行
    kHelpDelay,       // 加入延时
    kHelpLoop,        // 加入计次循环
    kHelpMessageBox,  // 加入信息框
    kRunPanel,        // 高级选择夹2
    kRunToggle,       // 超级按钮6 执行
    kProcessEdit,     // 编辑框2
    kHotkeyEdit,      // 编辑框_启动热键
    kBind,            // 按钮2 热键执行
    kSeparator,       // 图片框2
    kGo,              // go 直接运行
    kProcessLabel,    // 透明标签1 进程名
    kYLabel,          // 标签9
    kXEdit,           // 编辑框4
    kYEdit,           // 编辑框5
    kXLabel,          // 标签8
    kHelpText,        // 编辑框1
    // Added since: the posting commands' help, and F1's lines for the window under the pointer.
    kHelpMouseMessage,  // 加入鼠标消息
    kHelpKeyMessage,    // 加入按键消息
    kSpyHandleLabel,    // 标签_句柄
    kSpyHandle,         // 编辑框_句柄
    kSpyProcessLabel,   // 标签_进程
    kSpyProcess,        // 编辑框_进程
    kSpyClassLabel,     // 标签_类名
    kSpyClass,          // 编辑框_类名
    kSpyTitleLabel,     // 标签_标题
    kSpyTitle,          // 编辑框_标题
    kSpyColorLabel,     // 标签_颜色
    kSpyColor,          // 编辑框_颜色
};

struct ControlPlace {
    ControlId id;
    const char* name;     // UTF-8
    const char* caption;  // UTF-8; what the control shows at start
    Parent parent;
    int x, y, width, height;
    Kind kind;
};

// In the order the window was designed, oldest first.
inline constexpr ControlPlace kControls[] = {
    {kTitle, "窗口标题", "", Parent::Window, 0, 0, 600, 30, Kind::Label},
    {kExit, "退出", "", Parent::Window, 570, 0, 30, 30, Kind::PictureButton},
    {kMaximize, "最大化", "", Parent::Window, 536, 0, 30, 30, Kind::PictureButton},
    {kMinimize, "最小化", "", Parent::Window, 502, 0, 30, 30, Kind::PictureButton},
    {kMenuBar, "窗口标题1", "", Parent::Window, 0, 30, 600, 25, Kind::Label},
    {kMenuProgram, "超级按钮1", "程序", Parent::Window, 0, 30, 60, 25, Kind::FlatButton},
    {kMenuEdit, "超级按钮2", "操作", Parent::Window, 60, 30, 60, 25, Kind::FlatButton},
    {kTree, "树型框1", "", Parent::Window, -1, 57, 150, 487, Kind::Tree},
    {kEditor, "编辑框_脚本编辑区", "", Parent::Window, 150, 57, 450, 487, Kind::RichEdit},
    {kMenuSettings, "超级按钮3", "设置", Parent::Window, 120, 30, 60, 25, Kind::FlatButton},
    {kCloseBox, "图片框1", "", Parent::Window, 570, 0, 30, 30, Kind::PictureButton},
    {kHideBox, "图片框3", "", Parent::Window, 535, 0, 30, 30, Kind::PictureButton},
    {kHelpPanel, "高级选择夹1", "", Parent::Window, 360, 32, 240, 344, Kind::Panel},
    {kHelpToggle, "超级按钮4", "帮助", Parent::HelpPanel, 1, 0, 53, 24, Kind::FlatButton},
    {kHelpSpecialKey, "加入特殊按键", "加入特殊按键", Parent::HelpPanel, 2, 99, 88, 25,
     Kind::PushButton},
    {kHelpClick, "加入鼠标单击", "加入鼠标单击", Parent::HelpPanel, 2, 124, 88, 25,
     Kind::PushButton},
    {kHelpTyping, "加入普通按键", "加入普通按键", Parent::HelpPanel, 2, 149, 88, 25,
     Kind::PushButton},
    {kHelpMove, "加入鼠标移动", "加入鼠标移动", Parent::HelpPanel, 2, 174, 88, 25,
     Kind::PushButton},
    {kHelpRun, "加入运行", "加入运行", Parent::HelpPanel, 2, 74, 88, 25, Kind::PushButton},
    {kHelpDelay, "加入延时", "加入延时", Parent::HelpPanel, 2, 49, 88, 25, Kind::PushButton},
    {kHelpLoop, "加入计次循环", "加入计次循环", Parent::HelpPanel, 2, 24, 88, 25, Kind::PushButton},
    {kHelpMessageBox, "加入信息框", "加入信息框", Parent::HelpPanel, 2, 199, 88, 25,
     Kind::PushButton},
    {kRunPanel, "高级选择夹2", "", Parent::Window, 193, 32, 152, 144, Kind::Panel},
    {kRunToggle, "超级按钮6", "执行", Parent::RunPanel, 1, 0, 53, 24, Kind::FlatButton},
    {kProcessEdit, "编辑框2", "", Parent::RunPanel, 63, 56, 80, 16, Kind::Edit},
    {kHotkeyEdit, "编辑框_启动热键", "", Parent::RunPanel, 7, 31, 79, 16, Kind::Edit},
    {kBind, "按钮2", "热键执行", Parent::RunPanel, 93, 30, 56, 18, Kind::PushButton},
    {kSeparator, "图片框2", "", Parent::RunPanel, 7, 80, 144, 2, Kind::Label},
    {kGo, "go", "直接运行", Parent::RunPanel, 31, 88, 96, 40, Kind::PushButton},
    {kProcessLabel, "透明标签1", "进程名", Parent::RunPanel, 7, 56, 48, 16, Kind::Label},
    {kYLabel, "标签9", "Y坐标:", Parent::HelpPanel, 104, 208, 33, 16, Kind::Label},
    {kXEdit, "编辑框4", "", Parent::HelpPanel, 144, 184, 64, 16, Kind::Edit},
    {kYEdit, "编辑框5", "", Parent::HelpPanel, 144, 208, 64, 16, Kind::Edit},
    {kXLabel, "标签8", "X坐标:", Parent::HelpPanel, 104, 184, 35, 16, Kind::Label},
    {kHelpText, "编辑框1", "帮助", Parent::HelpPanel, 96, 24, 136, 200, Kind::ReadOnlyText},
    // Below the first eight: two more help buttons, and beside and under them what F1 shows of
    // the window under the pointer: its handle and process in the coordinates' column, its
    // class and title and the pixel's colour in lines of the panel's width.
    {kHelpMouseMessage, "加入鼠标消息", "加入鼠标消息", Parent::HelpPanel, 2, 224, 88, 25,
     Kind::PushButton},
    {kHelpKeyMessage, "加入按键消息", "加入按键消息", Parent::HelpPanel, 2, 249, 88, 25,
     Kind::PushButton},
    {kSpyHandleLabel, "标签_句柄", "句柄:", Parent::HelpPanel, 100, 232, 32, 16, Kind::Label},
    {kSpyHandle, "编辑框_句柄", "", Parent::HelpPanel, 134, 232, 98, 16, Kind::ReadOnlyLine},
    {kSpyProcessLabel, "标签_进程", "进程:", Parent::HelpPanel, 100, 256, 32, 16, Kind::Label},
    {kSpyProcess, "编辑框_进程", "", Parent::HelpPanel, 134, 256, 98, 16, Kind::ReadOnlyLine},
    {kSpyClassLabel, "标签_类名", "类名:", Parent::HelpPanel, 8, 280, 35, 16, Kind::Label},
    {kSpyClass, "编辑框_类名", "", Parent::HelpPanel, 48, 280, 184, 16, Kind::ReadOnlyLine},
    {kSpyTitleLabel, "标签_标题", "标题:", Parent::HelpPanel, 8, 302, 35, 16, Kind::Label},
    {kSpyTitle, "编辑框_标题", "", Parent::HelpPanel, 48, 302, 184, 16, Kind::ReadOnlyLine},
    {kSpyColorLabel, "标签_颜色", "颜色:", Parent::HelpPanel, 8, 324, 35, 16, Kind::Label},
    {kSpyColor, "编辑框_颜色", "", Parent::HelpPanel, 48, 324, 184, 16, Kind::ReadOnlyLine},
};

inline constexpr int kWindowWidth = 600;
inline constexpr int kWindowHeight = 547;
inline constexpr int kTreeWidth = 150;

}  // namespace kavo::layout
