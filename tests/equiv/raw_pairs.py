"""Pairs of raw BLIF files (../shared/benchmarks/raw, unconverted) merged
and checked against the reference wiring of rawblif.py's reading of them.

A pair is written FIRST:SECOND, each a path inside the raw folder, or
  @empty   a model without signals,
  @feed    a small raw-style companion of the other file that reads some
           of its outputs and drives some of its inputs (raw_feeder.py).
The merged model comes from one of two tools:
  - tessaro-merge, run as `tessaro-merge -o merged.blif A B` on the files
    as they are, its output read with the files' own names;
  - tessaro on the canonical texts of both files (the test tool
    tessaro_canonical: general reader, name encoding, subset writer), its
    output read with the names decoded.
"""

import os
import shutil
import subprocess
import tempfile
import time

import check_equiv
import raw_feeder
import rawblif

TOOL_TIMEOUT = 900

# Twenty-four pairs: every folder of the raw set, both readers' hard cases
# (continuation lines, dots, brackets and parentheses in names, latches
# with type and clock, initial values 2, PLAs, ABC's and Yosys's names,
# Yosys flip-flop cells with enables and synchronous resets, .conn, undriven
# $true/$false), shared inputs and ORed outputs, and connected pairs. (Two
# of the Yosys files together pass the engine's limit on variables.)
PAIRS = [
    "iscas/s27.blif:lgsynth/s27.blif",
    "iscas/s27.blif:@feed",
    "abc/abc_strash_s27.blif:iscas/s27.blif",
    "iscas/s298.blif:@feed",
    "iscas/s382.blif:lgsynth/s382.blif",
    "iscas/s526.blif:@empty",
    "iscas/s1196.blif:@feed",
    "mcnc/ex4.blif:@feed",
    "mcnc/train11.blif:mcnc/lion9.blif",
    "mcnc/s1a.blif:mcnc/s1.blif",
    "mcnc/keyb.blif:@feed",
    "mcnc/shiftreg.blif:mcnc/modulo12.blif",
    "lgsynth/C17.blif:@feed",
    "lgsynth/C432.blif:lgsynth/C880.blif",
    "lgsynth/s208.1.blif:lgsynth/s420.1.blif",
    "lgsynth/mm9a.blif:@feed",
    "lgsynth/cm138a.blif:lgsynth/cm82a.blif",
    "lgsynth/9symml.blif:@feed",
    "abc/abc_lut6_dalu.blif:lgsynth/dalu.blif",
    "abc/abc_rw_s5378.blif:iscas/s5378.blif",
    "yosys/ys_plain_aes.blif:@feed",
    "yosys/ys_impltf_aes.blif:@feed",
    "yosys/ys_gates_aes.blif:@empty",
    "@feed:yosys/ys_conn_aes.blif",
]


def _side(folder, name, other, seed, work, tag):
    """Path of one side of a pair inside `work`, written there."""
    path = os.path.join(work, tag + ".blif")
    if name == "@empty":
        text = ".model empty\n.end\n"
    elif name == "@feed":
        text = raw_feeder.feeder(rawblif.read(os.path.join(folder, other)), seed)
    else:
        shutil.copyfile(os.path.join(folder, name), path)
        return path
    with open(path, "w", newline="", encoding="latin-1") as f:
        f.write(text)
    return path


def _run(cmd, cwd):
    try:
        p = subprocess.run(cmd, cwd=cwd, capture_output=True, timeout=TOOL_TIMEOUT)
        return p.returncode, p.stderr.decode("latin-1")
    except subprocess.TimeoutExpired:
        return None, "timed out after %d s" % TOOL_TIMEOUT


def merged_file(folder, pair, seed, work, merge_tool=None, canonical=None, tessaro=None):
    """Writes both sides of the pair into `work` and merges them with the
    tool given: (first, second, merged file, whether its names are encoded,
    problems met)."""
    first, second = pair.split(":")
    problems = []
    a = _side(folder, first, second, seed, work, "first")
    b = _side(folder, second, first, seed, work, "second")
    merged = os.path.join(work, "merged.blif")
    if merge_tool:
        status, err = _run([merge_tool, "-o", merged, a, b], work)
        if status != 0:
            problems.append("tessaro-merge exit status %s: %s" % (status, err.strip()))
        return a, b, merged, False, problems
    for side, tag in ((a, "left"), (b, "right")):
        status, err = _run([canonical, side, "-o", os.path.join(work, tag + ".blif")], work)
        if status != 0:
            problems.append("canonical text of %s: status %s: %s" % (side, status, err))
    if not problems:
        status, err = _run([tessaro, "left", "right"], work)
        if status != 0 or "syntax error" in err:
            problems.append("tessaro exit status %s: %s" % (status, err[:2000]))
    return a, b, os.path.join(work, "left_right.blif"), True, problems


def merge_and_check(folder, pair, seed, tally, merge_tool=None, canonical=None, tessaro=None,
                    io_only=False):
    """Merges one pair with the tool given and checks the result."""
    work = tempfile.mkdtemp(prefix="tessaro_equiv_raw_")
    t0 = time.monotonic()
    a, b, merged, encoded, problems = merged_file(folder, pair, seed, work, merge_tool, canonical,
                                                  tessaro)
    t1 = time.monotonic()
    verdict = None
    if not problems:
        verdict = check_equiv.check(a, b, merged, observe=not io_only,
                                    keep=os.path.join(work, "abc"), log=problems.append,
                                    raw=True, decode=encoded)
    t2 = time.monotonic()
    ok = verdict == check_equiv.EQUIVALENT
    tally.record(ok, pair, " (merge %.2f s, check %.2f s)" % (t1 - t0, t2 - t1))
    if ok:
        shutil.rmtree(work, ignore_errors=True)
    else:
        for p in problems:
            print("    " + p.replace("\n", "\n    "))
        print("    files kept in " + work)
