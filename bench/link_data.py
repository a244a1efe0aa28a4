#!/usr/bin/env python3
"""Writes the inputs of the torvane-link benchmark: N addresses, one a line,
and the thunder links of the same addresses (GBK, as the main program makes
them). Made with Python's own base64 and codecs, not with torvane-link.

    link_data.py N ADDRESSES-FILE LINKS-FILE
"""
import base64
import random
import sys


def addresses(count):
    rng = random.Random(936)
    hosts = ["dl.example.com", "mirror.example.org", "cdn%d.example.net", "files.example.cn"]
    words = ["setup", "archive", "movie", "music", "backup", "driver", "patch", "docs"]
    chinese = ["下载", "电影", "音乐", "文件", "软件", "资料", "备份", "驱动"]
    for i in range(count):
        host = rng.choice(hosts).replace("%d", str(rng.randrange(10)))
        if i % 10 == 9:
            # One address in ten has Chinese characters in it.
            name = "%s/%s%d" % (rng.choice(chinese), rng.choice(chinese), i)
        else:
            name = "%s/%s-%d" % (rng.choice(words), rng.choice(words), i)
        scheme = "https" if i % 4 == 0 else ("ftp" if i % 17 == 0 else "http")
        yield "%s://%s/%s.%s" % (scheme, host, name, rng.choice(["zip", "rar", "iso", "mkv", "exe"]))


def main():
    count, address_path, link_path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    with open(address_path, "w", encoding="utf-8", newline="\n") as plain, \
            open(link_path, "w", encoding="ascii", newline="\n") as links:
        for address in addresses(count):
            plain.write(address + "\n")
            payload = ("AA" + address + "ZZ").encode("gbk")
            links.write("thunder://" + base64.b64encode(payload).decode("ascii") + "\n")


if __name__ == "__main__":
    main()
