"""Small raw-style companions of a BLIF model, for connected pairs: the
companion reads some outputs of the model and drives some of its inputs,
and uses what the raw files use (continuation lines, names with any bytes,
latches with type and control, a '.subckt' of a model of its own, a Yosys
flip-flop cell, '.conn', a comment, CRLF line ends for odd seeds). Every
signal it drives towards the model comes out of a latch, so a pair never
closes a combinational loop.
"""

import random


def feeder(model, seed, wires=3):
    """BLIF text of a companion of `model` (a blifmodel.Model)."""
    rng = random.Random(seed)
    taken = model.names()
    ins, outs = set(model.inputs), set(model.outputs)
    reads = [n for n in model.outputs if n not in ins]
    drives = [n for n in model.inputs if n not in outs]
    reads = sorted(rng.sample(reads, min(wires, len(reads))), key=model.outputs.index)
    drives = sorted(rng.sample(drives, min(wires, len(drives))), key=model.inputs.index)

    def fresh(stem):
        name, k = stem, 0
        while name in taken:
            k += 1
            name = "%s.%d" % (stem, k)
        taken.add(name)
        return name
    enable = fresh("feed:en[0]")
    private_out = fresh("feed\\out(1)")
    clk = fresh("feed.clk")
    first = reads[0] if reads else enable
    second = reads[1] if len(reads) > 1 else enable
    lines = ["# companion of %s, written by the equivalence suite" % model.name,
             ".model feed.er%d" % seed]
    inputs = reads + [enable, clk]
    lines.append(".inputs " + " ".join(inputs[:2]) + (" \\" if len(inputs) > 2 else ""))
    if len(inputs) > 2:
        lines.append("   " + " ".join(inputs[2:]))
    lines.append(".outputs " + " ".join(drives + [private_out]))
    lines.append(".wire_load_slope 0.00")
    lines.append(".subckt mix$%d x=%s y=%s z=feed$d0" % (seed, first, second))
    lines += [".names %s %s feed$d1" % (first, enable), "1- 1", "-1 1"]
    for k, name in enumerate(drives):
        kind = k % 3
        if kind == 0:
            lines.append(".latch feed$d0 %s re %s %d" % (name, clk, rng.choice((0, 1, 2))))
        elif kind == 1:
            lines.append(".subckt $_DFFE_PP_ C=%s D=feed$d1 E=%s Q=%s" % (clk, enable, name))
        else:
            lines += [".names feed$d0 feed$d1 feed$x%d" % k, "11 0"]
            lines.append(".latch feed$x%d %s %d" % (k, name, rng.choice((0, 1))))
    lines.append(".conn feed$d0 %s" % private_out)
    lines.append(".end")
    lines += [".model mix$%d" % seed, ".inputs x y", ".outputs z",
              ".names x y t.0", "10 1", "01 1", ".latch t.0 z re NIL 1", ".end"]
    end = "\r\n" if seed % 2 else "\n"
    return end.join(lines) + end
