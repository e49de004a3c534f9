#!/usr/bin/python3
"""Reads stored boxes with fields in every form a fixed-column real may take (no decimal
point, exponents with E or D or a bare sign, blanks, more decimals than the layout) with the
program's reader (box_tool) and with a gfortran reader (boxref.f90), and compares every value
exactly: a water box read with four and with three sites after 433 lines, and an organic box.

Arguments: <veka binary> <source dir> <build dir>. Exit status 77 without gfortran.
"""

import os
import random
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.dont_write_bytecode = True  # nothing written into the source tree
import refcheck as rc  # noqa: E402

FORMS = ["{:13.8f}", "{:13.5f}", "{:13.3E}", "{:13.4e}", "{:>13}", "{:13.11f}"]


def field(rng, v):
    form = rng.choice(FORMS)
    if form == "{:>13}":
        # digits without a point: the last eight are decimals; or a bare-sign exponent
        return rng.choice([f"{round(v * 1e8):13d}", f"{v:12.3f}".replace("e", "") + " ",
                           " " * 13, f"  {v:.4E}".replace("E", "D")[:13].rjust(13)])
    return form.format(v)[:13].rjust(13)


def box_text(rng, n, sites, skip):
    lines = [f"filler {k}" for k in range(skip)]
    lines.append(f"{n:4d}{8.5:12.8f}{'  9.25     ':>12}{'1075000000':>12}")
    vals = [field(rng, rng.uniform(-12, 12)) for _ in range(n * sites * 3)]
    lines += ["".join(vals[k:k + 6]) for k in range(0, len(vals), 6)]
    return "\n".join(lines) + "\n"


def parse(text):
    return [tuple(float(x) for x in line.split()) for line in text.splitlines()]


def main():
    _, source, build = rc.args()
    rng = random.Random(4931)
    with rc.workdir() as tmp:
        ref = rc.fortran(os.path.join(source, "tests", "input", "boxref.f90"), tmp)
        # (solvent code, stored-box size, lines before, stored sites, sites read)
        for code, size, skip, stored, read in [(2, 250, 433, 4, 4), (1, 250, 433, 4, 3),
                                               (7, 267, 5037, 4, 4)]:
            path = os.path.join(tmp, f"box{code}")
            with open(path, "w") as f:
                f.write(box_text(rng, 11, stored, skip))
            want = parse(rc.run([ref], input=f"'{path}' {skip} {read}\n"))
            got = parse(rc.tool(build, "box_tool", path, code, size))
            if want != got:
                for w, g in zip(want, got):
                    if w != g:
                        print(f"solvent {code}: reference {w}, program {g}")
                        break
                print(f"solvent {code}: {len(want)} reference and {len(got)} program lines")
                return 1
            print(f"solvent {code}: {len(want) - 1} sites of 11 molecules read alike")
    return 0


if __name__ == "__main__":
    sys.exit(main())
