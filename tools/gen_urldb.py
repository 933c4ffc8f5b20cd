#!/usr/bin/env python3
"""Writes a Korvadel URL database file (full form) for the load and save benchmarks.

Every record has all its numbered lines, as Korvadel writes them: URLs on a handful of
Japanese-style hosts with paths and queries, titles mixing kanji, kana, half-width katakana and
ASCII (at most 64 bytes in Shift-JIS), collection states and times, a page body for one record in
five, credentials for one in fifty. Text is Shift-JIS, lines end in CR LF.

Records are in URL order, as Korvadel keeps them, or shuffled with --shuffle. The output is the
same for the same seed and count.

Usage: gen_urldb.py OUTPUT_FILE --records 100000 [--shuffle] [--seed 20261209]
"""

import argparse
import base64
import os
import random

KANJI_WORDS = (
    "日本 検索 情報 新聞 天気 地図 旅行 料理 音楽 映画 経済 政治 会社 大学 研究 技術 開発 "
    "表示 予約 能力 十分 東京 大阪 京都 北海道 沖縄 写真 掲示板 日記 趣味 株価 辞書 翻訳 "
    "無料 便利 最新 一覧 案内 紹介 公式 個人 作品 野球 釣り 温泉 鉄道 時刻表 自動車"
).split()
HIRAGANA = "の を に は が と で も や から まで より です ます について まとめ など".split()
KATAKANA_WORDS = (
    "ブックマーク ニュース ホームページ ソフトウェア ダウンロード ゲーム ショッピング "
    "オークション サポート リンク メール サーバー データベース プログラム ソフト レシピ"
).split()
HANKAKU_WORDS = "ﾆｭｰｽ ﾎｰﾑﾍﾟｰｼﾞ ｿﾌﾄ ﾀﾞｳﾝﾛｰﾄﾞ ｹﾞｰﾑ ﾘﾝｸ".split()
ASCII_WORDS = "Yahoo! News Web PC DVD Linux Windows FAQ Q&A Blog Wiki FTP".split()
SYMBOLS = "・「」（）【】『』、。！？ー："
HOSTS = (
    "www.example.co.jp", "news.example.ne.jp", "homepage%d.example.or.jp", "www.example.ac.jp",
    "shop.example.com", "www.example.go.jp", "blog%d.example.jp", "members.example.net",
    "www%d.example.jp", "search.example.co.jp",
)
PATH_WORDS = "index news search list detail item archive ~user cgi-bin top help".split()


def title(rng):
    parts = []
    for _ in range(rng.randint(2, 8)):
        pick = rng.random()
        if pick < 0.40:
            parts.append(rng.choice(KANJI_WORDS))
        elif pick < 0.55:
            parts.append(rng.choice(HIRAGANA))
        elif pick < 0.72:
            parts.append(rng.choice(KATAKANA_WORDS))
        elif pick < 0.80:
            parts.append(rng.choice(HANKAKU_WORDS))
        elif pick < 0.92:
            parts.append(rng.choice(ASCII_WORDS) + " ")
        else:
            parts.append(rng.choice(SYMBOLS))
    data = "".join(parts).encode("cp932")
    # At most 64 bytes, never half a character.
    while len(data) > 64:
        parts.pop()
        data = "".join(parts).encode("cp932")
    return data


def url(rng, index):
    host = rng.choice(HOSTS)
    if "%d" in host:
        host = host % rng.randint(1, 300)
    path = "/".join(rng.choice(PATH_WORDS) for _ in range(rng.randint(1, 3)))
    query = ""
    if rng.random() < 0.3:
        query = "?id=%d&page=%d&lang=ja" % (rng.randint(1, 999999), rng.randint(1, 50))
    # The index keeps every URL distinct.
    return ("http://%s/%s/%d.html%s" % (host, path, index, query)).encode("ascii")


def password(rng):
    text = "".join(rng.choice("abcdefghijkmnpqrstuvwxyz23456789") for _ in range(8))
    hexed = "".join("%02X" % ord(c) for c in text)
    return base64.b64encode(hexed.encode("ascii"))


def record(rng, address):
    first = rng.randint(900000000, 1150000000)
    status = rng.choice((0, 200, 200, 200, 304, 404, 500))
    lines = [b"0," + address, b"1," + title(rng), b"2," + (title(rng) if rng.random() < 0.3 else b""),
             b"3," + (b"HTTP/1.1 %d" % status if status else b"")]
    body = b""
    if rng.random() < 0.2:
        body = b"".join(title(rng) for _ in range(rng.randint(2, 6)))
        lines.append(b"4," + body)
    authorized = rng.random() < 0.02
    lines += [
        b"5,%d" % len(body),
        b"6,%d" % rng.randint(0, 500),
        b"7,%d" % rng.randint(0, 5),
        b"8,%d" % status,
        b"9,%d" % first,
        b"10,%d" % (first + rng.randint(0, 9999999)),
        b"11,%d" % (first + rng.randint(0, 9999999)),
        b"12,%d" % (0 if rng.random() < 0.05 else 1),
        b"13,%d" % (first + rng.randint(0, 99999999)),
        b"14,%d" % (1 if authorized else 0),
        b"15," + (b"user%d" % rng.randint(1, 99) if authorized else b""),
        b"16," + (password(rng) if authorized else b""),
        b"17,0",
        b"18,%d" % rng.randint(0, 5),
        b"19,%d" % rng.choice((0, 0, 0, 1, 2, 3, 9)),
    ]
    return b"\r\n".join(lines) + b"\r\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--records", type=int, required=True)
    parser.add_argument("--shuffle", action="store_true")
    parser.add_argument("--seed", type=int, default=20261209)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    addresses = sorted(url(rng, i) for i in range(args.records))
    if args.shuffle:
        rng.shuffle(addresses)
    folder = os.path.dirname(os.path.abspath(args.output))
    os.makedirs(folder, exist_ok=True)
    with open(args.output + ".tmp", "wb") as out:
        out.write(b"size=%d\r\n" % args.records)
        for address in addresses:
            out.write(record(rng, address))
    os.replace(args.output + ".tmp", args.output)


if __name__ == "__main__":
    main()
