"""Flat BLIF models for the equivalence suite: a reader for the BLIF subset
tessaro accepts, a writer of plain single-model BLIF that Berkeley ABC reads,
and a bit-parallel simulator used to cross-check ABC's verdicts.

Standard library only; independent of tessaro's own code.
"""

import random

KEYWORDS = (".model", ".inputs", ".outputs", ".latch", ".names", ".end")


class BlifError(Exception):
    """A file outside the accepted subset, or a model this suite cannot use."""


class Table:
    """One cover: `inputs` (distinct names), `output`, `rows` (cube strings
    over '0', '1', '-', one character per input) and `onset` (True when the
    rows list the ON-set, False when they list the OFF-set)."""

    def __init__(self, inputs, output, rows, onset):
        self.inputs = list(inputs)
        self.output = output
        self.rows = list(rows)
        self.onset = onset

    def copy(self):
        return Table(self.inputs, self.output, self.rows, self.onset)


class Model:
    """One flat sequential model: name, inputs, outputs, latches as
    (d, q, init) with init "0" or "1", and tables."""

    def __init__(self, name="top"):
        self.name = name
        self.inputs = []
        self.outputs = []
        self.latches = []
        self.tables = []

    def copy(self):
        m = Model(self.name)
        m.inputs = list(self.inputs)
        m.outputs = list(self.outputs)
        m.latches = list(self.latches)
        m.tables = [t.copy() for t in self.tables]
        return m

    def names(self):
        """Every name the model uses."""
        names = set(self.inputs) | set(self.outputs)
        for d, q, _ in self.latches:
            names.update((d, q))
        for t in self.tables:
            names.update(t.inputs)
            names.add(t.output)
        return names

    def driven(self):
        """Names driven inside the model: table outputs and latch outputs."""
        names = set(t.output for t in self.tables)
        names.update(q for _, q, _ in self.latches)
        return names


# ---------------------------------------------------------------- scanner

def _tokens(text):
    """Tokens of the accepted subset: ('kw', keyword), ('nl',), ('v', '0'|'1'|'-'),
    ('id', name). Line ends are tokens only from '.names' up to the next
    keyword; '#' comments run to the end of their line and take its line end
    with them; blanks are space, tab and backslash; any other byte is dropped."""
    out = []
    i, n = 0, len(text)
    newline_mode = False
    while i < n:
        c = text[i]
        if c == "#":
            j = text.find("\n", i)
            i = n if j < 0 else j + 1
        elif c in " \t\\":
            i += 1
        elif c == "\n":
            while i < n and text[i] == "\n":
                i += 1
            if newline_mode:
                out.append(("nl",))
        elif c == ".":
            for kw in KEYWORDS:
                if text.startswith(kw, i):
                    out.append(("kw", kw))
                    newline_mode = kw == ".names"
                    i += len(kw)
                    break
            else:
                i += 1
        elif c in "01-":
            out.append(("v", c))
            i += 1
        elif c.isascii() and (c.isalpha() or c == "_"):
            j = i + 1
            while j < n and text[j].isascii() and (text[j].isalnum() or text[j] == "_"):
                j += 1
            out.append(("id", text[i:j]))
            i = j
        else:
            i += 1
    out.append(("eof",))
    return out


# ----------------------------------------------------------------- parser

class _Parser:
    def __init__(self, text, where):
        self.toks = _tokens(text)
        self.pos = 0
        self.where = where

    def peek(self):
        return self.toks[self.pos]

    def take(self):
        t = self.toks[self.pos]
        self.pos += 1
        return t

    def fail(self, what):
        raise BlifError("%s: syntax error: %s, found %r" % (self.where, what, self.peek()))

    def expect_kw(self, kw):
        if self.peek() != ("kw", kw):
            self.fail("expected " + kw)
        self.take()

    def ident(self):
        t = self.peek()
        if t[0] != "id":
            self.fail("expected a name")
        self.take()
        return t[1]

    def ident_list(self):
        names = [self.ident()]
        while self.peek()[0] == "id":
            names.append(self.take()[1])
        return names


