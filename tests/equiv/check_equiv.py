#!/usr/bin/env python3
"""Checks that a merged BLIF model is sequentially equivalent to the
reference wiring of the two models it was made from.

Usage: check_equiv.py a.blif b.blif merged.blif [--io-only] [--keep DIR]

The reference comes from reference_merge.py. Berkeley ABC decides sequential
equivalence (`dsec`, then `miter` + `dprove` when that is undecided), with
inputs and outputs matched by name. Unless --io-only is given, the latch
outputs and both ends of every wire are compared as well, under the names
inst0_<name> / inst1_<name>. A random simulation of both models runs beside
ABC: it prints a counterexample when they differ and catches a checker that
would call two different models equivalent.

Exit status: 0 equivalent, 1 not equivalent (or the merged file is empty,
unreadable or has another interface), 2 undecided or error.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile


sys.dont_write_bytecode = True  # keep the source folder clean
import blifmodel
import rawblif
import reference_merge
from blifmodel import BlifError

EQUIVALENT, DIFFERENT, UNDECIDED = 0, 1, 2

# Largest model (tables) simulated for the full number of cycles.
SIM_FULL_TABLES = 4000


def find_abc():
    """Path of the Berkeley ABC binary, or None. TESSARO_ABC overrides."""
    env = os.environ.get("TESSARO_ABC")
    if env:
        return env if shutil.which(env) else None
    for name in ("berkeley-abc", "yosys-abc", "abc"):
        path = shutil.which(name)
        if path:
            return path
    return None


def abc_verdict(text):
    """EQUIVALENT / DIFFERENT / UNDECIDED from ABC's report. Only ABC's own
    verdict lines count; a report with none, or with both, is undecided."""
    same = re.search(r"^Networks are equivalent\b", text, re.M)
    differ = re.search(r"^Networks are NOT EQUIVALENT\b|^Networks are not equivalent\b", text,
                       re.M | re.I)
    if re.search(r"has failed|Error|Cannot", text):
        return UNDECIDED
    if same and not differ:
        return EQUIVALENT
    if differ and not same:
        return DIFFERENT
    return UNDECIDED


def run_abc(abc, script, cwd, timeout):
    try:
        p = subprocess.run([abc, "-c", script], cwd=cwd, capture_output=True, text=True,
                           timeout=timeout)
    except subprocess.TimeoutExpired:
        return "ABC timed out after %d s" % timeout
    return p.stdout + p.stderr


def prove(abc, ref, dut, cwd, timeout, sequential):
    """(verdict, ABC's report) for the two BLIF files in cwd."""
    if not sequential:
        report = run_abc(abc, "cec %s %s" % (ref, dut), cwd, timeout)
        return abc_verdict(report), report
    report = run_abc(abc, "dsec %s %s" % (ref, dut), cwd, timeout)
    verdict = abc_verdict(report)
    if verdict == UNDECIDED:
        report += run_abc(abc, "miter %s %s; dprove" % (ref, dut), cwd, timeout)
        verdict = abc_verdict(report)
    return verdict, report


def with_lines(text, lines):
    """The BLIF text with `lines` placed before its first latch or table."""
    if not lines:
        return text
    block = "".join(line + "\n" for line in lines)
    m = re.search(r"^[ \t]*\.(latch|names|end)\b", text, re.M)
    if not m:
        return text + block
    return text[: m.start()] + block + text[m.start():]


def fresh_names(taken, stem, count):
    """`count` names stem_0, stem_1, ... that are not in `taken`."""
    out, i = [], 0
    while len(out) < count:
        name = "%s_%d" % (stem, i)
        if name not in taken:
            out.append(name)
        i += 1
    return out


def adapt_for_abc(ref, dut, text, obs):
    """Lets ABC compare the models: the observed signals become outputs of
    the merged text; a model without primary inputs or without latches,
    which ABC's sequential engines cannot take, gets an unused input or a
    latch. Returns (merged text, whether the check is sequential)."""
    extra = []
    if obs:
        extra.append(".outputs " + " ".join(obs))
        dut.outputs += obs
    taken = ref.names() | dut.names()
    if not ref.inputs:
        pi = fresh_names(taken, "unused_input", 1)
        ref.inputs += pi
        dut.inputs += pi
        extra.append(".inputs " + pi[0])
    sequential = bool(ref.latches or dut.latches)
    if sequential and not (ref.latches and dut.latches):
        d, q = fresh_names(taken, "unused_latch", 2)
        if ref.latches:
            extra += [".names " + d, "0", ".latch %s %s 0" % (d, q)]
        else:
            ref.tables.append(blifmodel.Table([], d, [""], False))
            ref.latches.append((d, q, "0"))
    return with_lines(text, extra), sequential


def some(names, shown=12):
    """The first names of a list, and how many more there are."""
    text = " ".join(names[:shown])
    return text + (" and %d more" % (len(names) - shown) if len(names) > shown else "")


def describe_counterexample(found):
    cycle, lane, bad, steps = found
    lines = ["simulation: outputs differ at cycle %d: %s" % (cycle, " ".join(bad))]
    for i, step in enumerate(steps):
        bits = " ".join("%s=%d" % kv for kv in sorted(step.items()))
        lines.append("  cycle %d inputs: %s" % (i, bits or "(none)"))
    return "\n".join(lines)


def renamed_for_abc(ref, dut, obs):
    """Copies of both models, and of the observed names, with every name
    replaced by a plain identifier (the same one in both): ABC then reads
    names that hold any byte."""
    names = sorted(ref.names() | dut.names())
    table = {n: "w%d" % i for i, n in enumerate(names)}

    def rename(m):
        r = m.copy()
        r.inputs = [table[n] for n in r.inputs]
        r.outputs = [table[n] for n in r.outputs]
        r.latches = [(table[d], table[q], v) for d, q, v in r.latches]
        for t in r.tables:
            t.inputs = [table[n] for n in t.inputs]
            t.output = table[t.output]
        return r
    return rename(ref), rename(dut), [table[o] for o in obs]


def check(first, second, merged, observe=True, keep=None, timeout=300, log=print, raw=False,
          decode=False):
    """Verdict (0, 1 or 2) for the merged file against the reference of the
    two input files; explanations go to `log`. With `raw`, the inputs and
    the merged file are read as general BLIF (rawblif.py) and the names
    matched as the files write them; with `decode` as well, the merged
    file is tessaro's output on the encoded models and its names are
    decoded first."""
    abc = find_abc()
    if not abc:
        log("Berkeley ABC not found (package berkeley-abc)")
        return UNDECIDED
    try:
        read = rawblif.read if raw else blifmodel.read
        a, b = read(first), read(second)
        ref = reference_merge.merge(a, b, observe=observe, name="reference")
    except (BlifError, OSError) as e:
        log("reference: %s" % e)
        return UNDECIDED
    try:
        with open(merged, encoding="latin-1") as f:
            text = f.read()
    except OSError as e:
        log("cannot read the merged file: %s" % e)
        return DIFFERENT
    if not text.strip():
        log("the merged file is empty")
        return DIFFERENT
    try:
        dut = rawblif.parse(text, merged) if raw else blifmodel.parse(text, merged)
        if decode:
            dut = rawblif.decoded(dut)
        blifmodel.table_order(dut)
    except BlifError as e:
        log("the merged file is not a usable model: %s" % e)
        return DIFFERENT

    obs = list(reference_merge.observed_names(a, b)) if observe else []
    ref_io = [o for o in ref.outputs if o not in set(obs)]
    problems = []
    for kind, want, got in (("input", ref.inputs, dut.inputs), ("output", ref_io, dut.outputs)):
        missing = sorted(set(want) - set(got))
        extra = sorted(set(got) - set(want))
        if missing:
            problems.append("%ss missing from the merged file: %s" % (kind, some(missing)))
        if extra:
            problems.append("unexpected %ss in the merged file: %s" % (kind, some(extra)))
    absent = sorted(set(obs) - dut.driven())
    if absent:
        problems.append("internal signals not driven in the merged file: %s" % some(absent))
    if problems:
        for p in problems:
            log(p)
        return DIFFERENT
    cycles = 24 if len(ref.tables) <= SIM_FULL_TABLES else 6
    if raw:
        # Simulated under the files' names; given to ABC under plain ones.
        found = blifmodel.simulate_difference(ref, dut, ref.outputs, cycles=cycles)
        ref, dut, obs = renamed_for_abc(ref, dut, obs)
        dut.outputs = [o for o in dut.outputs if o not in set(obs)]
        text = blifmodel.write(dut)
        dut_text, sequential = adapt_for_abc(ref, dut, text, obs)
    else:
        dut_text, sequential = adapt_for_abc(ref, dut, text, obs)
        found = blifmodel.simulate_difference(ref, dut, ref.outputs, cycles=cycles)
    if found:
        log(describe_counterexample(found))

    work = keep or tempfile.mkdtemp(prefix="equiv_")
    try:
        os.makedirs(work, exist_ok=True)
        with open(os.path.join(work, "reference.blif"), "w") as f:
            f.write(blifmodel.write(ref))
        with open(os.path.join(work, "merged_observed.blif"), "w") as f:
            f.write(dut_text)
        verdict, report = prove(abc, "reference.blif", "merged_observed.blif", work, timeout,
                                sequential)
    finally:
        if not keep:
            shutil.rmtree(work, ignore_errors=True)
    if verdict == UNDECIDED:
        log("ABC gave no verdict:\n" + report.strip())
        return UNDECIDED
    if verdict == EQUIVALENT and found:
        log("ABC calls the models equivalent but simulation found a difference:\n"
            + report.strip())
        return UNDECIDED
    if verdict == DIFFERENT:
        log("ABC: not equivalent\n" + report.strip())
    return verdict


def main(argv):
    ap = argparse.ArgumentParser(description="Sequential equivalence of a merged BLIF model "
                                 "with the reference wiring of its two inputs.")
    ap.add_argument("first")
    ap.add_argument("second")
    ap.add_argument("merged")
    ap.add_argument("--io-only", action="store_true",
                    help="compare primary inputs and outputs only")
    ap.add_argument("--keep", metavar="DIR", help="keep the files given to ABC in DIR")
    ap.add_argument("--timeout", type=int, default=300, help="seconds per ABC run")
    args = ap.parse_args(argv)
    verdict = check(args.first, args.second, args.merged, not args.io_only, args.keep,
                    args.timeout, log=lambda s: print(s, file=sys.stderr))
    print(("equivalent", "NOT equivalent", "undecided")[verdict])
    return verdict


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
