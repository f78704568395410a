#!/usr/bin/env python3
"""Compares the parser tables of blif/blif_grammar.cpp with the LALR(1)
automaton bison builds from tests/grammar/blif.y.

The tables come from the dump program (tests/grammar/dump_blif_tables.cpp),
the automaton from bison's XML report. Bison may number its states otherwise:
both automata are walked from state 0 along the same symbols, which pairs
every state of the tables with one of bison's (see pair_states), and the
entries are compared through that pairing. Every terminal's action (shift,
reduction, acceptance, error), every goto, every default reduction, whether
a state reads a lookahead before it acts, the tokens a syntax error names,
and the rules' left members and lengths must agree.

  check_tables.py --bison BISON --grammar blif.y --dump DUMPER
      exit 0 when they agree, 1 with one line per difference;
  ... --expect TEXT [--expect TEXT...]
      exit 0 only when they differ and one difference holds every TEXT (for
      a dump of a deliberately corrupted copy of the tables);
  ... --mutations
      exit 0 only when the real dump with its states renumbered still agrees
      and every single-entry change of it is found.
Exit status 77 with "SKIPPED: ..." when bison is missing.
"""

import argparse
import copy
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SKIP = 77


class Tables:
    """One automaton: terminals by code, rules, states with their entries."""

    def __init__(self):
        self.terminals = {}  # code -> name
        self.nonterminals = set()
        self.rules = {}  # number -> (lhs, length)
        self.rule_text = {}  # number -> "lhs: rhs" (bison only)
        self.start = None
        self.states = {}  # number -> State


class State:
    def __init__(self):
        self.default = None  # rule number, "accept", or None
        self.lookahead = None  # True when the state reads a token first
        self.shifts = {}  # terminal code -> target
        self.gotos = {}  # nonterminal -> target
        self.reductions = {}  # terminal code -> rule (explicit lookaheads)
        self.errors = set()  # terminal codes (explicit errors)
        self.expecting = None  # codes a syntax error names (tables only)


def read_dump(text):
    t = Tables()
    for line in text.splitlines():
        w = line.split()
        if not w:
            continue
        kind = w[0]
        if kind == "terminal":
            t.terminals[int(w[1])] = w[2]
        elif kind == "nonterminal":
            t.nonterminals.add(w[1])
        elif kind == "rule":
            t.rules[int(w[1])] = (w[2], int(w[3]))
        elif kind == "state":
            s = t.states.setdefault(int(w[1]), State())
            rule = int(w[2])
            s.default = None if rule < 0 else ("accept" if rule == 0 else rule)
            s.lookahead = w[3] == "1"
        elif kind == "shift":
            t.states[int(w[1])].shifts[int(w[2])] = int(w[3])
        elif kind == "goto":
            t.states[int(w[1])].gotos[w[2]] = int(w[3])
        elif kind == "expecting":
            t.states[int(w[1])].expecting = [int(c) for c in w[2:]]
        else:
            raise ValueError("unknown dump line: " + line)
    if 0 in t.rules:
        t.start = t.rules[0][0]
    return t


def read_bison(path):
    root = ET.parse(path).getroot()
    t = Tables()
    code_of = {}
    for term in root.iter("terminal"):
        code = int(term.get("token-number"))
        t.terminals[code] = term.get("name")
        code_of[term.get("name")] = code
    for nt in root.iter("nonterminal"):
        if nt.get("name") != "$accept":
            t.nonterminals.add(nt.get("name"))
    for rule in root.find("grammar").find("rules").iter("rule"):
        number = int(rule.get("number"))
        rhs = [s.text for s in rule.find("rhs").iter("symbol")]
        lhs = rule.find("lhs").text
        t.rules[number] = (lhs, len(rhs))
        t.rule_text[number] = lhs + ": " + (" ".join(rhs) if rhs else "%empty")
        if number == 0:
            t.start = rhs[0]
    conflicts = []
    for st in root.find("automaton").iter("state"):
        number = int(st.get("number"))
        s = t.states.setdefault(number, State())
        actions = st.find("actions")
        for tr in actions.find("transitions").iter("transition"):
            if tr.get("type") == "shift":
                s.shifts[code_of[tr.get("symbol")]] = int(tr.get("state"))
            else:
                s.gotos[tr.get("symbol")] = int(tr.get("state"))
        for err in actions.find("errors").iter("error"):
            s.errors.add(code_of[err.get("symbol")])
        for red in actions.find("reductions").iter("reduction"):
            if red.get("enabled") != "true":
                conflicts.append(number)
                continue
            rule = red.get("rule")
            rule = "accept" if rule == "accept" else int(rule)
            if red.get("symbol") == "$default":
                s.default = rule
            else:
                s.reductions[code_of[red.get("symbol")]] = rule
        if list(st.find("solved-conflicts")):
            conflicts.append(number)
        s.lookahead = bool(s.shifts or s.reductions or s.errors or s.default is None)
    return t, sorted(set(conflicts))


