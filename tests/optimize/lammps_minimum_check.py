"""Optimised structures against LAMMPS.

Each solute file goes through the program's optimisation (run mode 2, BFGS, FTOL 1e-6)
by the helper optimize_tool, which writes the optimised geometry with the model it used
(parameters, bond topology, pair list, distance restraints) in the format of the energy
check (tests/energy/lammps_energy_check.py, whose model reader and LAMMPS data writer are
reused). LAMMPS then, on the same model (harmonic bonds and angles, dihedral style opls,
lj/cut/coul/cut with geometric mixing, special_bonds from the 1-4 scale factors, the
restraints as fix restrain), checks that

  - its energy of the optimised geometry is the program's optimised energy (1e-4);
  - the largest Cartesian force there is below 0.05 kcal/mol/A: a minimum in every
    Cartesian direction, although the program moved internal coordinates only, up to
    the residual forces its numerical gradient leaves (central differences over
    +-0.01, whose truncation error is a few 1e-2 kcal/mol/A);
  - its own minimisation from there lowers the energy by less than 2e-4 kcal/mol (below
    5e-5 for the single molecules; the soft modes of the complex give the most);
  - its minimisation from the displaced start of the file (geometry from energy_tool)
    ends at the program's minimum energy (2e-4): the same minimum, found independently;
  - that minimum is the value the process-level tests quote (1e-5), so those values
    (tests/optimize/driver_job_test.cpp) do not rest on the program's own output.

Arguments: <veka binary> <source dir> <build dir of the tests>. Exit 77 when LAMMPS is
not installed."""

import os
import subprocess
import sys
import tempfile

try:
    from lammps import lammps
except ImportError:
    print("LAMMPS Python module not available")
    sys.exit(77)

MOLECULES = ["ethane", "butane_anti", "butane_gauche", "cyclohexane", "octanol", "complex"]
# Minima quoted by driver_job_test.cpp: the gauche optimisation, the anti point of the
# butane scan, the relaxed clash of the water-methanol complex.
QUOTED = {"butane_anti": 2.07244, "butane_gauche": 2.873699, "complex": -2.655}
COULOMB_REAL = 332.06371  # LAMMPS qqr2e in units real
COULOMB = 332.06


def energy_check_module(src):
    sys.dont_write_bytecode = True  # nothing written into the source tree
    sys.path.insert(0, os.path.join(src, "tests", "energy"))
    import lammps_energy_check
    return lammps_energy_check


def restraints(text):
    out = []
    for line in text.splitlines():
        f = line.split()
        if f and f[0] == "restraint":
            out.append((int(f[1]), int(f[2]), float(f[3]), float(f[4])))
    return out


def total_energy(text):
    for line in text.splitlines():
        f = line.split()
        if f[:2] == ["energy", "total"]:
            return float(f[2])
    raise ValueError("no energy in the tool's output")


def run_tool(tool, solute):
    run = subprocess.run([tool, solute], capture_output=True, text=True)
    if run.returncode != 0:
        raise RuntimeError("%s: %s" % (os.path.basename(tool), run.stderr.strip()))
    return run.stdout


