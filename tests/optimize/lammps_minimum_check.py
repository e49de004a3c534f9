"""Optimised structures against LAMMPS.

Each solute file goes through the program's optimisation (run mode 2, BFGS, FTOL 1e-6)
by the helper energy_tool --optimise, which writes the optimised geometry with the model it used
(parameters, bond topology, pair list, distance restraints) in the format of the energy
check (tests/energy/lammps_energy_check.py, whose model checks and LAMMPS data writer are
reused). LAMMPS then, on the same model (the restraints as fix restrain), checks that

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
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "energy"))
sys.dont_write_bytecode = True  # nothing written into the source tree
import refcheck as rc  # noqa: E402
import lammps_energy_check as ec  # noqa: E402

MOLECULES = ["ethane", "butane_anti", "butane_gauche", "cyclohexane", "octanol", "complex"]
# Minima quoted by driver_job_test.cpp: the gauche optimisation, the anti point of the
# butane scan, the relaxed clash of the water-methanol complex.
QUOTED = {"butane_anti": 2.07244, "butane_gauche": 2.873699, "complex": -2.655}


class Engine:
    """A LAMMPS instance holding one model and its distance restraints."""

    def __init__(self, m, data, rest):
        extra = ["thermo_modify norm no"]
        for i, j, r0, k in rest:
            extra += ["fix r%d_%d all restrain bond %d %d %.15g %.15g %.15g"
                      % (i, j, i, j, k, k, r0), "fix_modify r%d_%d energy yes" % (i, j)]
        self.lmp = ec.engine(m, data, extra=extra)
        self.lmp.command("variable etot equal pe")
        self.n = len(m.atoms)

    def energy_and_force(self):
        self.lmp.command("run 0 post no")
        f = self.lmp.gather_atoms("f", 1, 3)
        return self.lmp.extract_variable("etot", None, 0), max(abs(f[k]) for k in range(3 * self.n))

    def minimise(self):
        for c in ("min_style cg", "min_modify line quadratic", "minimize 0.0 1.0e-10 20000 200000"):
            self.lmp.command(c)
        return self.energy_and_force()[0]


def check(c, name, src, build, tmp):
    solute = os.path.join(src, "tests", "optimize", "data", name + ".z")
    opt = rc.Model(rc.tool(build, "energy_tool", solute, "--optimise"))
    program = opt.energy["total"]
    results = {}
    for label, m in (("optimised", opt), ("start", rc.Model(rc.tool(build, "energy_tool", solute)))):
        m.within_molecules()
        for p in ec.model_problems(m):
            c.check(False, "%s %s: %s" % (name, label, p))
        data = os.path.join(tmp, "%s_%s.data" % (name, label))
        ec.write_data(m, data)
        eng = Engine(m, data, opt.restraints)
        results[label] = eng.energy_and_force() + (eng.minimise(),)
        eng.lmp.close()
    e_opt, fmax, e_relaxed = results["optimised"]
    e_independent = results["start"][2]
    tol = 5e-5 if name != "complex" else 2e-4
    c.close(e_opt, program, 1e-4, "%s: LAMMPS energy of the optimised geometry" % name)
    c.check(fmax <= 0.05, "%s: largest force at the optimised geometry %.2e kcal/mol/A"
            % (name, fmax))
    c.check(e_opt - e_relaxed <= tol, "%s: LAMMPS lowers the optimised energy by %.2e"
            % (name, e_opt - e_relaxed))
    c.close(e_independent, program, tol, "%s: LAMMPS minimum from the start" % name)
    if name in QUOTED:
        c.close(e_independent, QUOTED[name], 1e-5, "%s: LAMMPS minimum against the quoted value" % name)
    print("%-14s E %.6f  LAMMPS there %.6f  max force %.1e  LAMMPS from there %.6f"
          "  LAMMPS from the start %.6f" % (name, program, e_opt, fmax, e_relaxed, e_independent))


def main():
    _, src, build = rc.args()
    c = rc.Checks("lammps_minimum")
    with rc.workdir() as tmp:
        for name in MOLECULES:
            check(c, name, src, build, tmp)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
