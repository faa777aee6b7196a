#pragma once
// Small dense matrices of floats and the rotation of a point about a centre.

#include "geometry/Types.h"

#include <optional>
#include <vector>

namespace vk {

using TVector = std::vector<float>;
using TMatrix = std::vector<TVector>;  // rows

// C = A x B. C has A's rows and as many columns as B's first row; every sum is
// accumulated in long double and stored as a float. Matrices that do not fit
// (a row of A longer than B has rows, a row of B shorter than its first row)
// give no product instead of reading past an array.
[[nodiscard]] std::optional<TMatrix> MatrixProduct(const TMatrix& A, const TMatrix& B);

// P turned about Centre by Angle degrees, counter-clockwise in the X-towards-Y
// sense. P and Centre are two-element arrays; the result has two elements.
// Computed as the row vector [x, y, 1] times the 3x3 rotation matrix whose
// entries are floats, so that it matches MatrixProduct bit for bit, but
// without building the matrices.
[[nodiscard]] TVector RotatePoint(const float (&P)[2], float Angle, const float (&Centre)[2]);
[[nodiscard]] TPointF RotatePoint(TPointF P, float Angle, TPointF Centre);

// The 1x3 and 3x3 matrices that RotatePoint multiplies; for tests and for
// callers that want to compose rotations with MatrixProduct.
[[nodiscard]] TMatrix RotationRow(TPointF P);
[[nodiscard]] TMatrix RotationMatrix(float Angle, TPointF Centre);

// Empty the array. Always false.
bool FreeMatrix(TMatrix& M);
bool FreeVector(TVector& V);

} // namespace vk
