#!/usr/bin/env python3
"""Writes a Japanese bookmark-like text corpus for the encoding benchmark.

One line after another as a Netscape bookmark file has them (links with long URLs and
attributes, folder headings, descriptions), with titles mixing kanji, hiragana, katakana,
half-width katakana and ASCII. The same text is written in four encodings:

  japanese-sjis.txt   Shift-JIS (code page 932)
  japanese-utf8.txt   UTF-8
  japanese-euc.txt    EUC-JP
  japanese-jis.txt    ISO-2022-JP (half-width katakana widened, as ISO-2022-JP has none)

Lines end in LF. The output is the same for the same seed and size.

Usage: gen_japanese_corpus.py OUTPUT_FOLDER [--megabytes 50] [--seed 20260101]
"""

import argparse
import os
import random
import unicodedata

KANJI_WORDS = (
    "日本 検索 情報 新聞 天気 地図 旅行 料理 音楽 映画 経済 政治 会社 大学 研究 技術 開発 "
    "表示 予約 能力 十分 東京 大阪 京都 北海道 沖縄 写真 掲示板 日記 趣味 株価 辞書 翻訳 "
    "無料 便利 最新 一覧 案内 紹介 公式 個人 作品 野球 釣り 温泉 鉄道 時刻表 自動車 "
    "電子 書籍 図書館 病院 健康 教育 資格 試験 求人 不動産 銀行 保険 通販 雑誌 漫画 "
    "番組 放送 気象 地震 速報 動物 植物 歴史 文化 美術 博物館 将棋 囲碁 俳句 短歌"
).split()
HIRAGANA = "の を に は が と で も や から まで より です ます について まとめ など ほか".split()
KATAKANA_WORDS = (
    "ブックマーク ニュース ホームページ ソフトウェア ダウンロード ゲーム ショッピング "
    "オークション サポート リンク メール サーバー データベース プログラム インターネット "
    "コンピュータ レシピ ホテル チケット スポーツ カメラ デジタル ネットワーク セキュリティ"
).split()
HANKAKU_WORDS = "ﾆｭｰｽ ﾎｰﾑﾍﾟｰｼﾞ ｿﾌﾄ ﾀﾞｳﾝﾛｰﾄﾞ ｹﾞｰﾑ ﾘﾝｸ ﾒｰﾙ ｶﾀﾛｸﾞ ｻﾎﾟｰﾄ ﾌﾞﾛｸﾞ".split()
ASCII_WORDS = "Yahoo! Google News Web PC CD DVD Linux Windows Mac FAQ Q&A Blog Wiki FTP".split()
SYMBOLS = "・「」（）【】『』、。！？ー："
HOSTS = (
    "www.example.co.jp", "news.example.ne.jp", "homepage.example.or.jp", "www.example.ac.jp",
    "shop.example.com", "www.example.go.jp", "blog.example.jp", "members.example.net",
)
PATH_WORDS = "index news search list detail item archive ~user cgi-bin top help".split()


def level1_kanji(rng):
    """A random JIS X 0208 level-1 kanji (rows 16-47)."""
    while True:
        row = rng.randint(0xB0, 0xCF)
        cell = rng.randint(0xA1, 0xFE)
        try:
            return bytes((row, cell)).decode("euc-jp")
        except UnicodeDecodeError:
            continue


def title(rng):
    parts = []
    for _ in range(rng.randint(2, 9)):
        pick = rng.random()
        if pick < 0.35:
            parts.append(rng.choice(KANJI_WORDS))
        elif pick < 0.45:
            parts.append("".join(level1_kanji(rng) for _ in range(rng.randint(1, 3))))
        elif pick < 0.60:
            parts.append(rng.choice(HIRAGANA))
        elif pick < 0.75:
            parts.append(rng.choice(KATAKANA_WORDS))
        elif pick < 0.82:
            parts.append(rng.choice(HANKAKU_WORDS))
        elif pick < 0.92:
            parts.append(rng.choice(ASCII_WORDS) + " ")
        else:
            parts.append(rng.choice(SYMBOLS))
    return "".join(parts)


def url(rng):
    path = "/".join(rng.choice(PATH_WORDS) for _ in range(rng.randint(1, 4)))
    query = ""
    if rng.random() < 0.4:
        query = "?id=%d&page=%d&lang=ja" % (rng.randint(1, 999999), rng.randint(1, 50))
    return "http://%s/%s/%d.html%s" % (rng.choice(HOSTS), path, rng.randint(1, 99999), query)


def line(rng, depth):
    indent = "    " * depth
    date = rng.randint(900000000, 1100000000)
    pick = rng.random()
    if pick < 0.60:
        return '%s<DT><A HREF="%s" ADD_DATE="%d" LAST_VISIT="%d" LAST_MODIFIED="%d">%s</A>' % (
            indent, url(rng), date, date + rng.randint(0, 9999999), date, title(rng))
    if pick < 0.72:
        return '%s<DT><H3 FOLDED ADD_DATE="%d">%s</H3>' % (indent, date, title(rng))
    return "%s<DD>%s%s%s" % (indent, title(rng), rng.choice(HIRAGANA), title(rng))


def widen_hankaku(text):
    """Half-width katakana one by one to full-width; sound marks stay separate characters."""
    marks = {"\uff9e": "\u309b", "\uff9f": "\u309c"}
    return "".join(
        marks.get(ch) or unicodedata.normalize("NFKC", ch) if "\uff61" <= ch <= "\uff9f" else ch
        for ch in text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--megabytes", type=float, default=50)
    parser.add_argument("--seed", type=int, default=20260101)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    target = int(args.megabytes * 1024 * 1024)
    lines = []
    size = 0
    while size < target:
        text = line(rng, rng.randint(1, 4))
        lines.append(text)
        size += len(text.encode("cp932")) + 1
    text = "\n".join(lines) + "\n"

    os.makedirs(args.output, exist_ok=True)
    outputs = {
        "japanese-sjis.txt": text.encode("cp932"),
        "japanese-utf8.txt": text.encode("utf-8"),
        "japanese-euc.txt": text.encode("euc-jp"),
        "japanese-jis.txt": "\n".join(widen_hankaku(t).encode("iso2022_jp").decode("ascii")
                                      for t in lines).encode("ascii") + b"\n",
    }
    for name, data in outputs.items():
        path = os.path.join(args.output, name)
        with open(path + ".tmp", "wb") as out:
            out.write(data)
        os.replace(path + ".tmp", path)
        print("%s: %d bytes, %d lines" % (path, len(data), len(lines)))


if __name__ == "__main__":
    main()
