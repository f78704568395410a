#!/usr/bin/env python3
"""Random pairs of BLIF models for the merge, in the subset tessaro reads.

Usage: gen_pair.py SEED OUTDIR [--names A B]   (writes OUTDIR/A.blif, OUTDIR/B.blif)

Each pair (every fifth one without latches) has inputs shared by both models, outputs of both models with the
same name (merged by OR), outputs of one model named like inputs of the
other in both directions (wires), outputs that are latch outputs, latches
with both initial values, local signals, internal names that reuse names of
the other model's interface (they must not be wired), and covers of every
kind: ON-set rows with don't-cares, OFF-set rows, constants, and now and then
an input named twice in one table, a row cut short or "-" as output value.

All tables of both models are drawn in one global order in which a table
only reads signals that already exist on its side, a wired input existing
once the other side has defined the output that drives it; so wiring both
ways never closes a combinational loop. Latch inputs may read any signal.
"""

import argparse
import os
import random
import sys

PREFIXES = ("a", "b", "c", "n", "s", "x", "y", "sig_", "Net", "_t", "q", "w", "en", "G")


class Names:
    """Fresh identifiers in a few styles, never one of tessaro's instance
    prefixes."""

    def __init__(self, rng):
        self.rng = rng
        self.used = set()

    def fresh(self):
        while True:
            name = self.rng.choice(PREFIXES) + str(self.rng.randint(0, 99))
            if self.rng.random() < 0.1:
                name += "_" + self.rng.choice(("in", "out", "d", "ok"))
            if name not in self.used:
                self.used.add(name)
                return name

    def take(self, k):
        return [self.fresh() for _ in range(k)]


class Side:
    def __init__(self, name):
        self.name = name
        self.inputs = []
        self.outputs = []
        self.wired_in = set()  # inputs driven by the other side
        self.latch_outs = []  # outputs that are latch outputs
        self.internal_latches = []
        self.locals = []
        self.latches = []  # (d, q, init)
        self.tables = []  # (inputs, output, rows)

    def names(self):
        s = set(self.inputs) | set(self.outputs) | set(self.locals)
        s.update(self.internal_latches)
        return s


def cover(rng, k):
    """Rows of a random table over k inputs: (cube, out) pairs."""
    if k == 0:
        return [(rng.choice(("1", "1", "0", "0", "-")), "")]
    roll = rng.random()
    if roll < 0.05:
        return [("-" * k, "1")]  # constant one with inputs
    out = "0" if roll < 0.3 else "1"
    rows = []
    for _ in range(rng.randint(1, min(4, 2 ** k))):
        rows.append(("".join(rng.choice("001--1") for _ in range(k)), out))
    if out == "1" and rng.random() < 0.1:
        # Rarer ON rows: "-" as the output value, or a row cut short (the
        # missing input values are free).
        i = rng.randrange(len(rows))
        cube = rows[i][0]
        rows[i] = (cube, "-") if rng.random() < 0.5 else (cube[: rng.randint(1, k)], "")
    return rows


def plan(rng, sequential):
    names = Names(rng)
    a, b = Side("a"), Side("b")
    shared_in = names.take(rng.randint(0, 3))
    shared_out = names.take(rng.randint(0, 2))
    ab = names.take(rng.randint(0, 3))  # outputs of a, inputs of b
    ba = names.take(rng.randint(0, 3))  # outputs of b, inputs of a
    for side, wired_out, wired_in in ((a, ab, ba), (b, ba, ab)):
        side.inputs = shared_in + names.take(rng.randint(0, 3)) + wired_in
        side.outputs = shared_out + names.take(rng.randint(0, 3)) + wired_out
        side.wired_in = set(wired_in)
        rng.shuffle(side.inputs)
        rng.shuffle(side.outputs)
        side.latch_outs = [o for o in side.outputs if sequential and rng.random() < 0.25]
    if not (a.outputs or b.outputs):
        a.outputs.append(names.fresh())
    # Internal names: fresh ones, or a name of the other side that this side
    # does not use (a local "y" here must not be wired to an output "y" there).
    for side, other in ((a, b), (b, a)):
        def internal():
            pool = sorted(other.names() - side.names())
            if pool and rng.random() < 0.3:
                return rng.choice(pool)
            return names.fresh()
        for _ in range(rng.randint(0, 4) if sequential else 0):
            side.internal_latches.append(internal())
        for _ in range(rng.randint(0, 8)):
            side.locals.append(internal())
    return a, b


