#!/usr/bin/env python3
"""Writes the benchmark corpus: a deterministic folder of about 100 MB shaped like a web
site. About 70% of the bytes are HTML, CSS and JavaScript text in many files and
sub-folders (Chinese and English text, as the books this system packs hold), about 30%
are incompressible: "images" (random bytes with picture names) and a few large "media"
files (video and sound clips of 5 to 9 MB, larger than the writer reads whole).

usage: make_corpus.py OUTDIR [--mb N] [--seed S] [--ascii-names]

--ascii-names writes the Chinese file and folder names as ASCII (hexadecimal), for
programs that do not run in code page 936; the contents stay the same.

The same arguments always give the same files, byte for byte. A corpus already made with
the same arguments is left as it is (OUTDIR.stamp, beside it, records them).
"""
import argparse
import os
import random
import shutil
import sys

VERSION = 3

ENGLISH = ("the of and to in is that for it as was with be by on not he this are or his from at which but "
           "have an they you were her she there been one all we their has would when what more if no out "
           "so said who up can could them other than then its into only some time these two may first do "
           "chapter page book reader story night river mountain letter window garden").split()
CHINESE = ("的 一 是 在 不 了 有 和 人 这 中 大 为 上 个 国 我 以 要 他 时 来 用 们 生 到 作 地 于 出 就 分 对 成 "
           "会 可 主 发 年 动 同 工 也 能 下 过 子 说 产 种 面 而 方 后 多 定 行 学 法 所 民 得 经 十 三 之 进 着 "
           "等 部 度 家 电 力 里 如 水 化 高 自 二 理 起 小 物 现 实 加 量 都 两 体 制 机 当 使 点 从 业 本 去 把 "
           "性 好 应 开 它 合 还 因 由 其 些 然 前 外 天 政 四 日 那 社 义 事 平 形 相 全 表 间 样 与 关 各 重 新 "
           "线 内 数 正 心 反 你 明 看 原 又 么 利 比 或 但 质 气 第 向 道 命 此 变 条 只 没 结 解 问 意 建 月 公 "
           "无 系 军 很 情 者 最 立 代 想 已 通 并 提 直 题 党 程 展 五 果 料 象 员 革 位 入 常 文 总 次 品 式 活 "
           "设 及 管 特 件 长 求 老 头 基 资 边 流 路 级 少 图 山 统 接 知 较 将 组 见 计 别 她 手 角 期 根 论 运 "
           "农 指 几 九 区 强 放 决 西 被 干 做 必 战 先 回 则 任 取 据 处 队 南 给 色 光 门 即 保 治 北 造 百 规 "
           "热 领 七 海 口 东 导 器 压 志 世 金 增 争 济 阶 油 思 术 极 交 受 联 什 认 六 共 权 收 证 改 清 己 美 "
           "再 采 转 更 单 风 切 打 白 教 速 花 带 安 场 身 车 例 真 务 具 万 每 目 至 达 走 积 示 议 声 报 斗 完 "
           "类 八 离 华 名 确 才 科 张 信 马 节 话 米 整 空 元 况 今 集 温 传 土 许 步 群 广 石 记 需 段 研 界 拉 "
           "林 律 叫 且 究 观 越 织 装 影 算 低 持 音 众 书 布 复 容 儿 须 际 商 非 验 连 断 深 难 近 矿 千 周 委 "
           "素 技 备 半 办 青 省 列 习 响 约 支 般 史 感 劳 便 团 往 酸 历 市 克 何 除 消 构 府 称 太 准 精 值 号 "
           "率 族 维 划 选 标 写 存 候 毛 亲 快 效 斯 院 查 江 型 眼 王 按 格 养 易 置 派 层 片 始 却 专 状 育 厂 "
           "京 识 适 属 圆 包 火 住 调 满 县 局 照 参 红 细 引 听 该 铁 价 严").split()
TAGS = ["p", "div", "span", "li", "td", "h2", "h3", "em", "strong", "a"]
CLASSES = ["content", "nav", "footer", "header", "chapter", "note", "title", "menu", "item", "box", "left", "right"]
FOLDERS = ["chapter", "section", "part", "notes", "appendix", "images", "css", "js", "pics", "gallery"]


def vocabulary(seed):
    """Chinese words of one to four characters, most frequent first."""
    rnd = random.Random(seed)
    return ["".join(rnd.choice(CHINESE) for _ in range(rnd.choice((1, 2, 2, 2, 3, 4)))) for _ in range(3000)]


def skewed(rnd, items):
    # Few words are frequent, many are rare, as in real text.
    return items[int(len(items) * rnd.random() ** 3)]


def sentence(rnd, words):
    if rnd.random() < 0.6:
        return "".join(skewed(rnd, words) for _ in range(rnd.randint(5, 25))) + "。"
    return " ".join(skewed(rnd, ENGLISH) for _ in range(rnd.randint(6, 24))).capitalize() + "."