def signature(st):
    """What a state does by itself, whatever its targets are numbered."""
    return (st.default, st.lookahead, tuple(sorted(st.shifts)), tuple(sorted(st.gotos)),
            tuple(sorted(st.reductions.items())), tuple(sorted(st.errors)))


def pair_states(ours, bison):
    """Pairs the states of the two automata: walks both from state 0 along the
    same symbols, pairing first the targets that act alike by themselves, then
    the others; states the walk leaves over are paired when they act alike.
    So a changed entry shows as a difference of the state that holds it, not
    as a cascade of wrong pairings."""
    to_bison = {0: 0}
    to_ours = {0: 0}
    alike, other = [0], []

    def steps(s):
        a, b = ours.states.get(s), bison.states.get(to_bison[s])
        if a is None or b is None:
            return
        for c in sorted(a.shifts):
            if c in b.shifts:
                yield a.shifts[c], b.shifts[c]
        for n in sorted(a.gotos):
            if n in b.gotos:
                yield a.gotos[n], b.gotos[n]

    while alike or other:
        s = alike.pop(0) if alike else other.pop(0)
        if isinstance(s, tuple):  # a deferred pair
            t, u = s
            if t in to_bison or u in to_ours:
                continue
            to_bison[t], to_ours[u] = u, t
            s = t
        for t, u in steps(s):
            if t in to_bison or u in to_ours:
                continue
            if signature(ours.states[t]) == signature(bison.states[u]):
                to_bison[t], to_ours[u] = u, t
                alike.append(t)
            else:
                other.append((t, u))
    for t in sorted(set(ours.states) - set(to_bison)):
        for u in sorted(set(bison.states) - set(to_ours)):
            if signature(ours.states[t]) == signature(bison.states[u]):
                to_bison[t], to_ours[u] = u, t
                break
    return to_bison, to_ours


def reachable(t):
    """States of t reached from state 0."""
    seen, queue = {0}, [0]
    while queue:
        st = t.states.get(queue.pop())
        if st is None:
            continue
        for x in list(st.shifts.values()) + list(st.gotos.values()):
            if x not in seen:
                seen.add(x)
                queue.append(x)
    return seen