def _table(names, rows, where):
    """Meaning of one parsed table: the last name is the output; a row whose
    value at the output position is 0 is an OFF row, any other row (output 1,
    '-' or no output value) an ON row; short rows leave the remaining inputs
    free; an input named twice is the conjunction of its literals."""
    n = len(names)
    output = names[-1]
    off = []
    for row in rows:
        if len(row) > n:
            raise BlifError("%s: row longer than the names of %s" % (where, output))
        off.append(len(row) == n and row[n - 1] == "0")
    if any(off) and not all(off):
        raise BlifError("%s: table of %s mixes ON and OFF rows" % (where, output))
    inputs = []
    for name in names[:-1]:
        if name not in inputs:
            inputs.append(name)
    cubes = []
    for row in rows:
        cube = ["-"] * len(inputs)
        empty = False
        for pos, value in enumerate(row[: n - 1]):
            if value == "-":
                continue
            k = inputs.index(names[pos])
            if cube[k] != "-" and cube[k] != value:
                empty = True  # x and not x: the row covers nothing
            cube[k] = value
        if not empty:
            cubes.append("".join(cube))
    return Table(inputs, output, cubes, not (off and off[0]))


def parse(text, where="<blif>"):
    """Reads one model of the accepted subset into a Model (tables already
    normalised, see _table). Raises BlifError on anything else."""
    p = _Parser(text, where)
    m = Model()
    p.expect_kw(".model")
    m.name = p.ident()
    if p.peek() == ("kw", ".inputs"):
        p.take()
        m.inputs = p.ident_list()
    if p.peek() == ("kw", ".outputs"):
        p.take()
        m.outputs = p.ident_list()
    while True:
        t = p.take()
        if t == ("kw", ".end"):
            break
        if t == ("kw", ".latch"):
            d = p.ident()
            q = p.ident()
            v = p.take()
            if v not in (("v", "0"), ("v", "1")):
                p.pos -= 1
                p.fail("expected a latch initial value 0 or 1")
            m.latches.append((d, q, v[1]))
        elif t == ("kw", ".names"):
            names = p.ident_list()
            if p.take() != ("nl",):
                p.pos -= 1
                p.fail("expected the end of the .names line")
            rows = []
            while True:
                row = []
                while p.peek()[0] == "v":
                    row.append(p.take()[1])
                if not row:
                    p.fail("expected a table row")
                rows.append(row)
                if p.take() != ("nl",):
                    p.pos -= 1
                    p.fail("expected the end of a table row")
                if p.peek()[0] != "v":
                    break
            m.tables.append(_table(names, rows, where))
        else:
            p.pos -= 1
            p.fail("expected .latch, .names or .end")
    if p.peek() != ("eof",):
        p.fail("expected the end of the file after .end")
    return m


def read(path):
    with open(path, encoding="latin-1") as f:
        return parse(f.read(), path)


# ----------------------------------------------------------------- writer

def covers_all(cubes):
    """True when the cubes (strings over '0', '1', '-') cover every point."""
    if not cubes:
        return False
    if any(c.strip("-") == "" for c in cubes):
        return True
    k = next(i for i, ch in enumerate(cubes[0]) if ch != "-")
    for value in "01":
        rest = [c[:k] + "-" + c[k + 1:] for c in cubes if c[k] in (value, "-")]
        if not covers_all(rest):
            return False
    return True