def html_file(rnd, words, size, title):
    parts = ["<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\">\n<title>%s</title>\n"
             "<link rel=\"stylesheet\" href=\"../css/style.css\">\n<script src=\"../js/main.js\"></script>\n"
             "</head>\n<body>\n" % title]
    n = len(parts[0])
    while n < size:
        tag, cls = rnd.choice(TAGS), rnd.choice(CLASSES)
        text = " ".join(sentence(rnd, words) for _ in range(rnd.randint(1, 5)))
        line = "<%s class=\"%s\" id=\"n%d\">%s</%s>\n" % (tag, cls, rnd.randint(0, 99999), text, tag)
        if rnd.random() < 0.1:
            line += "<img src=\"../images/p%04d.jpg\" width=\"%d\" height=\"%d\" alt=\"%s\">\n" % (
                rnd.randint(0, 9999), rnd.randint(50, 800), rnd.randint(50, 600), rnd.choice(CHINESE) * 2)
        parts.append(line)
        n += len(line.encode("gbk"))
    parts.append("</body>\n</html>\n")
    return "".join(parts).encode("gbk")[:size]


def css_file(rnd, size):
    out, n = [], 0
    while n < size:
        rule = ".%s-%d { color: #%06x; margin: %dpx %dpx; font-size: %dpt; background: url(../images/b%03d.gif); }\n" % (
            rnd.choice(CLASSES), rnd.randint(0, 999), rnd.getrandbits(24), rnd.randint(0, 40), rnd.randint(0, 40),
            rnd.randint(8, 24), rnd.randint(0, 999))
        out.append(rule)
        n += len(rule)
    return "".join(out).encode("ascii")[:size]


def js_file(rnd, size):
    out, n = [], 0
    while n < size:
        name = rnd.choice(ENGLISH) + str(rnd.randint(0, 999))
        line = ("function %s(el, n) {\n  var v = document.getElementById('n%d');\n"
                "  if (v && n > %d) { v.style.display = '%s'; return n * %d; }\n  return %s(el, n - 1);\n}\n" % (
                    name, rnd.randint(0, 99999), rnd.randint(0, 99), rnd.choice(["none", "block", "inline"]),
                    rnd.randint(2, 9), name))
        out.append(line)
        n += len(line)
    return "".join(out).encode("ascii")[:size]


def text_size(rnd):
    return int(min(400000, max(1500, rnd.lognormvariate(9.6, 0.9))))


def image_size(rnd):
    return int(min(1500000, max(4000, rnd.lognormvariate(11.1, 0.8))))


def make(out, total, seed, ascii_names):
    def name_of(n):
        return n.encode("utf-8").hex() if ascii_names and not n.isascii() else n

    rnd = random.Random(seed)
    words = vocabulary(seed)
    text_goal, image_goal = int(total * 0.7), total - int(total * 0.7)
    folders = [""]
    for i in range(60):
        parent = rnd.choice(folders) if rnd.random() < 0.5 and len(folders) > 1 else ""
        name = "%s%02d" % (rnd.choice(FOLDERS), i) if rnd.random() < 0.8 else "第%d章" % i
        name = name_of(name)
        folders.append(os.path.join(parent, name) if parent else name)
    for f in folders + ["css", "js", "images"]:
        os.makedirs(os.path.join(out, f), exist_ok=True)
    written = 0
    k = 0
    while written < text_goal:
        size = min(text_size(rnd), text_goal - written)
        folder = rnd.choice(folders)
        kind = rnd.random()
        if kind < 0.8:
            name = name_of(("page%04d.htm" % k) if rnd.random() < 0.9 else ("页%d.htm" % k))
            data = html_file(rnd, words, size, "%s %d" % (rnd.choice(CHINESE), k))
        elif kind < 0.9:
            folder, name, data = "css", "style%03d.css" % k, css_file(rnd, size)
        else:
            folder, name, data = "js", "script%03d.js" % k, js_file(rnd, size)
        with open(os.path.join(out, folder, name), "wb") as f:
            f.write(data)
        written += len(data)
        k += 1
    # The media files come out of the images' share.
    os.makedirs(os.path.join(out, "media"), exist_ok=True)
    written = 0
    for i, (mb, ext) in enumerate(((5, "mp4"), (7, "avi"), (9, "mp3"))):
        size = min(mb * 1000 * 1000, image_goal - written)
        with open(os.path.join(out, "media", "clip%02d.%s" % (i, ext)), "wb") as f:
            f.write(rnd.randbytes(size))
        written += size
    while written < image_goal:
        size = min(image_size(rnd), image_goal - written)
        folder = rnd.choice(["images"] + folders)
        name = "p%04d.%s" % (k, rnd.choice(["jpg", "jpg", "png", "gif"]))
        with open(os.path.join(out, folder, name), "wb") as f:
            f.write(rnd.randbytes(size))
        written += size
        k += 1


def main(argv):
    parser = argparse.ArgumentParser(description="Writes the benchmark corpus.")
    parser.add_argument("outdir")
    parser.add_argument("--mb", type=int, default=100)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--ascii-names", action="store_true")
    a = parser.parse_args(argv)
    want = "version %d mb %d seed %d ascii %d\n" % (VERSION, a.mb, a.seed, a.ascii_names)
    stamp = a.outdir.rstrip("/") + ".stamp"
    if os.path.exists(stamp) and open(stamp).read() == want:
        return 0
    shutil.rmtree(a.outdir, ignore_errors=True)
    os.makedirs(a.outdir)
    make(a.outdir, a.mb * 1000 * 1000, a.seed, a.ascii_names)
    with open(stamp, "w") as f:
        f.write(want)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
