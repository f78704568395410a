#!/usr/bin/env python3
"""The models tessaro-merge writes, read back by Berkeley ABC (read_blif,
print_stats) and by Yosys (read_blif, stat; read_blif -sop for tables of
more than 12 inputs, which Yosys's plain read_blif refuses in any file)
without error; with --wide, a
table past the prime limit merged and proved equal to its source by ABC.

  readback.py --tessaro-merge BIN [--raw DIR] [--wide]

The models: a file of odd names (every byte class the raw files use in
names), and, with --raw, every pair of raw_pairs.py. Exit status: 0 all
passed, 1 some failed, 77 skipped (ABC, Yosys or the raw folder missing).
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the source folder clean
import check_equiv
import raw_pairs

SKIP = 77
TIMEOUT = 900
YOSYS_LUT_LIMIT = "names' input plane must have fewer than 13 signals"

ODD_NAMES = (
    ".model s27.bench\n.inputs 0 1 - a\\b \\\n  c:d <e>\n.inputs 9x (p) v6.3 clk\n"
    ".outputs y[0] z.1 $q\n.names 0 1 - y[0]\n111 1\n"
    ".names a\\b c:d $abc$12$n4\n10 1\n.names $abc$12$n4 <e> z.1\n11 0\n"
    ".latch 9x $q re clk 2\n.subckt $_DFF_P_ C=clk D=v6.3 Q=r.q\n"
    ".names (p) r.q unused.0\n11 1\n"
)
COMPANION = ".model feed-1\n.inputs z.1\n.outputs (p)\n.latch z.1 (p) 1\n.end\n"


def run(cmd, cwd):
    try:
        p = subprocess.run(cmd, cwd=cwd, capture_output=True, timeout=TIMEOUT)
        return p.returncode, p.stdout.decode("latin-1") + p.stderr.decode("latin-1")
    except subprocess.TimeoutExpired:
        return None, "timed out after %d s" % TIMEOUT


def read_back(abc, yosys, model, work):
    """Problems ABC and Yosys find reading `model` (empty when none)."""
    problems = []
    status, text = run([abc, "-c", "read_blif %s; print_stats" % model], work)
    if status != 0 or " i/o = " not in text or "failed" in text or "Cannot" in text:
        problems.append("ABC: " + text.strip())
    status, text = run([yosys, "-q", "-p", "read_blif %s; stat" % model], work)
    if status != 0 and YOSYS_LUT_LIMIT in text:
        # Yosys makes $lut cells of at most 12 inputs, and refuses wider
        # tables (in the raw files too); its $sop cells have no such limit.
        status, text = run([yosys, "-q", "-p", "read_blif -sop %s; stat" % model], work)
    if status != 0 or "ERROR" in text:
        problems.append("Yosys: " + text.strip())
    return problems


def record(ok, label, problems=()):
    print("%s %s" % ("PASS" if ok else "FAIL", label), flush=True)
    for p in problems:
        print("    " + p.replace("\n", "\n    "))
    return ok


def odd_names(tool, abc, yosys):
    work = tempfile.mkdtemp(prefix="tessaro_readback_")
    for name, text in (("odd.blif", ODD_NAMES), ("feed.blif", COMPANION)):
        with open(os.path.join(work, name), "w", newline="") as f:
            f.write(text)
    status, text = run([tool, "-q", "-o", "merged.blif", "odd.blif", "feed.blif"], work)
    problems = [] if status == 0 else ["tessaro-merge status %s: %s" % (status, text)]
    if not problems:
        problems = read_back(abc, yosys, "merged.blif", work)
    shutil.rmtree(work, ignore_errors=True)
    return record(not problems, "odd names, connected both ways", problems)


def raw(tool, abc, yosys, folder):
    ok = True
    for seed, pair in enumerate(raw_pairs.PAIRS, 1):
        work = tempfile.mkdtemp(prefix="tessaro_readback_raw_")
        _, _, merged, _, problems = raw_pairs.merged_file(folder, pair, seed, work, tool)
        if not problems:
            problems = read_back(abc, yosys, merged, work)
        ok = record(not problems, pair, problems) and ok
        shutil.rmtree(work, ignore_errors=True)
    return ok


def wide(tool, abc):
    """not(a0 b0 + ... + a15 b15) has 2^16 primes, all essential: past the
    prime limit its cover is written with one warning, and is exact."""
    work = tempfile.mkdtemp(prefix="tessaro_readback_wide_")
    k = 16
    names = " ".join("a%d b%d" % (i, i) for i in range(k))
    rows = ["--" * i + "11" + "--" * (k - i - 1) + " 0" for i in range(k)]
    text = ".model w\n.inputs %s\n.outputs y\n.names %s y\n%s\n.end\n" % (names, names,
                                                                        "\n".join(rows))
    with open(os.path.join(work, "w.blif"), "w") as f:
        f.write(text)
    with open(os.path.join(work, "e.blif"), "w") as f:
        f.write(".model e\n.end\n")
    status, err = run([tool, "w.blif", "e.blif"], work)
    problems = []
    warning = ("w_e.blif: warning: signal y has more than 50000 prime implicants: its cover is "
               "an irredundant cover of prime implicants, not the essential-first one\n")
    if status != 0 or err != warning:
        problems.append("tessaro-merge status %s: %r" % (status, err))
    else:
        with open(os.path.join(work, "w_e.blif")) as f:
            rows_written = sum(1 for line in f if line.endswith(" 1\n"))
        if rows_written != 1 << k:
            problems.append("%d rows instead of %d" % (rows_written, 1 << k))
        status, report = run([abc, "-c", "cec w.blif w_e.blif"], work)
        if "Networks are equivalent" not in report:
            problems.append("ABC cec: " + report.strip())
    shutil.rmtree(work, ignore_errors=True)
    return record(not problems, "a function of 65536 primes, exact", problems)


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--tessaro-merge", required=True)
    ap.add_argument("--raw", metavar="DIR")
    ap.add_argument("--wide", action="store_true")
    args = ap.parse_args(argv)
    abc, yosys = check_equiv.find_abc(), shutil.which("yosys")
    if not abc or not yosys:
        print("SKIPPED: Berkeley ABC or Yosys not found (packages berkeley-abc, yosys)")
        return SKIP
    if args.raw and not os.path.isdir(args.raw):
        print("SKIPPED: no raw benchmark folder %s" % args.raw)
        return SKIP
    ok = odd_names(args.tessaro_merge, abc, yosys)
    if args.raw:
        ok = raw(args.tessaro_merge, abc, yosys, args.raw) and ok
    if args.wide:
        ok = wide(args.tessaro_merge, abc) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
