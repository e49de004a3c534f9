"""Shared set-up of the checks against independent references (tests/*/*_check.py): the
arguments CTest passes, the skip when a reference is missing (exit status 77), running veka
and the test helper programs, the model the helpers write, LAMMPS on such a model, and one
failure report per run."""

import importlib
import itertools
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
COULOMB = 332.06  # the program's Coulomb constant, kcal A / (mol e^2)
COULOMB_LAMMPS = 332.06371  # LAMMPS qqr2e in units real


def args():
    """(veka binary, source folder, build folder of the tests) as CTest passes them."""
    if len(sys.argv) < 4:
        raise SystemExit("usage: %s <veka binary> <source dir> <build dir>" % sys.argv[0])
    return tuple(os.path.abspath(a) for a in sys.argv[1:4])


def skip(what):
    print(what + " not installed: skipped")
    sys.exit(SKIP)


def need(module, what):
    """The Python module, or a skip when it is not installed."""
    try:
        return importlib.import_module(module)
    except ImportError:
        skip(what)


def need_program(name):
    path = shutil.which(name)
    if path is None:
        skip(name)
    return path


def fortran(source, work):
    """A reference program compiled by gfortran from `source` into `work` (skip without it)."""
    exe = os.path.join(work, os.path.splitext(os.path.basename(source))[0])
    run([need_program("gfortran"), "-O1", "-o", exe, source])
    return exe


def superposed(xyz, ref):
    """Distances between the atoms of xyz superposed on ref by the least-squares proper
    rotation (Kabsch): a mirror image does not fit. Both are numpy arrays (atoms x 3)."""
    np = need("numpy", "numpy")
    a, b = xyz - xyz.mean(axis=0), ref - ref.mean(axis=0)
    u, _, vt = np.linalg.svd(a.T @ b)
    rot = u @ np.diag([1.0, 1.0, np.sign(np.linalg.det(u @ vt))]) @ vt
    return np.linalg.norm(a @ rot - b, axis=1)


def workdir():
    return tempfile.TemporaryDirectory(prefix="veka-check-")


def run(cmd, **kw):
    """Standard output of a program that must succeed."""
    r = subprocess.run(cmd, capture_output=True, text=True, **kw)
    if r.returncode != 0:
        raise RuntimeError("%s failed: %s" % (os.path.basename(cmd[0]),
                                              (r.stderr or r.stdout).strip()[-2000:]))
    return r.stdout


def tool(build, name, *arguments):
    """Runs a helper program built with the tests (tests/*/*_tool.cpp)."""
    return run([os.path.join(build, name)] + [str(a) for a in arguments])


def veka_job(veka, src, work, solute, command_section, code="700", mxcon="0"):
    """Runs a job in `work` on a solute file, with `command_section` followed by the
    project's OPLS-AA file; the listing is out.txt, the summary sum.txt, the structure
    file plt.txt and the conformer store up.txt there, the files a gas-phase job does not
    use are /dev/null."""
    ff = os.path.join(src, "data", "forcefield")
    with open(os.path.join(ff, "opls-aa.par")) as f, open(os.path.join(work, "par.txt"), "w") as p:
        p.write(command_section + f.read())
    files = {"-ot": "out.txt", "-zm": solute, "-pa": "par.txt", "-su": "sum.txt",
             "-pl": "plt.txt", "-up": "up.txt", "-ba": os.path.join(ff, "opls-aa-bonded.par")}
    cmd = [veka, code, mxcon, "0.0", "0.0", "0.0"]
    for opt in ("-ot", "-in", "-up", "-sv", "-av", "-zm", "-pa", "-wa", "-o1", "-o2", "-pl",
                "-su", "-ba", "-sz"):
        cmd += [opt, files.get(opt, "/dev/null")]
    run(cmd, cwd=work)


class Model:
    """A solute as the helper programs write it (tests/energy/model_dump.hpp): atoms, bond,
    angle and torsion lists, covalent neighbours, the pair list, settings, restraints and
    energies by term."""

    def __init__(self, text):
        self.atoms, self.bonds, self.angles, self.torsions = [], [], [], []
        self.neighbours, self.restraints, self.pairs = [], [], {}
        self.energy, self.setting = {}, {}
        for line in text.splitlines():
            key, v = line.split()[0], line.split()[1:]
            if key == "atom":
                self.atoms.append({"z": int(v[1]), "mol": int(v[2]), "q": float(v[3]),
                                   "sigma": float(v[4]), "eps": float(v[5]),
                                   "xyz": [float(t) for t in v[6:9]]})
            elif key in ("bond", "angle", "torsion", "restraint"):
                n = {"bond": 2, "angle": 3, "torsion": 4, "restraint": 2}[key]
                entry = tuple(int(t) for t in v[:n]) + tuple(float(t) for t in v[n:])
                {"bond": self.bonds, "angle": self.angles, "torsion": self.torsions,
                 "restraint": self.restraints}[key].append(entry)
            elif key == "neighbour":
                self.neighbours.append((int(v[0]), int(v[1])))
            elif key == "pair":
                self.pairs[(int(v[0]), int(v[1]))] = int(v[2])
            elif key == "setting":
                self.setting = {"dielec": float(v[1]), "c14": float(v[3]), "l14": float(v[4]),
                                "constv4": int(v[6])}
            elif key == "energy":
                self.energy[v[0]] = float(v[1])

    def within_molecules(self):
        """Drops bonds and angles between two solutes (intermolecular variables)."""
        mol = [a["mol"] for a in self.atoms]
        self.bonds = [b for b in self.bonds if mol[b[0] - 1] == mol[b[1] - 1]]
        self.angles = [a for a in self.angles if mol[a[0] - 1] == mol[a[1] - 1] == mol[a[2] - 1]]


