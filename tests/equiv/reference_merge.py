#!/usr/bin/env python3
"""Reference wiring of two BLIF models, written as one flat BLIF model.

The first model is instance 0, the second instance 1. Every signal of
instance P becomes the internal net <prefix P><name>. Then:
  - an input of P named like an output of the other instance is driven by
    that output (a buffer table); neither stays in the interface;
  - any other input is a primary input of its own name, shared when both
    instances have it, and drives the instance's net through a buffer;
  - any other output is a primary output of its own name; when both
    instances have it, its value is the OR of the two.
Latches keep their initial values. With `observe`, the latch outputs and
both ends of every wire are also made primary outputs under the names
tessaro gives them ("inst0_"/"inst1_" and the signal's name), so that the
state and the wires are compared too, not only the interface.

Usage: reference_merge.py a.blif b.blif out.blif [--observe] [--prefixes P0 P1]
Exit status 0 when written, 2 when an input cannot be used.
"""

import argparse
import sys


sys.dont_write_bytecode = True  # keep the source folder clean
import blifmodel
from blifmodel import BlifError, Model, Table

TOOL_PREFIXES = ("inst0_", "inst1_")


def _unique(names):
    seen, out = set(), []
    for n in names:
        if n not in seen:
            seen.add(n)
            out.append(n)
    return out


def check_model(m, where):
    """Refuses models whose meaning is not plain: a name both input and
    output, a second driver for a signal, or a table/latch driving an input."""
    ins, outs = set(m.inputs), set(m.outputs)
    both = sorted(ins & outs)
    if both:
        raise BlifError("%s: %s is both an input and an output" % (where, both[0]))
    drivers = {}
    for t in m.tables:
        drivers.setdefault(t.output, []).append("table")
    for _, q, _ in m.latches:
        drivers.setdefault(q, []).append("latch")
    for name, kinds in drivers.items():
        if len(kinds) > 1:
            raise BlifError("%s: %s has %d drivers" % (where, name, len(kinds)))
        if name in ins:
            raise BlifError("%s: input %s is also driven by a %s" % (where, name, kinds[0]))


def observed_names(a, b):
    """Names (tessaro's) of the latch outputs and of both ends of each wire,
    mapped to (instance, signal)."""
    models = (a, b)
    obs = {}
    for p in (0, 1):
        m, o = models[p], models[1 - p]
        for _, q, _ in m.latches:
            obs[TOOL_PREFIXES[p] + q] = (p, q)
        for n in m.inputs:
            if n in o.outputs:
                obs[TOOL_PREFIXES[p] + n] = (p, n)
        for n in m.outputs:
            if n in o.inputs:
                obs[TOOL_PREFIXES[p] + n] = (p, n)
    return obs


def merge(a, b, prefixes=TOOL_PREFIXES, observe=False, name="merged"):
    """The flat reference model of `a` wired with `b` (see the module text)."""
    for m, where in ((a, "first model"), (b, "second model")):
        m.inputs = _unique(m.inputs)
        m.outputs = _unique(m.outputs)
        check_model(m, where)
    models = (a, b)
    r = Model(name)

    def net(p, n):
        return prefixes[p] + n

    def buffer(src, dst):
        r.tables.append(Table([src], dst, ["1"], True))

    po_drivers = {}
    for p in (0, 1):
        m, o = models[p], models[1 - p]
        for n in m.inputs:
            if n in o.outputs:
                buffer(net(1 - p, n), net(p, n))
            else:
                if n not in r.inputs:
                    r.inputs.append(n)
                buffer(n, net(p, n))
        for n in m.outputs:
            if n not in o.inputs:
                po_drivers.setdefault(n, []).append(net(p, n))
        for d, q, init in m.latches:
            r.latches.append((net(p, d), net(p, q), init))
        for t in m.tables:
            r.tables.append(
                Table([net(p, x) for x in t.inputs], net(p, t.output), t.rows, t.onset))
    for n, drivers in po_drivers.items():
        r.outputs.append(n)
        if len(drivers) == 1:
            buffer(drivers[0], n)
        else:
            r.tables.append(Table(drivers, n, ["1-", "-1"], True))
    if observe:
        for obs, (p, n) in observed_names(a, b).items():
            r.outputs.append(obs)
            if net(p, n) != obs:
                buffer(net(p, n), obs)
    interface = set(r.inputs) | set(po_drivers)
    for p in (0, 1):
        for n in models[p].names():
            if net(p, n) in interface:
                raise BlifError("internal name %s of instance %d collides with an interface name"
                                % (net(p, n), p))
    blifmodel.table_order(r)  # refuses combinational cycles
    return r


def hierarchical(a, b):
    """The same wiring as `merge`, written as a hierarchical BLIF file: a top
    model instantiating both models with .subckt, which ABC flattens on its
    own. Only the interface names are comparable with `merge`'s result."""
    merge(a.copy(), b.copy())  # the same checks
    models = (a, b)
    top_in, top_out, lines, drivers = [], [], [], {}
    taken = a.names() | b.names()

    def net(kind, p, n):
        name = "hier_%s%d_%s" % (kind, p, n)
        if name in taken:
            raise BlifError("hierarchical reference: %s is taken" % name)
        return name

    for p in (0, 1):
        m, o = models[p], models[1 - p]
        binds = []
        for n in m.inputs:
            if n in o.outputs:
                binds.append((n, net("wire", 1 - p, n)))
            else:
                if n not in top_in:
                    top_in.append(n)
                binds.append((n, n))
        for n in m.outputs:
            if n in o.inputs:
                binds.append((n, net("wire", p, n)))
            else:
                drivers.setdefault(n, []).append(net("out", p, n))
                binds.append((n, drivers[n][-1]))
        lines.append(".subckt part%d %s" % (p, " ".join("%s=%s" % fa for fa in binds)))
    for n, nets in drivers.items():
        top_out.append(n)
        lines.append(".names %s %s" % (" ".join(nets), n))
        lines.extend(["1 1"] if len(nets) == 1 else ["1- 1", "-1 1"])
    text = ".model top\n"
    text += ".inputs %s\n" % " ".join(top_in) if top_in else ""
    text += ".outputs %s\n" % " ".join(top_out) if top_out else ""
    text += "\n".join(lines) + "\n.end\n"
    for p in (0, 1):
        part = models[p].copy()
        part.name = "part%d" % p
        text += "\n" + blifmodel.write(part)
    return text


def main(argv):
    ap = argparse.ArgumentParser(description="Reference wiring of two BLIF models.")
    ap.add_argument("first")
    ap.add_argument("second")
    ap.add_argument("out")
    ap.add_argument("--observe", action="store_true",
                    help="also make latch outputs and wire ends primary outputs")
    ap.add_argument("--prefixes", nargs=2, default=list(TOOL_PREFIXES),
                    help="prefixes of the internal nets of the two instances")
    args = ap.parse_args(argv)
    try:
        r = merge(blifmodel.read(args.first), blifmodel.read(args.second),
                  tuple(args.prefixes), args.observe)
    except (BlifError, OSError) as e:
        print("reference_merge: %s" % e, file=sys.stderr)
        return 2
    with open(args.out, "w") as f:
        f.write(blifmodel.write(r))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
