"""A reader of general BLIF for the equivalence suite, written apart from
tessaro's own reader: files as SIS, ABC, Yosys and the benchmark suites
write them, flattened into one blifmodel.Model with the file's names.

What it reads, and how (the rules tessaro-merge documents for its reader):
  - '#' comments to the end of the physical line; a backslash ending a
    physical line (after its comment and trailing blanks) joins the next
    one; blanks are space, tab, CR, FF and VT; any other byte is a name's.
  - Lines of names right after '.inputs' or '.outputs' continue the list.
  - Several models: the first is the top. Statements before any '.model'
    form a model named after the file. '.end' may be missing.
  - '.names' rows of input values and one output value (0 or 1), '.latch'
    with an optional type and control (ignored) and an initial value 0, 1,
    or 2, 3 or none (read as 0), '.conn a b' (a buffer), '.exdc' and
    '.start_kiss' parts skipped, timing and attribute directives ignored.
  - '.subckt' of a model of the file, flattened: bound ports take the
    actual signal, every other signal of the instance becomes
    'label/name', the label being the '.cname' after the line or
    'model@k' for the k-th instance of that model in its parent.
  - Yosys flip-flop cells ($_DFF_P_, $_DFFE_PN_, $_SDFFE_PP0N_, $dffe, ...)
    as latches with the logic of their enable and resets; asynchronous
    resets and sets force the output while they are active (Yosys's
    async2sync). Fresh names: q$next (q$next$2, ...) for the loaded value,
    q$reg (q$reg$2, ...) for the state behind an asynchronous reset.
  - Undriven $false, $true, $undef are the constants 0, 1, 0.
Anything else raises BlifError.
"""

import re

import blifmodel
from blifmodel import BlifError, Model, Table

_BLANKS = re.compile(r"[ \t\r\f\v]+")

IGNORED = {
    ".area", ".delay", ".wire_load_slope", ".wire", ".input_arrival",
    ".default_input_arrival", ".output_required", ".default_output_required",
    ".input_drive", ".default_input_drive", ".output_load", ".default_output_load",
    ".max_input_load", ".default_max_input_load", ".clock", ".clock_event", ".cycle",
    ".latch_order", ".code", ".blackbox",
}


def logical_lines(text):
    """(line number, words) for every logical line holding a word."""
    pending, start = [], 0
    for number, physical in enumerate(text.split("\n"), 1):
        body = physical.split("#", 1)[0]
        stripped = body.rstrip(" \t\r\f\v")
        joined = stripped.endswith("\\")
        if joined:
            body = stripped[:-1]
        words = [w for w in _BLANKS.split(body) if w]
        if words and not pending:
            start = number
        pending += words
        if not joined and pending:
            yield start, pending
            pending = []
    if pending:
        yield start, pending


class _Def:
    """One model as written: interface and statements ('latch', d, q, init),
    ('table', names, rows), ('cell', type, {formal: actual}, params, label,
    line)."""

    def __init__(self, name):
        self.name = name
        self.inputs, self.outputs, self.body = [], [], []