def build(rng, sequential):
    a, b = plan(rng, sequential)
    sides = (a, b)
    avail = []
    for side in sides:
        ready = [n for n in side.inputs if n not in side.wired_in]
        ready += side.latch_outs + side.internal_latches
        avail.append(ready)
    # A wired input driven by a latch output exists from the start.
    for p in (0, 1):
        for n in sides[1 - p].latch_outs:
            if n in sides[p].wired_in:
                avail[p].append(n)
    read = (set(), set())
    todo = []
    for side in sides:
        targets = side.locals + [o for o in side.outputs if o not in side.latch_outs]
        rng.shuffle(targets)
        todo.append(targets)
    while todo[0] or todo[1]:
        p = rng.choice([i for i in (0, 1) if todo[i]])
        side, out = sides[p], todo[p].pop()
        k = min(len(avail[p]), rng.choice((0, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 5)))
        # Prefer signals nothing reads yet, so that little logic dangles.
        fresh = [n for n in avail[p] if n not in read[p]]
        ins = rng.sample(fresh, min(k, len(fresh), rng.randint(0, k)))
        ins += rng.sample([n for n in avail[p] if n not in ins], k - len(ins))
        read[p].update(ins)
        if ins and rng.random() < 0.05:
            ins.append(ins[0])  # an input named twice stands for both literals
        side.tables.append((ins, out, cover(rng, len(ins))))
        avail[p].append(out)
        if out in sides[1 - p].wired_in:
            avail[1 - p].append(out)
    for side in sides:
        every = sorted(side.names())
        for q in side.latch_outs + side.internal_latches:
            side.latches.append((rng.choice(every), q, rng.choice("01")))
    return a, b


def render(rng, side, model):
    """BLIF text in the accepted subset, with the freedoms tessaro's scanner
    allows: comments, name lists over several lines, blanks inside rows."""
    out = ["# random model %s\n" % model, ".model %s\n" % model]

    def name_list(keyword, names):
        if not names:
            return
        text = keyword
        for i, n in enumerate(names):
            if i and rng.random() < 0.15:
                text += rng.choice((" \\\n", "\n  "))
            text += " " + n
        out.append(text + "\n")

    name_list(".inputs", side.inputs)
    name_list(".outputs", side.outputs)
    items = [("latch", l) for l in side.latches] + [("table", t) for t in side.tables]
    rng.shuffle(items)
    for kind, item in items:
        if rng.random() < 0.1:
            out.append("# %s\n" % kind)
        if kind == "latch":
            d, q, init = item
            out.append(".latch %s %s %s\n" % (d, q, init))
            continue
        ins, target, rows = item
        out.append(".names %s\n" % " ".join(ins + [target]))
        spaced = rng.random() < 0.15
        for cube, val in rows:
            if spaced:
                out.append(" ".join(cube + val) + "\n")
            else:
                out.append(("%s %s" % (cube, val)).strip() + "\n")
        if rng.random() < 0.1:
            out.append("\n")
    out.append(".end\n")
    return "".join(out)


def generate(seed, names=("a", "b")):
    """Texts of the two models of pair `seed`; every fifth pair has no latch."""
    rng = random.Random(seed)
    a, b = build(rng, seed % 5 != 0)
    return render(rng, a, names[0]), render(rng, b, names[1])


def main(argv):
    ap = argparse.ArgumentParser(description="Random pair of BLIF models for the merge.")
    ap.add_argument("seed", type=int)
    ap.add_argument("outdir")
    ap.add_argument("--names", nargs=2, default=["a", "b"], help="base names of the two files")
    args = ap.parse_args(argv)
    os.makedirs(args.outdir, exist_ok=True)
    for name, text in zip(args.names, generate(args.seed, args.names)):
        with open(os.path.join(args.outdir, name + ".blif"), "w") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
