#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz targets.

    make_seeds.py SOURCE_DIR OUT_DIR

Takes the example circuits and every BLIF text written as a string literal
in the tests (adjacent literals joined, escapes decoded), and writes one
file per text into OUT_DIR/parse and OUT_DIR/general, and pairs of texts
joined by a byte 0xFF into OUT_DIR/run (the split the whole-run target
makes). Texts larger than 4096 bytes are left out.
"""
import hashlib
import pathlib
import re
import sys

MAX_LEN = 4096
ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"', "'": "'", "0": "\0"}
# A literal, or raw literal, possibly preceded by an encoding prefix.
LITERAL = re.compile(r'R"([^(\s]*)\((.*?)\)\1"|"((?:[^"\\\n]|\\.)*)"', re.S)


def decode(body):
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            nxt = body[i + 1]
            if nxt == "x":
                m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
                out.append(chr(int(m.group(0), 16) & 0xFF))
                i += 2 + len(m.group(0))
                continue
            out.append(ESCAPES.get(nxt, nxt))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def literals(source):
    """Yields the texts of the literals of a C++ source, adjacent ones joined."""
    pending, end = None, -1
    for m in LITERAL.finditer(source):
        text = m.group(2) if m.group(2) is not None else decode(m.group(3))
        if pending is not None and source[end:m.start()].strip() == "":
            pending += text
        else:
            if pending is not None:
                yield pending
            pending = text
        end = m.end()
    if pending is not None:
        yield pending


def main():
    src, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    texts = [p.read_bytes() for p in sorted((src / "examples").glob("*.blif"))
             if "_" not in p.stem]
    for path in sorted((src / "tests").glob("*.[ch]*")):
        for text in literals(path.read_text(encoding="utf-8", errors="replace")):
            if ".model" in text:
                texts.append(text.encode("latin-1", errors="replace"))
    texts = [t for t in dict.fromkeys(texts) if len(t) <= MAX_LEN]
    pairs = [texts[i] + b"\xff" + texts[(i + 1) % len(texts)] for i in range(len(texts))]
    pairs += texts
    for target, items in (("parse", texts), ("general", texts), ("run", pairs)):
        folder = out / target
        folder.mkdir(parents=True, exist_ok=True)
        for item in items:
            if len(item) <= MAX_LEN:
                (folder / hashlib.sha1(item).hexdigest()).write_bytes(item)
    print(f"{len(texts)} texts, {len(pairs)} pairs in {out}")


if __name__ == "__main__":
    main()