def _definitions(text, where):
    models, order, current, table, skipping, names_list = {}, [], None, None, None, None
    base = re.sub(r"\.blif$", "", where.rsplit("/", 1)[-1])
    closed = False
    for line, words in logical_lines(text):
        head = words[0]
        if skipping == "kiss":
            if head == ".end_kiss":
                skipping = None
            continue
        if skipping == "exdc":
            if head == ".end":
                skipping, current, closed = None, None, True
                continue
            if head != ".model":
                continue
            skipping = None
        if not head.startswith("."):
            if names_list is not None:  # a name list run over several lines
                names_list.extend(words)
                continue
            if table is None:
                raise BlifError("%s:%d: text outside a table" % (where, line))
            names, rows = table
            row = "".join(words)
            if len(row) != len(names) or any(c not in "01-" for c in row[:-1]) \
                    or row[-1] not in "01":
                raise BlifError("%s:%d: bad row %r" % (where, line, row))
            rows.append(row)
            continue
        table = names_list = None
        if head == ".model":
            current = _Def(" ".join(words[1:]))
            if current.name in models or not words[1:]:
                raise BlifError("%s:%d: bad or repeated model name" % (where, line))
            models[current.name] = current
            order.append(current)
            closed = False
            continue
        if current is None:
            if closed:
                raise BlifError("%s:%d: %s after .end" % (where, line, head))
            current = _Def(base)
            models[base] = current
            order.append(current)
        if head == ".end":
            current, closed = None, True
        elif head in (".inputs", ".outputs"):
            names_list = current.inputs if head == ".inputs" else current.outputs
            names_list.extend(words[1:])
        elif head == ".names":
            table = (words[1:], [])
            current.body.append(("table",) + table)
        elif head == ".conn":
            current.body.append(("table", words[1:3], ["11"]))
        elif head == ".latch":
            args = words[1:]
            init = {2: "3", 3: args[-1] if len(args) == 3 else "", 4: "3",
                    5: args[-1] if len(args) == 5 else ""}.get(len(args), "")
            if init not in ("0", "1", "2", "3"):
                raise BlifError("%s:%d: bad latch" % (where, line))
            current.body.append(("latch", args[0], args[1], init if init in "01" else "0"))
        elif head in (".subckt", ".gate"):
            ports = {}
            for w in words[2:]:
                formal, _, actual = w.partition("=")
                ports[formal] = actual
            current.body.append(["cell", words[1], ports, {}, None, line, head == ".gate"])
        elif head in (".cname", ".attr", ".param"):
            last = current.body[-1] if current.body else None
            if last and last[0] == "cell" and len(words) > 1:
                if head == ".cname":
                    last[4] = words[1]
                else:
                    last[3][words[1]] = words[2] if len(words) > 2 else ""
        elif head == ".exdc":
            skipping = "exdc"
        elif head == ".start_kiss":
            skipping = "kiss"
        elif head in (".mlatch", ".search", ".mv", ".table", ".reset"):
            raise BlifError("%s:%d: %s cannot be read" % (where, line, head))
        # every other directive: ignored
    if not order:
        raise BlifError("%s: no model" % where)
    return order, models


# --------------------------------------------------------- Yosys flip-flops

def _flip_flop(cell_type, params):
    """(enable, sync, sync_first, async, coarse) for a Yosys flip-flop type:
    enable is None or (port, level); sync and async are lists of (port,
    level, value bits) in priority order. None for other types."""
    def pol(c):
        return {"P": "1", "N": "0"}[c]
    m = re.fullmatch(r"\$_(FF|DFF_[PN]|DFF_[PN][PN][01]|DFFE_[PN][PN]|DFFE_[PN][PN][01][PN]|"
                     r"SDFF_[PN][PN][01]|SDFFC?E_[PN][PN][01][PN]|DFFSR_[PN]{3}|DFFSRE_[PN]{4})_",
                     cell_type)
    if m:
        kind, _, s = m.group(1).partition("_")
        enable = None
        sync, asyn = [], []
        if kind == "DFF" and len(s) == 3:
            asyn = [("R", pol(s[1]), s[2])]
        elif kind == "DFFE":
            enable = ("E", pol(s[-1]))
            if len(s) == 4:
                asyn = [("R", pol(s[1]), s[2])]
        elif kind == "SDFF":
            sync = [("R", pol(s[1]), s[2])]
        elif kind in ("SDFFE", "SDFFCE"):
            sync = [("R", pol(s[1]), s[2])]
            enable = ("E", pol(s[3]))
        elif kind in ("DFFSR", "DFFSRE"):
            asyn = [("R", pol(s[2]), "0"), ("S", pol(s[1]), "1")]
            if kind == "DFFSRE":
                enable = ("E", pol(s[3]))
        return enable, sync, kind != "SDFFCE", asyn, False
    coarse = {"$ff": "", "$dff": "", "$dffe": "e", "$sdff": "s", "$sdffe": "se",
              "$sdffce": "sec", "$adff": "a", "$adffe": "ae"}
    if cell_type not in coarse:
        return None
    flags = coarse[cell_type]

    def param(name, default):
        v = params.get(name, default).strip('"')
        return v if v else default
    enable = ("EN", param("EN_POLARITY", "1")[-1]) if "e" in flags else None
    sync = [("SRST", param("SRST_POLARITY", "1")[-1], param("SRST_VALUE", "0"))] \
        if "s" in flags else []
    asyn = [("ARST", param("ARST_POLARITY", "1")[-1], param("ARST_VALUE", "0"))] \
        if "a" in flags else []
    return enable, sync, "c" not in flags, asyn, True