def compare(ours, bison):
    """One line per difference between the tables and bison's automaton."""
    out = []
    tname = dict(bison.terminals)
    tname.update({c: n for c, n in ours.terminals.items() if c not in tname})

    # Symbols and rules.
    for code, name in sorted(bison.terminals.items()):
        if ours.terminals.get(code) != name:
            out.append("terminal %d: the tables name it %s, bison %s"
                       % (code, ours.terminals.get(code, "(nothing)"), name))
    for code, name in sorted(ours.terminals.items()):
        if code not in bison.terminals and name != "$undefined":
            out.append("terminal %d (%s) of the tables is not in the grammar" % (code, name))
    for n in sorted(bison.nonterminals - ours.nonterminals):
        out.append("nonterminal %s of the grammar is not in the tables" % n)
    for n in sorted(ours.nonterminals - bison.nonterminals):
        out.append("nonterminal %s of the tables is not in the grammar" % n)
    for number in sorted(set(ours.rules) | set(bison.rules)):
        if number not in bison.rules:
            out.append("rule %d of the tables is not in the grammar" % number)
            continue
        if number not in ours.rules:
            out.append("rule %d (%s) is not in the tables" % (number, bison.rule_text[number]))
            continue
        lhs, length = ours.rules[number]
        want_lhs, want_length = bison.rules[number]
        if number == 0:
            want_lhs = bison.start  # the tables name the start rule after the start symbol
        if (lhs, length) != (want_lhs, want_length):
            out.append("rule %d (%s): the tables have %s with %d symbols"
                       % (number, bison.rule_text[number], lhs, length))

    # States, then those the walk did not pair.
    to_bison, to_ours = pair_states(ours, bison)

    def rule_name(rule):
        if rule == "accept":
            return "accept"
        return "reduce by rule %d (%s)" % (rule, bison.rule_text.get(rule, "?"))

    def ours_action(st, code):
        if code in st.shifts:
            return ("shift", st.shifts[code])
        if st.default is not None:
            return ("default", st.default)
        return ("error",)

    def bison_action(st, code):
        if code in st.shifts:
            return ("shift", st.shifts[code])
        if code in st.errors:
            return ("error",)
        if code in st.reductions:
            return ("rule", st.reductions[code])
        if st.default is not None:
            return ("default", st.default)
        return ("error",)

    def say_ours(act, verb="go"):
        if act[0] == "shift":
            return "the tables %s to state %d" % (verb, act[1])
        if act[0] in ("rule", "default"):
            return "the tables " + rule_name(act[1])
        return "the tables have an error"

    def say_bison(act, verb="goes"):
        if act[0] == "shift":
            u = act[1]
            mate = ("the tables' %d" % to_ours[u]) if u in to_ours else "no state of the tables"
            return "bison %s to its state %d (%s)" % (verb, u, mate)
        if act[0] in ("rule", "default"):
            return "bison: " + rule_name(act[1])
        return "bison has an error"

    def same(a, b):
        if a[0] != b[0]:
            return False
        if a[0] == "shift":
            return to_bison.get(a[1]) == b[1]
        return a == b

    codes = sorted(set(ours.terminals) | set(bison.terminals))
    for s in sorted(to_bison):
        b = to_bison[s]
        a, z = ours.states.get(s), bison.states.get(b)
        if a is None or z is None:
            continue
        where = "state %d (bison's %d)" % (s, b)
        # One line per distinct pair of actions, naming every terminal it holds for.
        groups = {}
        for code in codes:
            x, y = ours_action(a, code), bison_action(z, code)
            if x[0] == "default" and y[0] == "default":
                continue  # the default reductions are compared below
            if x[0] == "default":
                x = ("rule", x[1])
            if y[0] == "default":
                y = ("rule", y[1])
            if not same(x, y):
                groups.setdefault((x, y), []).append(tname.get(code, str(code)))
        for (x, y), names in groups.items():
            out.append("%s, on %s: %s, %s" % (where, " ".join(names), say_ours(x, "shift"),
                                            say_bison(y, "shifts")))
        for n in sorted(set(a.gotos) | set(z.gotos)):
            x = ("shift", a.gotos[n]) if n in a.gotos else ("error",)
            y = ("shift", z.gotos[n]) if n in z.gotos else ("error",)
            if not same(x, y):
                xs = say_ours(x) if x[0] == "shift" else "the tables have no goto"
                ys = say_bison(y) if y[0] == "shift" else "bison has no goto"
                out.append("%s, goto on %s: %s, %s" % (where, n, xs, ys))
        if a.default != z.default:
            def say(rule):
                if rule is None:
                    return "none"
                if rule == "accept":
                    return "accept"
                return "rule %d (%s)" % (rule, bison.rule_text.get(rule, "?"))
            out.append("%s, default reduction: the tables have %s, bison %s"
                       % (where, say(a.default), say(z.default)))
        if a.lookahead != z.lookahead:
            out.append("%s, lookahead: the tables %s a token before they act, bison %s"
                       % (where, "read" if a.lookahead else "do not read",
                          "does" if z.lookahead else "does not"))
        want = sorted(z.shifts)
        if a.expecting is not None and a.expecting != want:
            out.append("%s, tokens a syntax error names: the tables %s, bison shifts %s"
                       % (where, " ".join(tname.get(c, str(c)) for c in a.expecting) or "none",
                          " ".join(tname.get(c, str(c)) for c in want) or "none"))
    reached = reachable(ours)
    for s in sorted(ours.states):
        if s not in reached:
            out.append("state %d of the tables is not reached from state 0" % s)
        if s not in to_bison:
            out.append("state %d of the tables has no state of bison's" % s)
    for b in sorted(bison.states):
        if b not in to_ours:
            out.append("bison's state %d has no state of the tables" % b)
    return out