def topology_pairs(mol, bonds):
    """{(i, j): 1 for a 1-4 pair, else 0} for the atom pairs of one molecule (mol[i - 1])
    that are neither bonded nor 1-3, from the bond list (pairs of atoms i, j)."""
    n = len(mol)
    adj = {i: set() for i in range(1, n + 1)}
    for i, j in bonds:
        adj[i].add(j)
        adj[j].add(i)
    out = {}
    for i, j in itertools.combinations(range(1, n + 1), 2):
        if mol[i - 1] != mol[j - 1] or j in adj[i] or j in set().union(*(adj[k] for k in adj[i])):
            continue
        out[(i, j)] = 1 if any(j in adj[b] for a in adj[i] for b in adj[a]) else 0
    return out


def lammps_data(path, atoms, bonds, angles, dihedrals, masses):
    """A LAMMPS data file (atom_style full) with a type of its own for every atom (Lennard-
    Jones epsilon, sigma), bond, angle and dihedral; each entry is its atom numbers followed
    by its coefficients."""
    def row(k, values):
        return " ".join(["%d" % k] + ["%d" % v if isinstance(v, int) else "%.15g" % v
                                      for v in values])
    terms = (("bond", "Bond", bonds, 2), ("angle", "Angle", angles, 3),
             ("dihedral", "Dihedral", dihedrals, 4))
    lines = ["model for a reference check", "", "%d atoms" % len(atoms)]
    lines += ["%d %ss" % (len(t[2]), t[0]) for t in terms]
    lines += ["", "%d atom types" % len(atoms)]
    lines += ["%d %s types" % (len(t[2]), t[0]) for t in terms]
    lines += ["", "-60 60 xlo xhi", "-60 60 ylo yhi", "-60 60 zlo zhi", "", "Masses", ""]
    lines += [row(k + 1, [m]) for k, m in enumerate(masses)]
    lines += ["", "Pair Coeffs", ""]
    for k, a in enumerate(atoms):
        real = a["eps"] > 0 and a["sigma"] > 0
        lines.append(row(k + 1, [a["eps"], a["sigma"]] if real else [0.0, 1.0]))
    for _, title, entries, n in terms:
        if entries:
            lines += ["", title + " Coeffs", ""] + [row(k + 1, e[n:]) for k, e in enumerate(entries)]
    lines += ["", "Atoms # full", ""]
    lines += [row(k + 1, [a["mol"], k + 1, float(a["q"])] + list(a["xyz"]))
              for k, a in enumerate(atoms)]
    for _, title, entries, n in terms:
        if entries:
            lines += ["", title + "s", ""] + [row(k + 1, [k + 1] + list(e[:n]))
                                              for k, e in enumerate(entries)]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def lammps(data, dihedral_style, special_bonds, dielectric, extra=()):
    """A LAMMPS instance on a data file: units real, harmonic bonds and angles,
    lj/cut/coul/cut with geometric mixing and cut-offs beyond the molecule, the Coulomb
    constant brought to the program's through the dielectric constant."""
    lmp = need("lammps", "LAMMPS Python module").lammps(
        cmdargs=["-log", "none", "-screen", "none", "-nocite"])
    for c in ["units real", "atom_style full", "boundary f f f", "atom_modify map array",
              "bond_style harmonic", "angle_style harmonic", "dihedral_style " + dihedral_style,
              "pair_style lj/cut/coul/cut 50.0", "pair_modify mix geometric", "read_data " + data,
              "special_bonds " + special_bonds,
              "dielectric %.15f" % (COULOMB_LAMMPS / COULOMB * dielectric),
              "neighbor 10.0 bin", "neigh_modify every 1 delay 0 check no"] + list(extra):
        lmp.command(c)
    return lmp


class Checks:
    """Collects failures so that one run reports all of them."""

    def __init__(self, name):
        self.name, self.failures, self.count = name, [], 0

    def check(self, ok, message):
        self.count += 1
        if not ok:
            self.failures.append(message)
        return ok

    def close(self, value, want, tol, message):
        return self.check(abs(value - want) <= tol, "%s: %r, expected %r (tolerance %g)" %
                          (message, value, want, tol))

    def finish(self):
        for f in self.failures[:50]:
            print("FAIL %s" % f)
        if len(self.failures) > 50:
            print("... %d more failures" % (len(self.failures) - 50))
        print("%s: %d passed, %d failed" % (self.name, self.count - len(self.failures),
                                            len(self.failures)))
        return 1 if self.failures else 0