def _bit(bits, i):
    return bits[len(bits) - 1 - i] if i < len(bits) else "0"


def _expand_cell(cell_type, ports, params, fresh, where, line):
    """Latches (d, q, init) and tables (names, rows) of one flip-flop cell
    over the names of its model."""
    kind = _flip_flop(cell_type, params)
    if kind is None:
        raise BlifError("%s:%d: cell %s cannot be read" % (where, line, cell_type))
    enable, sync, sync_first, asyn, coarse = kind
    if coarse:
        if "WIDTH" in params:
            width = int(params["WIDTH"].strip('"'), 2)
        else:
            width = 1 if "D" in ports else len([p for p in ports if re.fullmatch(r"D\[\d+\]", p)])
    else:
        width = 1
    init = None
    for key in ("init", "INIT"):
        if key in params:
            init = params[key].strip('"')

    def port(name, i, data):
        key = "%s[%d]" % (name, i) if (coarse and width > 1 and data) or name not in ports \
            else name
        if key not in ports:
            raise BlifError("%s:%d: cell %s lacks %s" % (where, line, cell_type, key))
        return ports[key]
    latches, tables = [], []
    for i in range(width):
        d, q = port("D", i, True), port("Q", i, True)
        value = _bit(init, i) if init is not None else "x"
        start = value if value in "01" else "0"
        controls = []  # (signal, level, forced value or None)
        if enable:
            controls.append((port(enable[0], 0, False), enable[1], None))
        for p, level, bits in sync:
            controls.append((port(p, 0, False), level, _bit(bits, i)))
        for p, level, bits in asyn:
            controls.append((port(p, 0, False), level, _bit(bits, i)))
        if not controls:
            latches.append((d, q, start))
            continue
        n_sync, n_async = len(sync), len(asyn)
        state = fresh(q + "$reg") if asyn else q
        nxt = fresh(q + "$next")
        latches.append((nxt, state, start))

        def loaded(levels):
            active = [levels[k] == controls[k][1] for k in range(len(controls))]
            e = 1 if enable else 0
            for k in range(e + n_sync, len(controls)):
                if active[k]:
                    return controls[k][2]
            forced = next((controls[k][2] for k in range(e, e + n_sync) if active[k]), None)
            on = not enable or active[0]
            if forced is not None and (sync_first or on):
                return forced
            return "d" if on else "q"
        tables.append(_enumerated([c[0] for c in controls], [d, state], nxt, loaded))
        if asyn:
            forces = controls[len(controls) - n_async:]

            def shown(levels):
                for k, (_, level, value) in enumerate(forces):
                    if levels[k] == level:
                        return value
                return "q"
            tables.append(_enumerated([c[0] for c in forces], [state], q, shown))
    return latches, tables


def _enumerated(controls, data, output, value_of):
    """Table output = value_of(levels of the controls), where the value is
    '0', '1', 'd' (the first data signal) or 'q' (the last)."""
    names = controls + data + [output]
    rows = []
    for k in range(2 ** len(controls)):
        levels = "".join("1" if (k >> j) & 1 else "0" for j in range(len(controls)))
        v = value_of(levels)
        tail = {"0": None, "1": "-" * len(data), "d": "1-", "q": "-" * (len(data) - 1) + "1"}[v]
        if tail is not None:
            rows.append(levels + tail + "1")
    return names, rows


# ---------------------------------------------------------------- flattening

