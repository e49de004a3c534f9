"""The initial energy of a new system of TIP4P water against the evaluator in tools/.

216 rigid TIP4P molecules are placed at random in a 21 A box (tools/solvent_energy.py)
and written as the first box of a stored water file; run mode 1 builds the system from it
(no solute: a file of one dummy atom) and lists "OLD E =". The evaluator computes the
same box from the formulas, with the site parameters the solvent test tool reports, at
RCUT 8.5 A and at 9.0 A with the reaction field; the two totals must agree to 1e-6
kcal/mol.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 without numpy."""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import refcheck  # noqa: E402

np = refcheck.need("numpy", "numpy")


def command_section(src, rcut, dielrf):
    path = os.path.join(src, "tests", "support", "data", "command_section.txt")
    lines = open(path).read().split("\n")
    records = {1: "TIP4P    0.0000", 4: "BOXES          ", 9: " 216 216  0.00",
               32: "%10.4f%10.4f  100.0000   0" % (rcut, rcut),
               34: "    1.0000    2.0000    2.0000%10.4f" % dielrf}
    for n, text in records.items():
        lines[2 * n] = text
    return "\n".join(lines[:71]) + "\n"


def stored_box(mols, half):
    values = [v for k in range(4) for a in range(3) for _, sites in mols for v in [sites[k][a]]]
    out = ["%4d%12.8f%12.8f%12.8f" % (len(mols), half, half, half)]
    out += ["".join("%13.8f" % v for v in values[j:j + 6]) for j in range(0, len(values), 6)]
    return "\n".join(out) + "\n"


def main():
    veka, src, build = refcheck.args()
    here = os.path.dirname(os.path.abspath(__file__))
    sys.path.insert(0, os.path.join(src, "tools"))
    import solvent_energy as se

    edge = [21.0] * 3
    mols = se.place([("TIP4P", 1, 216)], edge, seed=7, min_dist=2.3)
    mols = [(k, np.round(sites, 8)) for k, sites in mols]  # as the stored layout holds them
    report = refcheck.Checks("startup_energy_check")
    ff = os.path.join(src, "data", "forcefield")
    with refcheck.workdir() as work:
        with open(os.path.join(work, "water.txt"), "w") as f:
            f.write(stored_box(mols, 10.5))
        for rcut, dielrf in ((8.5, 1.0), (9.0, 78.5)):
            with open(os.path.join(ff, "opls-aa.par")) as f, \
                    open(os.path.join(work, "par.txt"), "w") as p:
                p.write(command_section(src, rcut, dielrf) + f.read())
            files = {"-ot": "out.txt", "-in": "in.txt", "-pa": "par.txt", "-wa": "water.txt",
                     "-zm": os.path.join(here, "data", "no_solute.z"),
                     "-ba": os.path.join(ff, "opls-aa-bonded.par")}
            cmd = [veka, "100", "0", "0.0", "0.0", "0.0"]
            for opt in ("-ot", "-in", "-up", "-sv", "-av", "-zm", "-pa", "-wa", "-o1", "-o2",
                        "-pl", "-su", "-ba", "-sz"):
                cmd += [opt, files.get(opt, "/dev/null")]
            subprocess.run(cmd, cwd=work, capture_output=True)
            listing = open(os.path.join(work, "out.txt")).read()
            m = re.search(r"OLD E =\s*(\S+)", listing)
            if not report.check(m is not None, "no OLD E in the listing: " + listing[-500:]):
                continue
            box = os.path.join(work, "box.txt")
            se.write_box(box, ["TIP4P"], edge, mols, rcut, dielrf if dielrf > 1 else 0.0, 1)
            p = se.Params(refcheck.tool(build, "solvent_tool", box))
            want = float(np.sum(np.triu(se.pair_energies(p, ["TIP4P"], mols, edge), 1)))
            got = float(m.group(1))
            print("RCUT %.1f DIELRF %.1f: OLD E %.8f, evaluator %.8f" % (rcut, dielrf, got, want))
            report.close(got, want, 1e-6, "OLD E at RCUT %.1f, DIELRF %.1f" % (rcut, dielrf))
    sys.exit(report.finish())


if __name__ == "__main__":
    main()