class Engine:
    """A LAMMPS instance holding one model."""

    def __init__(self, m, data, rest):
        self.lmp = lammps(cmdargs=["-log", "none", "-screen", "none", "-nocite"])
        commands = ["units real", "atom_style full", "boundary f f f", "atom_modify map array",
                    "bond_style harmonic", "angle_style harmonic", "dihedral_style opls",
                    "pair_style lj/cut/coul/cut 50.0", "pair_modify mix geometric",
                    "read_data " + data,
                    "special_bonds lj 0.0 0.0 %.15g coul 0.0 0.0 %.15g"
                    % (m.setting["l14"], m.setting["c14"]),
                    "dielectric %.15f" % (COULOMB_REAL / COULOMB * m.setting["dielec"]),
                    "neighbor 10.0 bin", "neigh_modify every 1 delay 0 check no",
                    "thermo_modify norm no"]
        for i, j, r0, k in rest:
            commands += ["fix r%d_%d all restrain bond %d %d %.15g %.15g %.15g"
                         % (i, j, i, j, k, k, r0), "fix_modify r%d_%d energy yes" % (i, j)]
        for c in commands:
            self.lmp.command(c)
        self.lmp.command("variable etot equal pe")
        self.n = len(m.atoms)

    def energy_and_force(self):
        self.lmp.command("run 0 post no")
        e = self.lmp.extract_variable("etot", None, 0)
        f = self.lmp.gather_atoms("f", 1, 3)
        return e, max(abs(f[k]) for k in range(3 * self.n))

    def minimise(self):
        self.lmp.command("min_style cg")
        self.lmp.command("min_modify line quadratic")
        self.lmp.command("minimize 0.0 1.0e-10 20000 200000")
        return self.energy_and_force()[0]

    def close(self):
        self.lmp.close()


def check(name, src, tests, tmp, ec):
    solute = os.path.join(src, "tests", "optimize", "data", name + ".z")
    problems = []
    try:
        opt_text = run_tool(os.path.join(tests, "optimize_tool"), solute)
        start_text = run_tool(os.path.join(tests, "energy_tool"), solute)
    except RuntimeError as e:
        print("%-14s FAIL: %s" % (name, e))
        return False
    program = total_energy(opt_text)
    rest = restraints(opt_text)
    results = {}
    for label, text in (("optimised", opt_text), ("start", start_text)):
        m = ec.Model(text)
        # Bonds and angles between two solutes are intermolecular variables without energy.
        mol = [a["mol"] for a in m.atoms]
        m.bonds = [b for b in m.bonds if mol[b[0] - 1] == mol[b[1] - 1]]
        m.angles = [a for a in m.angles if mol[a[0] - 1] == mol[a[1] - 1] == mol[a[2] - 1]]
        problems += ["%s: %s" % (label, p) for p in ec.model_problems(m)]
        data = os.path.join(tmp, "%s_%s.data" % (name, label))
        ec.write_data(m, data)
        eng = Engine(m, data, rest)
        e0, fmax = eng.energy_and_force()
        emin = eng.minimise()
        eng.close()
        results[label] = (e0, fmax, emin)
    e_opt, fmax, e_relaxed = results["optimised"]
    e_independent = results["start"][2]
    single = name != "complex"
    if abs(e_opt - program) > 1e-4:
        problems.append("energy of the optimised geometry: program %.6f, LAMMPS %.6f"
                        % (program, e_opt))
    if fmax > 0.05:
        problems.append("largest force at the optimised geometry %.2e kcal/mol/A" % fmax)
    if e_opt - e_relaxed > (5e-5 if single else 2e-4):
        problems.append("LAMMPS lowers the optimised energy by %.2e" % (e_opt - e_relaxed))
    if abs(e_independent - program) > (5e-5 if single else 2e-4):
        problems.append("LAMMPS minimum from the start %.6f, program %.6f"
                        % (e_independent, program))
    if name in QUOTED and abs(e_independent - QUOTED[name]) > 1e-5:
        problems.append("LAMMPS minimum %.6f, the tests quote %.6f" % (e_independent, QUOTED[name]))
    print("%-14s E %.6f  LAMMPS there %.6f  max force %.1e  LAMMPS from there %.6f"
          "  LAMMPS from the start %.6f" % (name, program, e_opt, fmax, e_relaxed, e_independent))
    for p in problems:
        print("   FAIL:", p)
    return not problems


def main():
    src, tests = sys.argv[2], sys.argv[3]
    ec = energy_check_module(src)
    ok = True
    with tempfile.TemporaryDirectory() as tmp:
        for name in MOLECULES:
            ok &= check(name, src, tests, tmp, ec)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