def _flatten(order, models, where):
    top = order[0]
    out = Model(top.name)
    latches, tables = [], []
    origin = {}  # flat name -> (instance, local name)
    instance_ids = [0]

    def emit(d, bound, prefix, stack):
        ident = instance_ids[0]
        instance_ids[0] += 1
        used = set(d.inputs) | set(d.outputs)
        for s in d.body:
            if s[0] == "latch":
                used.update(s[1:3])
            elif s[0] == "table":
                used.update(s[1])
            else:
                used.update(s[2].values())
        taken = set()

        def fresh(stem):
            name, k = stem, 2
            while name in used or name in taken:
                name, k = "%s$%d" % (stem, k), k + 1
            taken.add(name)
            return name

        def flat(n):
            if n in bound:
                return bound[n]
            full = prefix + n
            if origin.setdefault(full, (ident, n)) != (ident, n):
                raise BlifError("%s: hierarchical name %s meets another" % (where, full))
            return full
        if not prefix:
            out.inputs = [flat(n) for n in d.inputs]
            out.outputs = [flat(n) for n in d.outputs]
        counts = {}
        for s in d.body:
            if s[0] == "latch":
                latches.append((flat(s[1]), flat(s[2]), s[3]))
            elif s[0] == "table":
                tables.append(([flat(n) for n in s[1]], s[2]))
            else:
                _, cell_type, ports, params, label, line, gate = s
                child = models.get(cell_type) if not gate else None
                if child is None:
                    ls, ts = _expand_cell(cell_type, ports, params, fresh, where, line)
                    latches.extend((flat(a), flat(b), v) for a, b, v in ls)
                    tables.extend(([flat(n) for n in names], rows) for names, rows in ts)
                    continue
                if child.name in stack:
                    raise BlifError("%s:%d: recursive .subckt %s" % (where, line, cell_type))
                counts[cell_type] = counts.get(cell_type, 0) + 1
                label = label or "%s@%d" % (cell_type, counts[cell_type])
                ports_of = set(child.inputs) | set(child.outputs)
                if not set(ports) <= ports_of:
                    raise BlifError("%s:%d: unknown port of %s" % (where, line, cell_type))
                emit(child, {f: flat(a) for f, a in ports.items()}, prefix + label + "/",
                     stack + [child.name])
    emit(top, {}, "", [top.name])
    for d, q, init in latches:
        out.latches.append((d, q, init))
    driven = set(out.inputs) | {q for _, q, _ in latches} | {names[-1] for names, _ in tables}
    used = set(out.outputs) | {d for d, _, _ in latches}
    for names, _ in tables:
        used.update(names[:-1])
    for name, value in (("$false", "0"), ("$true", "1"), ("$undef", "0")):
        if name in used and name not in driven:
            tables.append(([name], [value]))
    for names, rows in tables:
        out.tables.append(blifmodel._table(names, [list(r) for r in rows], where) if rows
                          else Table([], names[-1], [], True))
    return out


def parse(text, where="<blif>"):
    """The flattened top model of a general BLIF text."""
    if text.startswith("\xef\xbb\xbf"):  # a byte order mark, read as latin-1
        text = text[3:]
    order, models = _definitions(text, where)
    return _flatten(order, models, where)


def read(path):
    with open(path, "rb") as f:
        return parse(f.read().decode("latin-1"), path)


# ------------------------------------------------------------ name encoding

def decode_name(name):
    """The name a tessaro identifier stands for (tessaro-merge's encoding:
    '__' starts a changed name, in which '__' is '_' and '_hh' a byte);
    None when it is no encoding."""
    if not name.startswith("__"):
        return name
    out, i = [], 2
    while i < len(name):
        c = name[i]
        if c != "_":
            out.append(c)
            i += 1
        elif name.startswith("__", i):
            out.append("_")
            i += 2
        elif re.fullmatch(r"[0-9a-f]{2}", name[i + 1:i + 3]):
            out.append(chr(int(name[i + 1:i + 3], 16)))
            i += 3
        else:
            return None
    return "".join(out)


def decode_composed(name):
    """A name of tessaro's merged model, decoded after its instance prefix."""
    m = re.match(r"(inst[01]_)(__.*)$", name)
    if m:
        rest = decode_name(m.group(2))
        return None if rest is None else m.group(1) + rest
    return decode_name(name)


def decoded(model):
    """A copy of a model read from tessaro's output with its names decoded."""
    def dec(n):
        d = decode_composed(n)
        if d is None:
            raise BlifError("%s is no encoded name" % n)
        return d
    m = model.copy()
    m.inputs = [dec(n) for n in m.inputs]
    m.outputs = [dec(n) for n in m.outputs]
    m.latches = [(dec(d), dec(q), v) for d, q, v in m.latches]
    for t in m.tables:
        t.inputs = [dec(n) for n in t.inputs]
        t.output = dec(t.output)
    return m
