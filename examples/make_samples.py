#!/usr/bin/env python3
"""Writes the sample contact pages in this folder.

contacts.html is a saved QQ Mail contact-list page as browsers of the GBK era stored it: GBK
bytes, CR LF line ends. contacts-utf8.html is its twin saved as UTF-8. Both are made up; run
this script again after changing the contacts below (Python 3, standard library only):

    python3 examples/make_samples.py
"""

import pathlib

HERE = pathlib.Path(__file__).resolve().parent

# (QQ number or None, name, mail address). The address decides the QQ field: only addresses
# at qq.com give a number.
CONTACTS = [
    ("10001", "张伟", None),
    ("25803", "王芳", None),
    ("123456", "李娜", None),
    ("8032176", "刘洋", None),
    ("45678912", "陈静", None),
    ("302918475", "杨磊", None),
    ("1507346289", "赵敏", None),
    ("2846013579", "黄强", None),
    (None, "周杰", "zhoujie1987@163.com"),
    ("77218", "吴丽", None),
    (None, "Tom Lee", "tom.lee@gmail.com"),
    ("936015", "徐涛", None),
    (None, "孙艳", "sunyan@foxmail.com"),
    ("5201314", "Alice", None),
    ("61872034", "胡军", None),
    (None, "朱红", "zhuhong_88@126.com"),
    ("418807", "高飞", None),
    (None, "林峰", "linfeng@vip.qq.com"),  # qq.com, but not "@qq.com"
    ("38900", "Bob Smith", None),
    ("10086", "何勇", None),
    ("99887766", "郭琳", None),
    (None, "马超", "machao@sina.com"),
    ("1185402", "罗兰", None),
    ("287650943", "梁晨", None),
    (None, "Lü Bing", "lubing@hotmail.com"),
    ("3190552", "宋佳", None),
    # Names whose GBK characters have '@' (0x40) or '\' (0x5C) as their second byte.
    ("20480", "林誠", None),  # 誠 = D5 5C
    ("65432109", "花園", None),  # 園 = 88 40
    ("740126", "錦桜", None),  # 錦 = E5 5C, 桜 = 97 40
    # A nickname that holds "qq.com" right behind a character ending in '@': read by
    # character, the QQ number is still found behind " e=\"".
    ("836401", "花園qq.com", None),
    ("54321", "郑浩", None),
    ("1470258369", "谢婷", None),
]

HEADER = """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset={charset}">
<title>QQ邮箱 - 通讯录</title>
<link rel="stylesheet" type="text/css" href="/zh_CN/htmledition/style/comm2.css">
<style type="text/css">
body{{margin:0;font:12px/1.5 "宋体",Verdana;}}
#list li{{height:22px;overflow:hidden;}}
li.L_n{{padding-left:4px;}}
li.l_n_sel{{background:#e8f0fd;}}
</style>
<script type="text/javascript">
var sid = "Ab3kZ9qLmR2xYw7T";
function selectAll(bOn) {{
  var items = document.getElementsByName("c");
  for (var i = 0; i < items.length; i++) items[i].checked = bOn;
}}
</script>
</head>
<body>
<div class="toolbar"><a href="javascript:selectAll(true)">全选</a> | <a href="javascript:selectAll(false)">取消</a></div>
<div class="grp">我的好友（{count}）</div>
<ul id="list">"""

FOOTER = """</ul>
<div class="foot">Copyright &copy; 1998 - 2009 Tencent. All Rights Reserved</div>
</body>
</html>
"""


def contact_line(name, address):
    return (f'<li class="L_n"><input type="checkbox" name="c" n="{name}" e="{address}">'
            f"&nbsp;{name} &lt;{address}&gt;</li>")


def address_of(qq, address):
    return address if address is not None else f"{qq}@qq.com"


def page(charset):
    """The page as text lines, and the lines that are raw bytes of another encoding."""
    lines = HEADER.format(charset=charset, count=len(CONTACTS) + 3).split("\n")
    for i, (qq, name, address) in enumerate(CONTACTS):
        lines.append(contact_line(name, address_of(qq, address)))
        if i == 9:
            lines.append('<li class="grp">同事</li>')
            lines.append('<li class="l_n">以下为企业通讯录</li>')
        if i == 19:
            # No name attribute: the name's start marker is missing.
            lines.append('<li class="L_n"><input type="checkbox" name="c" e="8888@qq.com">'
                         "&nbsp;8888@qq.com</li>")
            # XHTML style "/>" before &nbsp: the e-mail's end marker is missing.
            lines.append('<li class="L_n"><input type="checkbox" name="c" n="韩雪" '
                         'e="5550123@qq.com"/>&nbsp;韩雪</li>')
            # Two contacts on one line: only the first counts.
            lines.append(contact_line("唐亮", "3456789@qq.com") +
                         contact_line("冯凯", "4567890@qq.com"))
    lines.append(contact_line("José", "jose@gmail.com"))
    return lines + FOOTER.split("\n")


def write(path, lines, encoding):
    data = "\r\n".join(lines).encode(encoding)
    if encoding == "gbk":
        # A name pasted from a Latin-1 page: 0xE9 is a GBK lead byte and takes the quote behind
        # it along, so the name's end marker is not found on that line.
        data = data.replace("José".encode("gbk"), "José".encode("latin-1"))
    path.write_bytes(data)


def main():
    gbk = page("gb2312")
    # The names with the interesting second bytes really have them.
    assert b"\xd5\x5c" in "林誠".encode("gbk") and b"\x88\x40" in "花園".encode("gbk")
    assert "錦桜".encode("gbk") == b"\xe5\x5c\x97\x40"
    write(HERE / "contacts.html", gbk, "gbk")
    write(HERE / "contacts-utf8.html", page("utf-8"), "utf-8")


if __name__ == "__main__":
    main()
