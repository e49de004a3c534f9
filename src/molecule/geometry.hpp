// Z-matrix geometry: Cartesian coordinates from internal coordinates (`makmol`,
// `genatm`), internal coordinates from Cartesian ones (`dihedral`, `bondAngle`), the
// quaternion least-squares superposition of two point sets (`qtrf`, `qtrfit`, `jacobi`).
//
// Everything here works on fixed-capacity arrays and allocates nothing, so that the
// solute moves, the optimiser and the conformational search can call it freely.
//
// Conventions. For atom i with bond partner j, angle partner k and dihedral partner l:
// r = |i - j|, theta = angle i-j-k, phi = dihedral i-j-k-l (equal to the dihedral
// l-k-j-i). phi = 0 puts i cis to l; positive phi turns the bond j->i clockwise when it
// is viewed along k->j with l at the back (the usual IUPAC sense for l-k-j-i).
// `dihedral(a, b, c, d)` returns exactly this angle, so the dihedral of an atom placed
// by `genatm` is the phi it was built with.
#pragma once

#include <array>

#include "state/solute.hpp"

namespace veka {

struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;
};

// Squared length floor used by every normalisation: collinear reference atoms give a
// finite (arbitrary) direction instead of a division by zero.
inline constexpr double kNormFloor = 1.0e-36;

// Places atom D bonded to C at distance r with angle D-C-B = theta and dihedral
// D-C-B-A = phi (radians). The placement step of `makmol` for one atom, with the library's
// sine and cosine: the tests check the placement geometry through it.
Vec3 genatm(const Vec3& a, const Vec3& b, const Vec3& c, double r, double theta, double phi);

// Dihedral angle a-b-c-d in radians, in (-pi, pi]; 0 when either end is collinear with
// the central bond. Same sign convention as `genatm` (see above).
double dihedral(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d);
// The two arguments of the arctangent that gives dihedral(a, b, c, d): the angle is
// arctan2(y, x) (0 when both vanish).
void dihedralArguments(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double& y,
                       double& x);
// Angle a-b-c at b in radians: arccos of the dot product of the two bond vectors divided
// by the product of their lengths, that product bounded below by 1e-36.
double bondAngle(const Vec3& a, const Vec3& b, const Vec3& c);
// The cosine whose arccos is bondAngle(a, b, c), bounded to [-1, 1].
double angleCosine(const Vec3& a, const Vec3& b, const Vec3& c);
double distance(const Vec3& a, const Vec3& b);

// s[i] = sin(x[i]), c[i] = cos(x[i]) for i = 0..n-1, vectorised; within two units in the
// last place of the library functions.
void sinCos(const double* x, double* s, double* c, int n);

// The angle of the point (x, y) in (-pi, pi], within 2 units in the last place of the
// library's atan2 (0 for the origin). Written without branches (a rational approximation
// on |t| <= 0.66 after the reductions t -> (t - 1)/(t + 1) and t -> 1/t), so that the loop
// of arctan2(y, x, out, n) vectorises; the dihedral and bond-angle routines use the same
// function, so a term value computed one at a time equals the one computed in a batch.
double arctan2(double y, double x);
void arctan2(const double* y, const double* x, double* out, int n);
// The angle whose cosine is c, for c in [-1, 1], as arctan2(sqrt((1-c)(1+c)), c); the
// batch form vectorises as arctan2's does.
double arccos(double c);
void arccos(const double* c, double* out, int n);

inline Vec3 atom(const Xyz& c, int i) {
  return {c.x(i), c.y(i), c.z(i)};
}
inline void setAtom(Xyz& c, int i, const Vec3& v) {
  c.x(i) = v.x;
  c.y(i) = v.y;
  c.z(i) = v.z;
}

// The internal coordinates `makmol` builds from: partners and values of atoms 1..n
// (values in A and radians). References into the Z-matrix record or into a caller's own
// trial arrays.
struct ZmatView {
  int n = 0;
  const int* iz1 = nullptr;  // element i - 1 holds atom i's bond partner
  const int* iz2 = nullptr;
  const int* iz3 = nullptr;
  const double* bnd = nullptr;
  const double* ang = nullptr;
  const double* dih = nullptr;
};

// The working values of the Z-matrix record, all NSATM solute atoms.
ZmatView workingView(const Zmat& z);

// Builds the Cartesian coordinates of atoms 1..n: every coordinate of the capacity is set
// to 0; atom 1 at the origin; atom 2 on the positive x axis; atom 3 in the xy plane (from
// bond partner 1 at (r cos theta, r sin theta), from bond partner 2 at
// (x2 - r cos theta, r sin theta)); atoms 4..n by `genatm` from their partners.
// Partners must refer to earlier atoms (the Z-matrix readers guarantee it).
void makmol(Xyz& out, const ZmatView& zm);
void makmol(Xyz& out, const Zmat& z);

// Rebuilds atoms first..n only, keeping atoms 1..first-1 of `out`, which must hold what
// `makmol` built for the same values of those atoms (an atom depends only on earlier
// ones). The result is the one `makmol` gives. For callers that change one or a few
// internal coordinates: `first` is the lowest atom whose coordinate changed.
void makmolFrom(Xyz& out, const ZmatView& zm, int first);

// ------------------------------------------------------------------ superposition
// Cyclic Jacobi diagonalisation of a symmetric 4x4 matrix. On return d holds the
// eigenvalues in ascending order and column j of v (v[i][j]) the eigenvector of d[j].
// The input matrix is destroyed. Sweeps stop when the off-diagonal sum is negligible
// against the diagonal (relative 1e-30 of its square) or after 50 sweeps. Returns the
// number of rotations.
int jacobi(std::array<std::array<double, 4>, 4>& a, std::array<double, 4>& d,
           std::array<std::array<double, 4>, 4>& v);

// The rigid motion that superimposes a moving point set on a reference set.
struct Superposition {
  std::array<double, 4> q{1.0, 0.0, 0.0, 0.0};  // unit quaternion (q0, q1, q2, q3)
  std::array<std::array<double, 3>, 3> u{};     // rotation matrix
  Vec3 refCentre, movCentre;                    // centroids
  // The image of a moving point: U (m - movCentre) + refCentre.
  Vec3 apply(const Vec3& m) const;
};

// Quaternion fit of n moving points onto n reference points (unweighted centroids and
// correlation matrix, largest eigenvector of the 4x4 quaternion matrix).
Superposition qtrfit(int n, const double* rx, const double* ry, const double* rz, const double* mx,
                     const double* my, const double* mz);

// Replaces the n moving points by their least-squares superposition on the reference
// points. Arrays hold points 1..n at elements 0..n-1.
void qtrf(int n, const double* rx, const double* ry, const double* rz, double* mx, double* my,
          double* mz);
void qtrf(int n, const Xyz& ref, Xyz& mov);

}  // namespace veka
