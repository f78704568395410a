#!/usr/bin/env python3
"""Random sequential circuits in the BLIF subset tessaro reads, for the
scaling benchmark.

Usage: gen_circuit.py GATES SEED [--side a|b] [--fanout P] [-o FILE]

Writes one model of GATES tables and GATES/10 latches. The same GATES and
SEED always give the same bytes. Two sides are meant to be merged together:

  pi<k>       primary inputs, read by both sides
  both_<k>    outputs that both sides define (the merge ors them)
  a_o<k>      outputs of side a only (b_o<k> for side b)
  a2b_<k>     latch outputs of side a that side b reads as inputs
  b2a_<k>     latch outputs of side b that side a reads as inputs
  n<g>, r<j>  internal tables and latches; both sides use the same names,
              which the merge must keep apart
  rst         with --fanout P > 0, an input read by each table with
              probability P (a reset or enable net of high fanout)

The signals that cross between the sides all come out of latches, so wiring
them both ways never closes a combinational loop.
"""

import argparse
import random
import sys


def cover(rng, k):
    """Rows of a gate over k inputs: mostly and/or/xor shapes with random
    polarities, now and then an off-set table or a row with don't-cares."""
    roll = rng.random()
    pol = [rng.choice("01") for _ in range(k)]
    if k == 1:
        return [(pol[0], "1")]
    if roll < 0.4:  # and of literals
        return [("".join(pol), "1")]
    if roll < 0.7:  # or of literals
        return [("-" * i + pol[i] + "-" * (k - i - 1), "1") for i in range(k)]
    if roll < 0.8 and k == 2:  # xor / xnor
        a = rng.choice("01")
        return [("0" + a, "1"), ("1" + ("1" if a == "0" else "0"), "1")]
    if roll < 0.9:  # nand written as its off-set
        return [("".join(pol), "0")]
    rows = []
    for _ in range(rng.randint(2, 3)):
        rows.append(("".join(rng.choice("01--") for _ in range(k)), "1"))
    return rows


def circuit(gates, seed, side, fanout=0.0):
    rng = random.Random("%d/%d/%s" % (gates, seed, side))
    other = "b" if side == "a" else "a"
    n_latch = max(1, gates // 10)
    n_pi = max(4, gates // 50)
    n_out = max(2, gates // 50)
    n_link = max(1, gates // 100)
    n_both = max(1, gates // 200)

    inputs = ["pi%d" % k for k in range(n_pi)]
    if fanout > 0:
        inputs.append("rst")
    inputs += ["%s2%s_%d" % (other, side, k) for k in range(n_link)]
    link_outs = ["%s2%s_%d" % (side, other, k) for k in range(n_link)]
    state = ["r%d" % j for j in range(n_latch - n_link)] + link_outs
    rng.shuffle(state)

    # Tables in topological order, each reading earlier signals: half of the
    # time a recent one (local structure), otherwise any.
    avail = inputs + state
    tables = []
    for g in range(gates):
        k = rng.choice((1, 2, 2, 2, 3, 3, 4))
        ins = []
        while len(ins) < k:
            if rng.random() < 0.5:
                s = avail[-1 - rng.randrange(min(64, len(avail)))]
            else:
                s = rng.choice(avail)
            if s not in ins:
                ins.append(s)
        if fanout > 0 and "rst" not in ins and rng.random() < fanout:
            ins[rng.randrange(k)] = "rst"
        out = "n%d" % g
        tables.append((ins, out, cover(rng, k)))
        avail.append(out)

    gate_names = [t[1] for t in tables]
    latches = [(rng.choice(gate_names), q, rng.choice("0001")) for q in state]
    # Named outputs are buffers of gates late in the order.
    late = gate_names[len(gate_names) // 2 :]
    out_names = ["%s_o%d" % (side, k) for k in range(n_out)]
    out_names += ["both_%d" % k for k in range(n_both)]
    for name in out_names:
        tables.append(([rng.choice(late)], name, [("1", "1")]))
    outputs = out_names + link_outs
    rng.shuffle(outputs)

    items = [("latch", l) for l in latches] + [("table", t) for t in tables]
    lines = ["# random sequential circuit: %d gates, seed %d, side %s\n" % (gates, seed, side)]
    lines.append(".model rand%d_%s\n" % (gates, side))
    lines.append(".inputs " + " ".join(inputs) + "\n")
    lines.append(".outputs " + " ".join(outputs) + "\n")
    for kind, item in items:
        if kind == "latch":
            lines.append(".latch %s %s %s\n" % item)
            continue
        ins, out, rows = item
        lines.append(".names %s %s\n" % (" ".join(ins), out))
        for cube, val in rows:
            lines.append("%s %s\n" % (cube, val))
    lines.append(".end\n")
    return "".join(lines)


def main(argv):
    ap = argparse.ArgumentParser(description="Random sequential BLIF circuit.")
    ap.add_argument("gates", type=int)
    ap.add_argument("seed", type=int)
    ap.add_argument("--side", choices=("a", "b"), default="a")
    ap.add_argument("--fanout", type=float, default=0.0,
                    help="probability that a table reads the input rst (default 0: no rst)")
    ap.add_argument("-o", "--output", help="file to write (default: standard output)")
    args = ap.parse_args(argv)
    if args.gates < 1:
        ap.error("GATES must be at least 1")
    if not 0.0 <= args.fanout <= 1.0:
        ap.error("--fanout must lie between 0 and 1")
    text = circuit(args.gates, args.seed, args.side, args.fanout)
    if args.output:
        with open(args.output, "w") as f:
            f.write(text)
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
