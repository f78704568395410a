#!/usr/bin/env python3
"""Runs tessaro on pairs of BLIF files and checks each merged model against
the reference wiring with check_equiv.py; or, with --selftest, proves that
the checker itself accepts equal models and rejects altered ones.

  run_suite.py --tessaro BIN --pair A.blif B.blif [--pair ...]
  run_suite.py --tessaro BIN --random FIRST COUNT
  run_suite.py --tessaro BIN --bench DIR NAME1:NAME2 [...]
  run_suite.py --selftest FIRST COUNT
  run_suite.py --raw DIR [FIRST:SECOND ...] (--tessaro-merge BIN | --canonical BIN --tessaro BIN)

Exit status: 0 all passed, 1 some failed, 77 skipped (Berkeley ABC or the
benchmark folder missing). Failing cases keep their folder and print it.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time


sys.dont_write_bytecode = True  # keep the source folder clean
import blifmodel
import check_equiv
import gen_pair
import raw_pairs
import rawblif
import reference_merge
from blifmodel import BlifError

SKIP = 77
TOOL_TIMEOUT = 900


class Tally:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def record(self, ok, label, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        print("%s %s%s" % ("PASS" if ok else "FAIL", label, detail), flush=True)


def base(path):
    return os.path.splitext(os.path.basename(path))[0]


def merge_and_check(tessaro, first, second, label, tally, io_only):
    """Copies both files into a fresh folder, runs tessaro there and checks
    its output."""
    work = tempfile.mkdtemp(prefix="tessaro_equiv_")
    n1, n2 = base(first), base(second)
    if n2 == n1 and os.path.abspath(first) != os.path.abspath(second):
        n2 = n1 + "_2"
    shutil.copyfile(first, os.path.join(work, n1 + ".blif"))
    if n2 != n1:
        shutil.copyfile(second, os.path.join(work, n2 + ".blif"))
    t0 = time.monotonic()
    try:
        run = subprocess.run([tessaro, n1, n2], cwd=work, capture_output=True, timeout=TOOL_TIMEOUT)
        status, err = run.returncode, run.stderr.decode("latin-1")
    except subprocess.TimeoutExpired:
        status, err = None, "timed out after %d s" % TOOL_TIMEOUT
    t1 = time.monotonic()
    with open(os.path.join(work, "tessaro.err"), "w") as f:
        f.write(err)
    problems = []
    if status != 0:
        problems.append("tessaro exit status %s" % status)
    if "syntax error" in err:
        problems.append("tessaro rejected an input: " + err.splitlines()[0])
    verdict = None
    if not problems:
        verdict = check_equiv.check(
            os.path.join(work, n1 + ".blif"), os.path.join(work, n2 + ".blif"),
            os.path.join(work, "%s_%s.blif" % (n1, n2)), observe=not io_only,
            keep=os.path.join(work, "abc"), log=problems.append)
    t2 = time.monotonic()
    ok = verdict == check_equiv.EQUIVALENT
    tally.record(ok, label, " (tessaro %.2f s, check %.2f s)" % (t1 - t0, t2 - t1))
    if ok:
        shutil.rmtree(work, ignore_errors=True)
    else:
        for p in problems:
            print("    " + p.replace("\n", "\n    "))
        print("    files kept in " + work)


# ---------------------------------------------------------------- self-test

def mutate(model, rng):
    """One random change of the model: (description, changed copy), or None
    when the change drawn does not apply or closes a combinational loop."""
    m = model.copy()
    nets = sorted(set(m.inputs) | m.driven())
    kind = rng.choice(("literal", "row", "complement", "init", "swap", "rewire", "latch input"))
    tables = [t for t in m.tables if t.inputs and t.rows]
    if kind == "init" or kind == "latch input":
        if not m.latches:
            return None
        i = rng.randrange(len(m.latches))
        d, q, init = m.latches[i]
        if kind == "init":
            m.latches[i] = (d, q, "1" if init == "0" else "0")
        else:
            m.latches[i] = (rng.choice(nets), q, init)
        return "%s of latch %s" % (kind, q), m
    if not tables:
        return None
    t = rng.choice(tables)
    if kind == "literal":
        r = rng.randrange(len(t.rows))
        k = rng.randrange(len(t.inputs))
        row = list(t.rows[r])
        row[k] = {"0": "1", "1": "0", "-": rng.choice("01")}[row[k]]
        t.rows[r] = "".join(row)
    elif kind == "row":
        if len(t.rows) < 2:
            return None
        del t.rows[rng.randrange(len(t.rows))]
    elif kind == "complement":
        t.onset = not t.onset
    elif kind == "swap":
        if len(t.inputs) < 2:
            return None
        i, j = rng.sample(range(len(t.inputs)), 2)
        t.inputs[i], t.inputs[j] = t.inputs[j], t.inputs[i]
    else:
        i = rng.randrange(len(t.inputs))
        t.inputs[i] = rng.choice([n for n in nets if n not in t.inputs] or t.inputs)
    try:
        blifmodel.table_order(m)
    except BlifError:
        return None
    return "%s in the table of %s" % (kind, t.output), m


def cross_check_hierarchical(a, b, flat, work):
    """Verdict of ABC on the flat reference against the same wiring written
    with .subckt and flattened by ABC itself. (ABC refuses hierarchies whose
    instances feed each other both ways, so callers skip those.)"""
    flat = flat.copy()
    hier = reference_merge.hierarchical(a, b)
    if not flat.inputs:
        flat.inputs.append("unused_input_0")
        hier = check_equiv.with_lines(hier, [".inputs unused_input_0"])
    for name, text in (("flat.blif", blifmodel.write(flat)), ("hier.blif", hier)):
        with open(os.path.join(work, name), "w") as f:
            f.write(text)
    verdict, report = check_equiv.prove(check_equiv.find_abc(), "flat.blif", "hier.blif", work,
                                        300, bool(flat.latches))
    if verdict:
        print(report)
    return verdict


def selftest(first_seed, count, tally, mutants_per_pair=6):
    """On random pairs: the reference with other internal names is
    equivalent; altered copies are not (whenever simulation shows they
    differ, and never undecided); a changed interface or an empty file is
    rejected."""
    work = tempfile.mkdtemp(prefix="tessaro_equiv_self_")
    detected = total = 0
    for seed in range(first_seed, first_seed + count):
        rng = random.Random(seed * 7919)
        texts = gen_pair.generate(seed, ("left", "right"))
        paths = [os.path.join(work, n + ".blif") for n in ("left", "right")]
        for path, text in zip(paths, texts):
            with open(path, "w") as f:
                f.write(text)
        a, b = blifmodel.read(paths[0]), blifmodel.read(paths[1])
        observed = reference_merge.merge(a, b, observe=True)
        dut = os.path.join(work, "dut.blif")
        msgs = []

        def verdict_of(model, text=None):
            with open(dut, "w") as f:
                f.write(blifmodel.write(model, seed % 2 == 0) if text is None else text)
            msgs.clear()
            return check_equiv.check(paths[0], paths[1], dut, log=msgs.append)

        # Even seeds write the models given to the checker in tessaro's layout.
        renamed = reference_merge.merge(a, b, prefixes=("zz0_", "zz1_"), observe=True)
        obs = reference_merge.observed_names(a, b)
        renamed.outputs = [o for o in renamed.outputs if o not in obs]
        v = verdict_of(renamed)
        tally.record(v == 0, "seed %d: reference with renamed internals is equivalent" % seed,
                     "" if v == 0 else ": verdict %d %s" % (v, msgs))

        plain = reference_merge.merge(a, b)
        if not (set(a.outputs) & set(b.inputs) and set(b.outputs) & set(a.inputs)):
            v = cross_check_hierarchical(a, b, plain, work)
            tally.record(v == 0, "seed %d: ABC's own flattening of the pair agrees" % seed,
                         "" if v == 0 else ": verdict %d" % v)
        tried = 0
        while tried < mutants_per_pair:
            drawn = mutate(plain, rng)
            if not drawn:
                continue
            tried += 1
            what, mutant = drawn
            mutant_obs = mutant.copy()
            mutant_obs.outputs += list(obs)
            sim = blifmodel.simulate_difference(observed, mutant_obs, observed.outputs, seed=seed)
            v = verdict_of(mutant)
            total += 1
            detected += v == 1
            ok = v == 1 if sim else v in (0, 1)
            tally.record(ok, "seed %d: %s -> %s (simulation %s)"
                         % (seed, what, ("equivalent", "not equivalent", "undecided")[v],
                            "differs" if sim else "agrees"), "" if ok else " %s" % msgs)

        if plain.outputs:
            dropped = plain.copy()
            dropped.outputs = dropped.outputs[1:]
            v = verdict_of(dropped)
            tally.record(v == 1, "seed %d: a missing output is rejected" % seed)
        extra = plain.copy()
        extra.inputs.append("extra_input")
        v = verdict_of(extra)
        tally.record(v == 1, "seed %d: an extra input is rejected" % seed)
        v = verdict_of(None, "")
        tally.record(v == 1, "seed %d: an empty file is rejected" % seed)
        unread = plain.copy()
        unread.latches.append((sorted(plain.names())[0], "spare_q", "1"))
        v = verdict_of(unread)
        tally.record(v == 0, "seed %d: a latch nothing reads changes nothing" % seed)
    # Many changes of a netlist are visible at its outputs; a checker that
    # lets most of them through is broken even if each case looked allowed.
    tally.record(total and detected * 3 >= total,
                 "%d of %d altered models found not equivalent" % (detected, total))
    shutil.rmtree(work, ignore_errors=True)


def raw_selftest(folder, pairs, canonical, tessaro, tally, mutants_per_pair=6):
    """On raw pairs merged through their canonical texts: the merged model
    written back under the files' names is equivalent, and altered copies
    are not whenever simulation shows they differ."""
    detected = total = 0
    for seed, pair in enumerate(pairs, 1):
        work = tempfile.mkdtemp(prefix="tessaro_equiv_rawself_")
        a, b, merged, _, problems = raw_pairs.merged_file(folder, pair, seed, work,
                                                          canonical=canonical, tessaro=tessaro)
        if problems:
            tally.record(False, "%s: merged" % pair, " %s" % problems)
            continue
        with open(merged, encoding="latin-1") as f:
            model = rawblif.decoded(rawblif.parse(f.read(), merged))
        dut = os.path.join(work, "dut.blif")
        msgs = []

        def verdict_of(m):
            with open(dut, "w", encoding="latin-1") as f:
                f.write(blifmodel.write(m))
            msgs.clear()
            return check_equiv.check(a, b, dut, raw=True, log=msgs.append)
        v = verdict_of(model)
        tally.record(v == 0, "%s: written back under its own names, equivalent" % pair,
                     "" if v == 0 else ": verdict %d %s" % (v, msgs))
        ref = reference_merge.merge(rawblif.read(a), rawblif.read(b), observe=True)
        obs = reference_merge.observed_names(rawblif.read(a), rawblif.read(b))
        rng = random.Random(seed)
        tried = 0
        while tried < mutants_per_pair:
            drawn = mutate(model, rng)
            if not drawn:
                continue
            tried += 1
            what, mutant = drawn
            observed = mutant.copy()
            observed.outputs += [o for o in obs if o not in observed.outputs]
            sim = blifmodel.simulate_difference(ref, observed, ref.outputs, seed=seed)
            v = verdict_of(mutant)
            total += 1
            detected += v == 1
            ok = v == 1 if sim else v in (0, 1)
            tally.record(ok, "%s: %s -> %s (simulation %s)"
                         % (pair, what, ("equivalent", "not equivalent", "undecided")[v],
                            "differs" if sim else "agrees"), "" if ok else " %s" % msgs)
        shutil.rmtree(work, ignore_errors=True)
    tally.record(total and detected * 3 >= total,
                 "%d of %d altered raw models found not equivalent" % (detected, total))


# --------------------------------------------------------------------- main

def main(argv):
    ap = argparse.ArgumentParser(description="Equivalence checks of tessaro's merge.")
    ap.add_argument("--tessaro", help="the tessaro binary")
    ap.add_argument("--pair", nargs=2, action="append", default=[], metavar=("A", "B"))
    ap.add_argument("--random", nargs=2, type=int, metavar=("FIRST", "COUNT"))
    ap.add_argument("--bench", nargs="+", metavar="DIR NAME1:NAME2")
    ap.add_argument("--selftest", nargs=2, type=int, metavar=("FIRST", "COUNT"))
    ap.add_argument("--raw", nargs="+", metavar="DIR [FIRST:SECOND]",
                    help="raw pairs of DIR (raw_pairs.py; all of its list when none is given)")
    ap.add_argument("--tessaro-merge", help="the tessaro-merge binary, for --raw")
    ap.add_argument("--raw-selftest", nargs="+", metavar="DIR FIRST:SECOND",
                    help="the checker on altered merges of raw pairs (needs --canonical and "
                    "--tessaro)")
    ap.add_argument("--canonical", help="the tessaro_canonical test tool, for --raw with --tessaro")
    ap.add_argument("--io-only", action="store_true",
                    help="compare primary inputs and outputs only")
    args = ap.parse_args(argv)

    if not check_equiv.find_abc():
        print("SKIPPED: Berkeley ABC not found (package berkeley-abc)")
        return SKIP
    if (args.pair or args.random or args.bench) and not args.tessaro:
        ap.error("--tessaro is needed")
    if args.raw and not (args.tessaro_merge or (args.canonical and args.tessaro)):
        ap.error("--raw needs --tessaro-merge, or --canonical and --tessaro")
    tally = Tally()
    start = time.monotonic()
    for a, b in args.pair:
        merge_and_check(args.tessaro, a, b, "%s + %s" % (base(a), base(b)), tally, args.io_only)
    if args.random:
        first, count = args.random
        folder = tempfile.mkdtemp(prefix="tessaro_equiv_gen_")
        for seed in range(first, first + count):
            d = os.path.join(folder, str(seed))
            os.makedirs(d)
            names = ("left", "right")
            for n, text in zip(names, gen_pair.generate(seed, names)):
                with open(os.path.join(d, n + ".blif"), "w") as f:
                    f.write(text)
            merge_and_check(args.tessaro, os.path.join(d, "left.blif"),
                            os.path.join(d, "right.blif"), "random pair %d" % seed, tally,
                            args.io_only)
        shutil.rmtree(folder, ignore_errors=True)
    if args.bench:
        folder, pairs = args.bench[0], args.bench[1:]
        if not os.path.isdir(folder):
            print("SKIPPED: no benchmark folder %s" % folder)
            return SKIP
        for pair in pairs:
            n1, n2 = pair.split(":")
            merge_and_check(args.tessaro, os.path.join(folder, n1 + ".blif"),
                            os.path.join(folder, n2 + ".blif"), "%s + %s" % (n1, n2), tally,
                            args.io_only)
    if args.raw:
        folder, raw = args.raw[0], args.raw[1:] or raw_pairs.PAIRS
        if not os.path.isdir(folder):
            print("SKIPPED: no raw benchmark folder %s" % folder)
            return SKIP
        for seed, pair in enumerate(raw, 1):
            raw_pairs.merge_and_check(folder, pair, seed, tally, args.tessaro_merge,
                                      args.canonical, args.tessaro, args.io_only)
    if args.raw_selftest:
        if not os.path.isdir(args.raw_selftest[0]):
            print("SKIPPED: no raw benchmark folder %s" % args.raw_selftest[0])
            return SKIP
        raw_selftest(args.raw_selftest[0], args.raw_selftest[1:], args.canonical, args.tessaro,
                     tally)
    if args.selftest:
        selftest(args.selftest[0], args.selftest[1], tally)
    print("%d passed, %d failed (%.1f s)" % (tally.passed, tally.failed,
                                             time.monotonic() - start))
    return 1 if tally.failed or not tally.passed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
