"""Ideal-gas thermochemistry against ASE's IdealGasThermo for the same frequencies, masses
and geometry, where the two models coincide: every frequency above the cutoff (cutoff 0),
one conformer, no spin. Compared: S_vib, S_rot and S_trans at 1 atm (from differences of
ASE's total entropies), the zero-point energy, H - E_elec, G - E_elec and Cp (difference
quotient of ASE's enthalpy).

Tolerances: S_vib, S_rot and Cp 2e-3 cal/mol-K (constants of both codes agree to about
1e-5); S_trans 0.03 cal/mol-K and G 0.012 kcal/mol (the translational entropy formula
carries its constants rounded: 2.2868 and 2.3135); zero-point energy and H 1e-4 relative
(half of N_A h c is held in single precision).

Arguments: <veka binary> <source dir> <build dir>. Exit 77 when ASE is not installed."""

import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nmcheck  # noqa: E402
from nmcheck import rc  # noqa: E402

ase = rc.need("ase", "ASE")
units = rc.need("ase.units", "ASE")
IdealGasThermo = rc.need("ase.thermochemistry", "ASE").IdealGasThermo

np.seterr(over="ignore")  # exp(h nu / kT) of stiff modes inside ASE; harmless
ATM = 101325.0  # Pa
EV = units.kcal / units.mol  # eV per kcal/mol


def ase_thermo(m, freqs, geometry, sigma, e_elec, vib_scale=1.0):
    atoms = ase.Atoms([nmcheck.SYMBOL[a["z"]] for a in m.atoms], positions=m.xyz())
    atoms.set_masses(m.masses())
    return IdealGasThermo(vib_energies=np.array(freqs) * units.invcm * vib_scale,
                          geometry=geometry, potentialenergy=e_elec * EV, atoms=atoms,
                          symmetrynumber=sigma, spin=0)


def check(m, build_dir, geometry, sigma, tc):
    T = tc + 273.15
    listing = nmcheck.analyse(build_dir, m.nmd("temperature %r\nnmode 0 1 %d 0 0\n" % (tc, sigma)))
    if "No imaginary frequencies are found." not in listing:
        print(m.name, "FAIL: imaginary frequencies")
        return False
    v = lambda label: nmcheck.value(listing, label)  # noqa: E731
    freqs = nmcheck.passed_frequencies(listing) if geometry != "monatomic" else []
    e = v(" Eelec(0)   =")
    th = ase_thermo(m, freqs, geometry, sigma, e)
    # Entropy components from totals: without vibrations (frequencies pushed out of reach)
    # and without rotation (monatomic).
    s_all = th.get_entropy(T, ATM, verbose=False) / EV * 1000
    s_norot = ase_thermo(m, [], "monatomic", sigma, e).get_entropy(T, ATM, verbose=False) / EV * 1000
    if geometry == "monatomic":
        s_novib = s_all
    else:
        s_novib = ase_thermo(m, freqs, geometry, sigma, e, vib_scale=1e6 / max(freqs)).get_entropy(
            T, ATM, verbose=False) / EV * 1000
    h = th.get_enthalpy(T, verbose=False) / EV
    dT = 0.01
    cp = (th.get_enthalpy(T + dT, verbose=False) - th.get_enthalpy(T - dT, verbose=False)) / (
        2 * dT) / EV * 1000
    rows = [
        ("Svib", v(" Svib       ="), s_all - s_novib, 2e-3),
        ("Srot", v(" Srot       ="), s_novib - s_norot, 2e-3),
        ("Strans", v(" Strans     ="), s_norot, 0.03),
        ("ZPE", v(" Evib(0)    ="), th.get_ZPE_correction() / EV, 1e-4 * v(" Evib(0)    =") + 1e-6),
        ("H-Eelec", v(" H =") - e, h - e, 1e-4 * abs(h - e) + 2e-6),
        ("G-Eelec", v(" G =") - e, th.get_gibbs_energy(T, ATM, verbose=False) / EV - e, 0.012),
        ("Cp", v(" CPtotal    ="), cp, 2e-3),
    ]
    ok = True
    line = "%-16s T %7.2f sigma %d " % (m.name, T, sigma)
    for name, ours, ref, tol in rows:
        line += " %s %.5f/%.5f" % (name, ours, ref)
        if abs(ours - ref) > tol:
            ok = False
            line += " FAIL(diff %.2e > %.1e)" % (abs(ours - ref), tol)
    print(line)
    return ok


def main():
    build_dir = rc.args()[2]
    ok = True
    for name, geometry, sigma, tc in (("water", "nonlinear", 2, 25.0),
                                      ("carbon_dioxide", "linear", 2, 100.0),
                                      ("argon", "monatomic", 1, 25.0),
                                      ("ethane", "nonlinear", 6, 76.85),
                                      ("hydrogen_peroxide", "nonlinear", 2, -50.0)):
        ok &= check(nmcheck.molecule(name), build_dir, geometry, sigma, tc)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