def mutations(t):
    """Makes every single-entry change of the tables t in turn, yielding its
    description while it is in place, and undoes it."""
    states = sorted(t.states)
    codes = sorted(t.terminals)

    def entries(table, keys, what):
        for key in keys:
            if key in table:
                old = table[key]
                for target in states:
                    if target != old:
                        table[key] = target
                        yield "%s %s redirected to %d" % (what, key, target)
                del table[key]
                yield "%s %s removed" % (what, key)
                table[key] = old
            else:
                table[key] = 1
                yield "%s %s added" % (what, key)
                del table[key]

    for s in states:
        st = t.states[s]
        yield from entries(st.shifts, codes, "state %d: shift on" % s)
        yield from entries(st.gotos, sorted(t.nonterminals), "state %d: goto on" % s)
        old = st.default
        for rule in [None, "accept"] + sorted(t.rules)[1:]:
            if rule != old:
                st.default = rule
                yield "state %d: default reduction %s" % (s, rule)
        st.default = old
        st.lookahead = not st.lookahead
        yield "state %d: lookahead flipped" % s
        st.lookahead = not st.lookahead
        old = st.expecting
        st.expecting = old[1:] if old else [codes[-1]]
        yield "state %d: expected tokens changed" % s
        st.expecting = old
    for number in sorted(t.rules):
        lhs, length = t.rules[number]
        t.rules[number] = (lhs, length + 1)
        yield "rule %d: length changed" % number
        t.rules[number] = ("value" if lhs != "value" else "prod", length)
        yield "rule %d: left member changed" % number
        t.rules[number] = (lhs, length)


def renumbered(t, seed):
    """t with its states other than 0 numbered in a shuffled order."""
    import random
    order = sorted(t.states)[1:]
    shuffled = order[:]
    random.Random(seed).shuffle(shuffled)
    new = {0: 0}
    new.update(zip(order, shuffled))
    m = copy.deepcopy(t)
    m.states = {}
    for s, st in t.states.items():
        st = copy.deepcopy(st)
        st.shifts = {c: new[x] for c, x in st.shifts.items()}
        st.gotos = {n: new[x] for n, x in st.gotos.items()}
        m.states[new[s]] = st
    return m


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bison", required=True)
    ap.add_argument("--grammar", required=True)
    ap.add_argument("--dump", required=True, help="program that prints the tables")
    ap.add_argument("--expect", action="append",
                    help="text one difference must hold (corrupted tables); repeatable")
    ap.add_argument("--mutations", action="store_true")
    args = ap.parse_args()

    bison = shutil.which(args.bison) or (args.bison if os.access(args.bison, os.X_OK) else None)
    if bison is None:
        print("SKIPPED: bison not found")
        return SKIP
    with tempfile.TemporaryDirectory() as tmp:
        xml = os.path.join(tmp, "blif.xml")
        run = subprocess.run([bison, "-Wall", "--xml=" + xml, "-o", os.path.join(tmp, "blif.c"),
                              args.grammar], capture_output=True, text=True)
        if run.returncode != 0 or run.stderr:
            print("bison on %s: status %d\n%s" % (args.grammar, run.returncode, run.stderr))
            return 1
        theirs, conflicts = read_bison(xml)
    if conflicts:
        print("bison finds conflicts in its states %s" % " ".join(map(str, conflicts)))
        return 1
    dump = subprocess.run([args.dump], capture_output=True, text=True)
    if dump.returncode != 0:
        print("%s: status %d\n%s" % (args.dump, dump.returncode, dump.stderr))
        return 1
    ours = read_dump(dump.stdout)
    differences = compare(ours, theirs)

    if args.mutations:
        if differences:
            print("the tables differ from the grammar before any change:")
            print("\n".join(differences))
            return 1
        for seed in range(3):
            moved = compare(renumbered(ours, seed), theirs)
            if moved:
                print("the tables with their states renumbered (seed %d) differ:" % seed)
                print("\n".join(moved))
                return 1
        count, missed = 0, []
        for what in mutations(ours):
            count += 1
            if not compare(ours, theirs):
                missed.append(what)
        if compare(ours, theirs):
            print("the tables were not restored after the changes")
            return 1
        print("3 renumberings of the states agree; %d single-entry changes of the tables, "
              "%d not found" % (count, len(missed)))
        for what in missed:
            print("not found: " + what)
        return 1 if missed else 0

    for line in differences:
        print(line)
    if args.expect is not None:
        if not differences:
            print("the corrupted tables agree with the grammar")
            return 1
        if not any(all(text in line for text in args.expect) for line in differences):
            print("no difference names all of: " + " | ".join(args.expect))
            return 1
        print("the corrupted entry was found")
        return 0
    if differences:
        print("%d differences between blif/blif_grammar.cpp and %s"
              % (len(differences), args.grammar))
        return 1
    print("%d states, %d rules: the tables agree with %s"
          % (len(ours.states), len(ours.rules), args.grammar))
    return 0


if __name__ == "__main__":
    sys.exit(main())
