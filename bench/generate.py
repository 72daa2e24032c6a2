#!/usr/bin/env python3
"""Writes a synthetic saved contacts page of a given size, for the benchmark.

    bench/generate.py --size 512M --encoding gbk --output build/bench/page-gbk.html

About a third of the lines are contact lines such as

    <li class="L_n"><input type="checkbox" name="c" n="张伟" e="10001@qq.com">&nbsp;张伟 &lt;10001@qq.com&gt;</li>

with Chinese and Latin names and several mail domains; the rest are ordinary lines of HTML,
script and text. The same seed gives the same bytes. Lines end with CR LF unless --lf is given.
"""

import argparse
import random
import sys

SURNAMES = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤"
GIVEN = "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英华玉萍红娥玲芬芳燕彩春菊兰凤洁梅琳素云莲真环雪荣爱妹霞香月莺媛艳瑞凡佳嘉琼勤珍贞莉桂娣叶璧璐娅琦晶妍茜秋珊莎锦黛青倩婷姣婉娴瑾颖露瑶怡婵雁蓓纨仪荷丹蓉眉君琴蕊薇菁梦岚苑婕馨瑗琰韵融园艺咏卿聪澜纯毓悦昭冰爽琬茗羽希宁欣飘育滢馥筠柔竹霭凝晓欢霄枫芸菲寒伊亚宜可姬舒影荔枝思丽"
LATIN_FIRST = ["Alice", "Bob", "Carol", "David", "Emma", "Frank", "Grace", "Henry", "Ivy", "Jack",
               "Kate", "Leo", "Mia", "Nick", "Olivia", "Paul", "Quinn", "Rose", "Sam", "Tina",
               "Uma", "Victor", "Wendy", "Xavier", "Yuki", "Zoe"]
LATIN_LAST = ["Smith", "Chen", "Wang", "Lee", "Brown", "Zhang", "Liu", "Garcia", "Müller",
              "Nguyen", "Kim", "Tanaka", "Rossi", "Silva", "Novak", "O'Brien"]
DOMAINS = ["qq.com"] * 6 + ["vip.qq.com", "foxmail.com", "163.com", "126.com", "sina.com",
                            "gmail.com", "hotmail.com", "yahoo.com.cn", "sohu.com"]
WORDS = ["联系人", "通讯录", "写信", "收件箱", "草稿箱", "已发送", "全部联系人", "我的好友", "同事",
         "家人", "删除", "移动到", "更多操作", "导出", "搜索邮件", "设置", "帮助中心", "退出"]
TEMPLATES = [
    '<div class="toolbg toolbgline" style="height:{n}px">',
    '</div>',
    '<span class="addrtitle">{w}</span>',
    '<a href="javascript:;" onclick="getTop().goUrlMainFrm(\'/cgi-bin/laddr_list?sid={sid}&t=contact&s={n}\')">{w}</a>',
    '<td class="txt_title" nowrap>{w}（{n}）</td>',
    '<input type="hidden" name="sid" value="{sid}"/>',
    '<script type="text/javascript">var gnTotal = {n}, gsFolder = "{w}";</script>',
    '<img src="/zh_CN/htmledition/images/spacer{n}.gif" width="1" height="1" />',
    '<ul class="lst_contact" id="list_{n}">',
    '</ul>',
    '<li class="grp"><b>{w}</b> ({n})</li>',
    '<tr><td>&nbsp;</td><td class="addr_{n}">{w} {w}</td></tr>',
    '    if (oContact.n == "{w}") {{ showDetail({n}, true); }}',
    '<!-- {w} {n} -->',
    '<p>{w}：点击左侧分组可以查看该组的全部联系人，共 {n} 位。</p>',
    '<meta http-equiv="Content-Type" content="text/html; charset={charset}" />',
    '',
    '<link rel="stylesheet" type="text/css" href="/zh_CN/htmledition/style/comm{n}.css" />',
]


def chinese_name(rng):
    return rng.choice(SURNAMES) + "".join(rng.choice(GIVEN) for _ in range(rng.choice((1, 2, 2))))


def latin_name(rng):
    return rng.choice(LATIN_FIRST) + (" " + rng.choice(LATIN_LAST) if rng.random() < 0.6 else "")


def contact_line(rng):
    name = chinese_name(rng) if rng.random() < 0.7 else latin_name(rng)
    domain = rng.choice(DOMAINS)
    number = str(rng.randint(10000, 3999999999))
    local = number if domain.endswith("qq.com") or rng.random() < 0.3 else \
        (rng.choice(LATIN_FIRST).lower() + str(rng.randint(1, 9999)))
    email = local + "@" + domain
    return ('<li class="L_n"><input type="checkbox" name="c" n="%s" e="%s">&nbsp;%s &lt;%s&gt;</li>'
            % (name, email, name, email))


def other_line(rng, charset):
    text = rng.choice(TEMPLATES).format(
        n=rng.randint(0, 99999), w=rng.choice(WORDS),
        sid="".join(rng.choice("abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789") for _ in range(16)),
        charset=charset)
    indent = " " * rng.choice((0, 0, 2, 4, 8))
    return indent + text


def parse_size(text):
    units = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    text = text.strip().upper().removesuffix("B").removesuffix("I")
    if text and text[-1] in units:
        return int(float(text[:-1]) * units[text[-1]])
    return int(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size", default="512M", help="bytes, with K, M or G (default 512M)")
    parser.add_argument("--encoding", default="utf-8", choices=["utf-8", "gbk"])
    parser.add_argument("--output", required=True, help="file to write, - for standard output")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lf", action="store_true", help="end lines with LF instead of CR LF")
    args = parser.parse_args()

    size = parse_size(args.size)
    rng = random.Random(args.seed)
    charset = "gbk" if args.encoding == "gbk" else "utf-8"
    eol = b"\n" if args.lf else b"\r\n"

    def encode(line):
        return line.encode(args.encoding, errors="replace") + eol

    # Pools of distinct lines, drawn from at random: a third contact lines, the rest HTML.
    contacts = [encode(contact_line(rng)) for _ in range(50000)]
    others = [encode(other_line(rng, charset)) for _ in range(20000)]

    out = sys.stdout.buffer if args.output == "-" else open(args.output, "wb")
    with out:
        head = encode('<html><head><meta http-equiv="Content-Type" content="text/html; charset=%s" />'
                      % charset)
        out.write(head)
        written = len(head)
        while written < size:
            chunk = []
            for is_contact in rng.choices((True, False, False), k=20000):
                chunk.append(rng.choice(contacts) if is_contact else rng.choice(others))
            data = b"".join(chunk)
            if written + len(data) > size:
                data = data[:size - written]
                data = data[:data.rfind(b"\n") + 1]  # end on a whole line
                if not data:
                    break
            out.write(data)
            written += len(data)


if __name__ == "__main__":
    main()
