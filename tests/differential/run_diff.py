#!/usr/bin/env python3
"""Differential test: the tool against itself with its straightforward paths.

Usage: run_diff.py --tool BIN (--reference BIN | --canonical BIN | --merge BIN)
                   [--random FIRST COUNT] [--generated SIZE ...] [--bench DIR PAIR ...]
                   [--pair A.blif B.blif ...]

Runs both binaries on the same pairs of models, each in a directory of its
own, and compares exit status, standard output, standard error, output file
and log file byte for byte. Pairs: random pairs of tests/equiv/gen_pair.py
(seeds FIRST .. FIRST+COUNT-1), generated circuits of bench/gen_circuit.py
(sides a and b of SIZE tables, plain and with a net of high fanout), and
benchmark pairs X:Y of DIR (skipped, exit status 77, when DIR is absent).
Prints one line per pair; exits 1 when any pair differs.

With --canonical, the tool runs on the sources and again on their canonical
texts (tests/canonical_main.cpp: the general reader, the name encoding and
the subset writer), and both runs must write the same bytes: the same
reductions in the log, the same model and trace. A source the general
reader refuses (rows shorter than their names, or "-" as output value,
which only the subset reads) is counted and shown, never compared.

With --merge, tessaro-merge runs on the same files: `tessaro-merge --trace
T a.blif b.blif` must write the model tessaro writes, T must hold what
tessaro writes on standard error (the composition's trace) and T.log its
log; without --trace the model must be the same too. Where tessaro refuses
a pair, tessaro-merge must refuse it as well (status 1).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
GEN_PAIR = os.path.join(ROOT, "tests", "equiv", "gen_pair.py")
GEN_CIRCUIT = os.path.join(ROOT, "bench", "gen_circuit.py")


def run(binary, directory, a, b):
    """Runs binary on a and b in directory; returns everything it produced."""
    done = subprocess.run([binary, a, b], cwd=directory, capture_output=True, timeout=600)
    files = {}
    for suffix in (".blif", ".log"):
        path = os.path.join(directory, a + "_" + b + suffix)
        with open(path, "rb") as f:
            files[suffix] = f.read()
    return {"status": done.returncode, "stdout": done.stdout, "stderr": done.stderr,
            "output file": files[".blif"], "log file": files[".log"]}


# Rows that only the subset reads: shorter than their names, or "-" as output.
READER_REFUSES = re.compile(r"^\S+:\d+: row '.*' of the table of \S+ has (\d+ values?; it needs"
                            r"|the output value '-')", re.M)


def merge_runs(merge, directory, a, b):
    """tessaro-merge on a and b in directory, with and without its trace."""
    names = (a + ".blif", b + ".blif")
    traced = subprocess.run([merge, "-q", "--trace", "trace.txt", "-o", "traced.blif", *names],
                            cwd=directory, capture_output=True, timeout=600)
    plain = subprocess.run([merge, "-q", "-o", "plain.blif", *names], cwd=directory,
                           capture_output=True, timeout=600)
    out = {"status": traced.returncode, "plain status": plain.returncode,
           "stderr": traced.stderr.decode("latin-1")}
    for key, name in (("output file", "traced.blif"), ("plain output file", "plain.blif"),
                      ("trace", "trace.txt"), ("log file", "trace.txt.log")):
        path = os.path.join(directory, name)
        out[key] = open(path, "rb").read() if os.path.exists(path) else None
    return out


def compare_merge(label, tool, merge, sources, a, b, work):
    """tessaro and tessaro-merge on copies of the two sources; True when
    tessaro-merge wrote what tessaro writes."""
    directory = os.path.join(work, "merge")
    os.makedirs(directory)
    shutil.copy(sources[0], os.path.join(directory, a + ".blif"))
    if sources[1] != sources[0] or a != b:
        shutil.copy(sources[1], os.path.join(directory, b + ".blif"))
    t = run(tool, directory, a, b)
    m = merge_runs(merge, directory, a, b)
    if t["status"] == 0 and m["status"] == 1 and READER_REFUSES.search(m["stderr"]):
        print("%-32s refused by the general reader: %s" % (label, m["stderr"].strip()))
        return None
    if t["status"] != 0:
        same = m["status"] == 1 and m["plain status"] == 1
        print("%-32s %s (tessaro status %d, tessaro-merge status %d)"
              % (label, "both refuse" if same else "DIFFERENT", t["status"], m["status"]))
        return same
    expected = {"status": 0, "plain status": 0, "output file": t["output file"],
                "plain output file": t["output file"], "trace": t["stderr"],
                "log file": t["log file"]}
    differing = [key for key in expected if expected[key] != m[key]]
    if differing:
        print("%-32s DIFFERENT: %s" % (label, ", ".join(differing)))
        return False
    print("%-32s same (%d bytes out, %d bytes trace, %d bytes log)"
          % (label, len(m["output file"]), len(m["trace"]), len(m["log file"])))
    return True


def canonical_texts(canonical, sources, work):
    """The canonical texts of both sources, or None with the refusal."""
    os.makedirs(work)
    out = []
    for k, source in enumerate(sources):
        path = os.path.join(work, "c%d.blif" % k)
        done = subprocess.run([canonical, source, "-o", path], capture_output=True, timeout=600)
        if done.returncode != 0:
            return None, done.stderr.decode("latin-1").strip().splitlines()[-1]
        out.append(path)
    return tuple(out), None


def compare(label, tool, reference, sources, a, b, work, canonical=None):
    """Runs both binaries on copies of the two sources (or the tool on the
    sources and on their canonical texts); returns True when equal, None
    when the general reader refuses a source."""
    runs = [("tool", tool, sources), ("reference", reference, sources)]
    if canonical:
        texts, refused = canonical_texts(canonical, sources, os.path.join(work, "texts"))
        if texts is None:
            print("%-32s refused by the general reader: %s" % (label, refused))
            return None
        runs[1] = ("canonical", tool, texts)
    results = []
    for which, binary, files in runs:
        directory = os.path.join(work, which)
        os.makedirs(directory)
        shutil.copy(files[0], os.path.join(directory, a + ".blif"))
        if files[1] != files[0] or a != b:
            shutil.copy(files[1], os.path.join(directory, b + ".blif"))
        results.append(run(binary, directory, a, b))
    differing = [key for key in results[0] if results[0][key] != results[1][key]]
    if differing:
        print("%-32s DIFFERENT: %s" % (label, ", ".join(differing)))
        return False
    print("%-32s same (status %d, %d bytes out, %d bytes err)"
          % (label, results[0]["status"], len(results[0]["output file"]),
             len(results[0]["stderr"])))
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    which = parser.add_mutually_exclusive_group(required=True)
    which.add_argument("--reference")
    which.add_argument("--canonical")
    which.add_argument("--merge")
    parser.add_argument("--random", nargs=2, type=int, metavar=("FIRST", "COUNT"))
    parser.add_argument("--generated", nargs="*", type=int, default=[])
    parser.add_argument("--bench", nargs="+", metavar=("DIR", "PAIR"))
    parser.add_argument("--pair", nargs=2, action="append", default=[], metavar=("A", "B"))
    args = parser.parse_args()

    pairs = []  # (label, (source a, source b), name a, name b)
    work = tempfile.mkdtemp(prefix="tessaro-diff-")
    try:
        inputs = os.path.join(work, "inputs")
        os.makedirs(inputs)
        if args.random:
            first, count = args.random
            for seed in range(first, first + count):
                out = os.path.join(inputs, "r%d" % seed)
                os.makedirs(out)
                subprocess.run([sys.executable, GEN_PAIR, str(seed), out], check=True)
                pairs.append(("random pair %d" % seed,
                              (os.path.join(out, "a.blif"), os.path.join(out, "b.blif")), "a", "b"))
        for size in args.generated:
            for fanout in ("0", "0.5"):
                files = []
                for side in ("a", "b"):
                    path = os.path.join(inputs, "g%s%d_%s.blif" % (side, size, fanout))
                    subprocess.run([sys.executable, GEN_CIRCUIT, str(size), "1", "--side", side,
                                    "--fanout", fanout, "-o", path], check=True)
                    files.append(path)
                pairs.append(("generated %d fanout %s" % (size, fanout), tuple(files), "ga", "gb"))
        if args.bench:
            directory, names = args.bench[0], args.bench[1:]
            if not os.path.isdir(directory):
                print("SKIPPED: no benchmark folder at %s" % directory)
                return 77
            for pair in names:
                x, y = pair.split(":")
                pairs.append((pair, (os.path.join(directory, x + ".blif"),
                                     os.path.join(directory, y + ".blif")), x, y))

        for x, y in args.pair:
            pairs.append(("%s + %s" % (os.path.basename(x), os.path.basename(y)), (x, y),
                          os.path.splitext(os.path.basename(x))[0],
                          os.path.splitext(os.path.basename(y))[0]))

        different = refused = 0
        for n, (label, sources, a, b) in enumerate(pairs):
            if args.merge:
                same = compare_merge(label, args.tool, args.merge, sources, a, b,
                                     os.path.join(work, "run%d" % n))
            else:
                same = compare(label, args.tool, args.reference, sources, a, b,
                               os.path.join(work, "run%d" % n), args.canonical)
            if same is None:
                refused += 1
            elif not same:
                different += 1
        print("%d pairs, %d different%s" % (len(pairs), different,
                                            ", %d refused by the general reader" % refused
                                            if args.canonical or args.merge else ""))
        return 1 if different or refused == len(pairs) else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
