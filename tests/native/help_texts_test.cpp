#include <gtest/gtest.h>

#include <set>
#include <string>

#include "editor/help_texts.h"

namespace kavo {
namespace {

// The usage texts as the help panel must show them, word for word, with the help box's height:
// 鼠标移动's is shorter so that the cursor position rows below it stay visible.
TEST(HelpTextsTest, EachTopicHasItsTextAndHeight) {
    struct Case {
        HelpTopic topic;
        std::string text;
        int height;
    };
    const Case cases[] = {
        {HelpTopic::Loop,
         "使用格式\r\n例如： 计次循环(2,1)\r\n其中2代表循环次数 1代表参数\r\n"
         "注意：必须插入循环尾此循环方可成立\r\n例如：计次循环尾(1) \r\n1与前面的参数相对应。",
         200},
        {HelpTopic::Delay,
         "使用格式\r\n例如： 延时(100)\r\n100代表100毫秒 1000毫秒=1秒\r\n"
         "例如： 随机延时(100,500)\r\n等待100到500毫秒之间随机的一段时间",
         200},
        {HelpTopic::Run,
         "使用格式\r\n例如： 运行(notepad.exe)\r\nnotepad.exe 代表文件路径\r\n"
         "例如： 等待窗口(进程:notepad.exe,5000)\r\n"
         "等到该窗口出现再往下执行，最多等5000毫秒，0代表一直等；等不到时脚本停止，托盘提示是哪一行"
         "\r\n"
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
         "使用格式\r\n例如： 鼠标移动(800,100)\r\n其中80为横坐标   "
         "100为纵坐标\r\n按F1获取横纵坐标！\r\nF1开启时按 PageUp "
         "把鼠标移动(横坐标,纵坐标)插入脚本。",
         160},
        {HelpTopic::MessageBox,
         "使用格式\r\n例如： 信息框（你好,我是脚本编辑器,）\r\n"
         "其中你好为信息框标题   我是脚本编辑器是信息框内容",
         200},
    };
    for (const auto& c : cases) {
        const auto help = FindHelpText(c.topic);
        ASSERT_TRUE(help.has_value()) << static_cast<int>(c.topic);
        EXPECT_EQ(std::string(help->text), c.text);
        EXPECT_EQ(help->boxHeight, c.height) << c.text;
    }
    // One entry per topic, nothing else.
    std::set<HelpTopic> topics;
    for (const auto& help : HelpTexts()) topics.insert(help.topic);
    EXPECT_EQ(topics.size(), 10u);
    EXPECT_EQ(HelpTexts().size(), 10u);
}

// The two posting commands tell every form of the window argument, and the key that writes a
// description; 鼠标移动 names the key that writes its statement.
TEST(HelpTextsTest, ThePostingCommandsShowTheWindowForms) {
    for (const HelpTopic topic : {HelpTopic::MouseMessage, HelpTopic::KeyMessage}) {
        const auto help = FindHelpText(topic);
        ASSERT_TRUE(help.has_value());
        const std::string text = help->text;
        for (const char* form : {"进程:", "标题:", "类:", "目标", "Insert", "句柄"})
            EXPECT_NE(text.find(form), std::string::npos) << form << " in " << text;
        EXPECT_EQ(help->boxHeight, 200);
    }
    const std::string mouse = FindHelpText(HelpTopic::MouseMessage)->text;
    for (const char* form : {";", ">类:Edit", "#2", "* 和 ?", "0代表桌面", "哪一行"})
        EXPECT_NE(mouse.find(form), std::string::npos) << form;
    EXPECT_NE(std::string(FindHelpText(HelpTopic::Move)->text).find("PageUp"), std::string::npos);
}

}  // namespace
}  // namespace kavo