def write(model, tessaro_layout=False):
    """Plain BLIF text of the model, in the form Berkeley ABC reads. With
    `tessaro_layout`, laid out as tessaro writes its files: an empty line
    in place of a missing .inputs line, ".names" and two blanks, and empty
    lines around the tables."""
    names_kw = ".names  " if tessaro_layout else ".names "
    lines = [".model " + model.name]
    if model.inputs or tessaro_layout:
        lines.append((".inputs " + " ".join(model.inputs)) if model.inputs else "")
    if model.outputs:
        lines.append(".outputs " + " ".join(model.outputs))
    for d, q, init in model.latches:
        lines.append(".latch %s %s %s" % (d, q, init))
    if tessaro_layout:
        lines.append("")
    for t in model.tables:
        covered = covers_all(t.rows)
        if not t.inputs or not t.rows or covered:
            # A constant, written without inputs: the row "1" or "0". (ABC
            # fails an assertion on a cover with inputs that covers all.)
            lines.append(names_kw + t.output)
            lines.append("1" if t.onset == covered else "0")
        else:
            lines.append(names_kw + " ".join(t.inputs + [t.output]))
            out = "1" if t.onset else "0"
            lines.extend("%s %s" % (cube, out) for cube in t.rows)
    lines += ["", ".end", ""] if tessaro_layout else [".end"]
    return "\n".join(lines) + "\n"


# -------------------------------------------------------------- structure

def table_order(model):
    """Tables in an order where every table comes after those it reads;
    raises BlifError naming a signal on a combinational cycle."""
    by_out = {}
    for t in model.tables:
        if t.output in by_out:
            raise BlifError("two tables define " + t.output)
        by_out[t.output] = t
    order, state = [], {}
    for root in by_out:
        if state.get(root):
            continue
        stack = [(root, iter(by_out[root].inputs))]
        state[root] = 1
        while stack:
            name, it = stack[-1]
            for x in it:
                if x in by_out:
                    if state.get(x) == 1:
                        raise BlifError("combinational cycle through " + x)
                    if not state.get(x):
                        state[x] = 1
                        stack.append((x, iter(by_out[x].inputs)))
                        break
            else:
                stack.pop()
                state[name] = 2
                order.append(by_out[name])
    return order


# -------------------------------------------------------------- simulator

class Simulator:
    """Simulates `lanes` independent runs at once, one bit per run: each
    signal's value is an int whose bit i is its value in run i. Undriven
    signals read as 0."""

    def __init__(self, model, lanes=64):
        self.model = model
        self.mask = (1 << lanes) - 1
        self.order = table_order(model)
        self.reset()

    def reset(self):
        self.state = {q: (self.mask if init == "1" else 0) for _, q, init in self.model.latches}

    def step(self, inputs):
        """One clock cycle: `inputs` maps input names to lane words; returns
        the map of all signal values before the clock edge."""
        val = dict(self.state)
        for name in self.model.inputs:
            val[name] = inputs.get(name, 0)
        mask = self.mask
        for t in self.order:
            acc = 0
            for cube in t.rows:
                term = mask
                for name, c in zip(t.inputs, cube):
                    if c == "1":
                        term &= val.get(name, 0)
                    elif c == "0":
                        term &= ~val.get(name, 0) & mask
                acc |= term
            val[t.output] = acc if t.onset else ~acc & mask
        self.state = {q: val.get(d, 0) for d, q, _ in self.model.latches}
        return val


def simulate_difference(m1, m2, observed, cycles=24, lanes=64, seed=1):
    """Random simulation of both models from their initial states with the
    same inputs (matched by name). Returns None when the `observed` signals
    agree in every lane and cycle, else (cycle, lane, differing names, input
    trace of that lane as a list of {name: bit})."""
    s1, s2 = Simulator(m1, lanes), Simulator(m2, lanes)
    rng = random.Random(seed)
    names = sorted(set(m1.inputs) | set(m2.inputs))
    trace = []
    for cycle in range(cycles):
        words = {n: rng.getrandbits(lanes) for n in names}
        trace.append(words)
        v1, v2 = s1.step(words), s2.step(words)
        diff = 0
        for o in observed:
            diff |= v1.get(o, 0) ^ v2.get(o, 0)
        if diff:
            lane = (diff & -diff).bit_length() - 1
            bad = [o for o in observed if ((v1.get(o, 0) ^ v2.get(o, 0)) >> lane) & 1]
            steps = [{n: (w[n] >> lane) & 1 for n in names} for w in trace]
            return cycle, lane, bad, steps
    return None
