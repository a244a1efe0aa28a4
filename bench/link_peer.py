#!/usr/bin/env python3
"""The job torvane-link's benchmark compares against, done the way most
converters people use today do it: Python 3 and its standard library's
base64, one line at a time.

    link_peer.py decode < thunder-links > addresses
    link_peer.py encode < addresses > thunder-links
"""
import base64
import sys


def decode(lines, out):
    for line in lines:
        line = line.strip()
        if not line.lower().startswith("thunder://"):
            out.append("")
            continue
        try:
            raw = base64.b64decode(line[10:])
        except ValueError:
            out.append("")
            continue
        if not (raw.startswith(b"AA") and raw.endswith(b"ZZ")):
            out.append("")
            continue
        raw = raw[2:-2]
        try:
            out.append(raw.decode("utf-8"))
        except UnicodeDecodeError:
            out.append(raw.decode("gbk", errors="replace"))


def encode(lines, out):
    for line in lines:
        payload = ("AA" + line.strip() + "ZZ").encode("gbk", errors="replace")
        out.append("thunder://" + base64.b64encode(payload).decode("ascii"))


def main():
    job = decode if sys.argv[1] == "decode" else encode
    stdin = open(sys.stdin.fileno(), "r", encoding="utf-8", errors="surrogateescape", newline="\n")
    out = []
    job(stdin, out)
    sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8", errors="surrogateescape"))


if __name__ == "__main__":
    main()
