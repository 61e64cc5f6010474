#include "editor/help_texts.h"

namespace kavo {
namespace {

constexpr HelpText kHelpTexts[] = {
    {HelpTopic::Loop,
     "使用格式\r\n例如： 计次循环(2,1)\r\n其中2代表循环次数 "
     "1代表参数\r\n注意：必须插入循环尾此循环方可"
     "成立\r\n例如：计次循环尾(1) \r\n1与前面的参数相对应。",
     200},
    {HelpTopic::Delay,
     "使用格式\r\n例如： 延时(100)\r\n100代表100毫秒 1000毫秒=1秒\r\n"
     "例如： 随机延时(100,500)\r\n等待100到500毫秒之间随机的一段时间",
     200},
    {HelpTopic::Run,
     "使用格式\r\n例如： 运行(notepad.exe)\r\nnotepad.exe 代表文件路径\r\n"
     "例如： 等待窗口(进程:notepad.exe,5000)\r\n"
     "等到该窗口出现再往下执行，最多等5000毫秒，0代表一直等；等不到时脚本停止，托盘提示是哪一行\r\n"
     "窗口的写法同鼠标消息",
     200},
    {HelpTopic::SpecialKey,
     "使用格式\r\n例如： 特殊按键(20)\r\n20代表键代码 括号里应输入数字（键代码） "
     "键代码在设置菜单里查看。\r\n"
     "按住(17) 按下一个键不放，松开(17) 再放开它；例如 按住(17) 特殊按键(67) 松开(17) "
     "就是 Ctrl+C。脚本结束时还按着的键会自动放开。",
     200},
    {HelpTopic::Click,
     "使用格式\r\n例如： 鼠标(左键)\r\n例如： 鼠标(右键)\r\n"
     "还可用： 鼠标(中键)  鼠标(左键按下)  鼠标(左键弹起)  鼠标(右键按下)  鼠标(右键弹起)  "
     "鼠标(中键按下)  鼠标(中键弹起)  鼠标(滚轮上)  鼠标(滚轮下)\r\n"
     "例如： 鼠标定位(800,100)  光标立即到达该点（鼠标移动是每毫秒一像素地滑过去）",
     200},
    {HelpTopic::Typing,
     "使用格式\r\n例如： 按键(fhjshfkj,50)\r\n其中fhjshfkj代表需要输入的键\r\n"
     "50代表输入的速度\r\n"
     "例如： 激活窗口(进程:notepad.exe)\r\n"
     "先把该窗口切换到前台，之后的按键都进入它；窗口的写法同鼠标消息",
     200},
    {HelpTopic::Move,
     "使用格式\r\n例如： 鼠标移动(800,100)\r\n其中80为横坐标   100为纵坐标\r\n按F1获取横纵坐标！"
     "\r\nF1开启时按 PageUp 把鼠标移动(横坐标,纵坐标)插入脚本。",
     160},
    {HelpTopic::MessageBox,
     "使用格式\r\n例如： 信息框（你好,我是脚本编辑器,）\r\n其中你好为信息框标题   "
     "我是脚本编辑器是信息框内容",
     200},
    {HelpTopic::MouseMessage,
     "使用格式\r\n例如： 鼠标消息(进程:notepad.exe,100,50,1,1)\r\n"
     "第一个参数是窗口，可以这样写：\r\n"
     "进程:notepad.exe  该进程最前面的窗口\r\n"
     "标题:无标题 - 记事本  标题相同的窗口\r\n"
     "类:Notepad  该窗口类的窗口\r\n"
     "目标  热键执行绑定的进程的窗口\r\n"
     "用;连接的条件都要符合，如 进程:notepad.exe;标题:*记事本\r\n"
     ">类:Edit 找其中的子窗口，#2 取第二个\r\n"
     "* 和 ? 是通配符\r\n"
     "也可以写窗口句柄（数字），0代表桌面\r\n"
     "F1开启时鼠标指着窗口按 Insert，就把它的描述插入脚本\r\n"
     "找不到窗口时脚本停止，托盘提示是哪一行\r\n"
     "100,50为窗口里的坐标\r\n"
     "按钮：1左键 2右键 3中键 4、5滚轮\r\n"
     "动作：1单击 2双击 3按下 4抬起",
     200},
    {HelpTopic::KeyMessage,
     "使用格式\r\n例如： 按键消息(进程:notepad.exe>类:Edit,65,1)\r\n"
     "第一个参数是窗口，写法同鼠标消息：进程:名称、标题:文字、类:名称、目标，或窗口句柄\r\n"
     "F1开启时鼠标指着窗口按 Insert，就把它的描述插入脚本\r\n"
     "65代表键代码\r\n"
     "方式：1字符 2、3按下 4抬起 5按下并抬起",
     200},
};

}  // namespace

std::span<const HelpText> HelpTexts() {
    return kHelpTexts;
}

std::optional<HelpText> FindHelpText(HelpTopic topic) {
    for (const HelpText& help : kHelpTexts)
        if (help.topic == topic) return help;
    return std::nullopt;
}

}  // namespace kavo
