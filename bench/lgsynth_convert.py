#!/usr/bin/env python3
"""Converts general BLIF files (LGSynth'91 and the like) to the BLIF subset
tessaro reads, for the wide-function benchmark (bench/lgsynth.sh).

Usage: lgsynth_convert.py IN.blif OUT.blif

What it does to the file:
  - joins continuation lines and drops comments;
  - writes one .inputs and one .outputs line, however many the file has;
  - keeps .latch IN OUT and the initial value (2 and 3, and a missing
    value, start at 0); types and clocks go;
  - drops timing and attribute directives (.wire_load_slope and the like);
  - maps every name that is not an identifier to one that is (characters
    outside [A-Za-z0-9_] become _XX hexadecimal, a leading digit gets n_),
    keeping the mapping injective;
  - writes a table without rows (a constant zero) as ".names OUT" and "0";
  - keeps the rows of every other table as they are.
Only the first model of a file is read. Hierarchy (.subckt) and cell
libraries (.gate) are refused with status 1.
"""

import re
import sys

IDENT = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
IGNORED = {".wire_load_slope", ".default_input_arrival", ".input_arrival",
           ".output_required", ".area", ".delay", ".clock", ".cname", ".attr",
           ".param", ".default_output_required", ".default_input_drive",
           ".input_drive", ".default_output_load", ".output_load",
           ".default_max_input_load", ".max_input_load"}


class Names:
    """An injective map from any name to an identifier."""

    def __init__(self):
        self.by_name = {}
        self.taken = set()

    def __call__(self, name):
        if name in self.by_name:
            return self.by_name[name]
        if IDENT.match(name):
            ident = name
        else:
            ident = "".join(c if c.isalnum() or c == "_" else "_%02X" % ord(c)
                            for c in name)
            if not ident or not (ident[0].isalpha() or ident[0] == "_"):
                ident = "n_" + ident
        base, k = ident, 0
        while ident in self.taken:
            k += 1
            ident = "%s_%d" % (base, k)
        self.by_name[name] = ident
        self.taken.add(ident)
        return ident


def logical_lines(text):
    pending = ""
    for raw in text.splitlines():
        line = raw.split("#", 1)[0].rstrip()
        if line.endswith("\\"):
            pending += line[:-1] + " "
            continue
        line = pending + line
        pending = ""
        if line.strip():
            yield line.split()
    if pending.strip():
        yield pending.split()


def convert(text):
    names = Names()
    model = None
    inputs, outputs, latches, tables = [], [], [], []
    table = None
    for words in logical_lines(text):
        key = words[0]
        if not key.startswith("."):
            if table is None:
                raise ValueError("row outside a table: " + " ".join(words))
            table[1].append(words)
            continue
        table = None
        if key == ".model":
            if model is not None:
                break
            model = words[1] if len(words) > 1 else "model"
        elif key == ".inputs":
            inputs += words[1:]
        elif key == ".outputs":
            outputs += words[1:]
        elif key == ".latch":
            init = words[-1] if len(words) > 3 and words[-1] in "0123" else "0"
            latches.append((words[1], words[2], "1" if init == "1" else "0"))
        elif key == ".names":
            table = (words[1:], [])
            tables.append(table)
        elif key == ".end":
            break
        elif key in IGNORED:
            pass
        else:
            raise ValueError("unsupported construct " + key)
    out = [".model " + names(model or "model")]
    out.append(".inputs " + " ".join(names(n) for n in inputs) if inputs else ".inputs")
    if outputs:
        out.append(".outputs " + " ".join(names(n) for n in outputs))
    for d, q, v in latches:
        out.append(".latch %s %s %s" % (names(d), names(q), v))
    for signals, rows in tables:
        if not rows:
            out.append(".names " + names(signals[-1]))
            out.append("0")
            continue
        out.append(".names " + " ".join(names(n) for n in signals))
        out.extend(" ".join(r) for r in rows)
    out.append(".end")
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(sys.argv[1]) as f:
        text = f.read()
    try:
        result = convert(text)
    except ValueError as e:
        sys.stderr.write("%s: %s\n" % (sys.argv[1], e))
        return 1
    with open(sys.argv[2], "w") as f:
        f.write(result)
    return 0


if __name__ == "__main__":
    sys.exit(main())
