// Eigenvalues and eigenvectors of a dense real symmetric matrix: Householder reduction to
// tridiagonal form (`tred2`), the QL algorithm with implicit shifts on the tridiagonal
// matrix (`tqli`) and an ascending sort (`eigsrt`).
//
// Matrices are row-major with a leading dimension (the distance between rows). The
// eigenvectors are returned as the ROWS of the vector matrix: row j is the eigenvector of
// eigenvalue j. Holding them as rows keeps every rotation of the QL sweep on contiguous
// memory.
#pragma once

namespace veka::nm {

// Reduces the symmetric n x n matrix `a` (row-major, leading dimension lda; both triangles
// must be filled; destroyed) to tridiagonal form T = Q^T A Q. On return d[0..n-1] is the
// diagonal of T, e[0..n-2] its subdiagonal (e[i] couples i and i+1) and e[n-1] = 0, and
// the rows of `qt` (leading dimension ldq) hold Q^T.
void tred2(double* a, int n, int lda, double* d, double* e, double* qt, int ldq);

// Diagonalises the tridiagonal matrix (d, e) as left by tred2, applying every rotation to
// the rows of `zt`. On return d holds the eigenvalues (unsorted) and row j of zt the
// eigenvector of d[j]. Returns false when an eigenvalue did not converge within the
// iteration limit (the values reached are left in place).
bool tqli(double* d, double* e, int n, double* zt, int ldz);

// Sorts the eigenvalues ascending, moving their eigenvector rows with them.
void eigsrt(double* d, double* zt, int n, int ldz);

// tred2 + tqli + eigsrt. `a` is destroyed; `e` is workspace of n doubles.
bool symmetricEigen(double* a, int n, int lda, double* d, double* e, double* zt, int ldz);

}  // namespace veka::nm
