#!/usr/bin/env python3
"""Writes the example library in examples/content: GBK text, CR LF line ends, no line end after
the last line, as the program itself stores pages.

Copy the content folder beside kavo.exe to see the examples in the tree. Run this script again
after editing a page here; it checks that every command is shown, that each statement names a
command with the right number of arguments, and that comment lines hold no half-width
parentheses (a line with "(" and ")" would run as a statement).
"""
import pathlib

PAGES = {
    "示例脚本/1 欢迎使用": """\
// 欢迎使用KAVO脚本助手！这是一页示例脚本。
// 每一行写一条命令，格式是：命令名，紧跟半角括号，括号里写参数，参数之间用半角逗号隔开。
// 不带半角括号的行不会执行，可以当作说明文字，就像这一行。
// 点“直接运行”就执行这一页。运行时主窗口会隐藏，点通知区域里的图标可以把它找回来。
//
// 信息框：弹出一个消息框，第一个参数是标题，第二个参数是内容，点确定以后脚本才继续。
信息框(欢迎,这页脚本会在鼠标旁边弹出一个气球提示，等两秒，再弹出一个消息框。它不会动你的鼠标和键盘。)
// 气球提示框：在鼠标所在的位置显示一段提示，脚本不等它消失就继续往下走。
气球提示框(你好，我是气球提示框)
// 延时：等待一段时间，单位是毫秒，1000毫秒就是1秒。
延时(2000)
信息框(完成,示例运行完毕。可以在左边的目录里打开其他示例看看。)""",
    "示例脚本/2 记事本打字": """\
// 这页脚本会打开记事本，在里面打几行字。
信息框(记事本打字,这页脚本会打开记事本并在里面打字。运行期间请不要切换窗口。)
// 运行：启动一个程序，参数是命令行。这里启动Windows自带的记事本。
运行(notepad.exe)
// 等记事本的窗口出来。
延时(1000)
// 按键：把文字一个键一个键地按出来，适合英文字母、数字和空格。
// 第二个参数是每按一个键之后停顿的毫秒数，也就是打字的速度。
按键(HELLO KAVO,100)
// 特殊按键：按一下某个键，参数是键代码，13是回车键。
// 键代码可以在“设置”菜单的“查看键代码”里查到。
特殊按键(13)
// 计次循环：把从这里到“计次循环尾”之间的命令重复执行几次。
// 第一个参数是次数，第二个参数是这个循环的编号，计次循环尾里要写同样的编号。
计次循环(3,1)
按键(LINE,50)
特殊按键(13)
计次循环尾(1)
信息框(记事本打字,打完了。记事本可以直接关掉，不用保存。)""",
    "示例脚本/3 循环套循环": """\
// 计次循环可以一层套一层，里外两层要用不同的编号。
// 这页脚本只在鼠标旁边弹出几次气球提示，不会点击任何东西。
信息框(循环套循环,外层循环2次，内层循环3次，一共会弹出6次气球提示。)
计次循环(2,1)
计次循环(3,2)
气球提示框(又一次气球提示)
延时(800)
计次循环尾(2)
// 每做完一轮内层循环，多等一会儿。
延时(1000)
计次循环尾(1)
信息框(循环套循环,完成。)""",
    "鼠标与键盘/鼠标移动与单击": """\
// 这页脚本演示鼠标命令。
// 按F1可以打开或关闭坐标显示，方便把屏幕上的坐标写进脚本。
信息框(鼠标,鼠标会在屏幕上画一个小方框，然后在原地单击右键打开菜单，再按Esc把菜单关掉。)
// 鼠标移动：把鼠标一步一步移到屏幕上的一个点，两个参数是横坐标和纵坐标，单位是像素。
鼠标移动(300,300)
鼠标移动(400,300)
鼠标移动(400,400)
鼠标移动(300,400)
鼠标移动(300,300)
延时(500)
// 鼠标：在鼠标现在的位置单击一下，参数写“左键”或“右键”。
鼠标(右键)
延时(1000)
// 特殊按键27是Esc键，用来关掉刚才打开的菜单。
特殊按键(27)
信息框(鼠标,下面演示单击左键：点确定以后有3秒时间，请把鼠标放到一块空白的地方。)
延时(3000)
鼠标(左键)
信息框(鼠标,完成。)""",
    "鼠标与键盘/窗口消息": """\
// 鼠标消息和按键消息不动真正的鼠标和键盘，而是把消息直接送给一个窗口，窗口在后台也能收到。
// 第一个参数是目标窗口的句柄，写十进制数字。下面的例子都写0，用的时候换成你要控制的窗口的句柄。
//
// 鼠标消息的参数依次是：窗口、横坐标、纵坐标、按钮、动作，坐标从窗口客户区的左上角算起。
// 按钮：0或1是左键，2是右键，3是中键，4是滚轮向前，5是滚轮向后。
// 动作：0或1是单击，2是双击，3是按下，4是放开。
// 窗口写0时鼠标消息送给桌面窗口，桌面不理会这些消息，所以下面两行可以放心运行。
鼠标消息(0,100,100,1,1)
鼠标消息(0,100,100,2,2)
//
// 按键消息的参数依次是：窗口、键代码、方式。65是字母A的键代码。
// 方式：1是发送一个字符，2或3是按下，4是放开，5是先按下再放开。
// 窗口写0时按键消息送回本程序自己，不会影响别的窗口。
按键消息(0,65,1)
按键消息(0,65,5)
信息框(窗口消息,消息已经发出。把句柄换成记事本编辑区的句柄，就能在后台给记事本打字。)""",
}

# Name and number of arguments of every command.
COMMANDS = {
    "信息框": 2, "鼠标": 1, "延时": 1, "鼠标消息": 5, "按键消息": 3, "鼠标移动": 2,
    "气球提示框": 1, "计次循环": 2, "按键": 2, "运行": 1, "特殊按键": 1, "计次循环尾": 1,
}


def statements(line):
    """The statements of one line, found the way the program finds them."""
    found = []
    position = 0
    while True:
        opening = line.find("(", position)
        if opening < 0:
            return found
        closing = line.find(")", opening + 1)
        if closing < 0:
            return found
        found.append((line[position:opening].replace(" ", "").replace("\u3000", ""),
                      line[opening + 1:closing]))
        position = closing + 1


def check(name, text):
    used = set()
    for number, line in enumerate(text.split("\n"), 1):
        where = f"{name}, line {number}"
        if line.startswith("//"):
            assert "(" not in line and ")" not in line, f"{where}: parentheses in a comment"
            continue
        found = statements(line)
        assert len(found) == 1, f"{where}: one statement per line"
        command, arguments = found[0]
        assert command in COMMANDS, f"{where}: unknown command {command}"
        parts = arguments.split(",") if arguments else []
        assert len(parts) == COMMANDS[command], f"{where}: {len(parts)} arguments"
        assert line == f"{command}({arguments})", f"{where}: text around the statement"
        used.add(command)
    return used


def main():
    root = pathlib.Path(__file__).resolve().parent / "content"
    used = set()
    for name, text in PAGES.items():
        used |= check(name, text)
        path = root / (name + ".txt")
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(text.replace("\n", "\r\n").encode("gbk"))
    missing = set(COMMANDS) - used
    assert not missing, f"commands without an example: {sorted(missing)}"
    print(f"wrote {len(PAGES)} pages to {root}")


if __name__ == "__main__":
    main()
