#include "geometry/Matrix.h"

#include <cmath>
#include <numbers>

namespace vk {

std::optional<TMatrix> MatrixProduct(const TMatrix& A, const TMatrix& B) {
    const std::size_t columns = B.empty() ? 0 : B.front().size();
    for (const TVector& row : B) {
        if (row.size() < columns) {
            return std::nullopt;
        }
    }
    TMatrix C(A.size(), TVector(columns, 0.0f));
    for (std::size_t i = 0; i < A.size(); ++i) {
        if (A[i].size() > B.size()) {
            return std::nullopt;
        }
        for (std::size_t j = 0; j < columns; ++j) {
            long double sum = 0.0L;
            for (std::size_t k = 0; k < A[i].size(); ++k) {
                sum += static_cast<long double>(A[i][k]) * B[k][j];
            }
            C[i][j] = float(sum);
        }
    }
    return C;
}

namespace {
struct Rotation {
    float c, s, tx, ty;
};

Rotation rotation(float Angle, TPointF Centre) {
    const double a = Angle * std::numbers::pi / 180.0;
    const double s = std::sin(a);
    const double c = std::cos(a);
    const double cx = Centre.X;
    const double cy = Centre.Y;
    return {float(c), float(s), float(cx - cx * c + cy * s), float(cy - cx * s - cy * c)};
}
} // namespace

TMatrix RotationRow(TPointF P) { return {{P.X, P.Y, 1.0f}}; }

TMatrix RotationMatrix(float Angle, TPointF Centre) {
    const Rotation r = rotation(Angle, Centre);
    return {{r.c, r.s, 0.0f}, {-r.s, r.c, 0.0f}, {r.tx, r.ty, 0.0f}};
}

TPointF RotatePoint(TPointF P, float Angle, TPointF Centre) {
    const Rotation r = rotation(Angle, Centre);
    // The same sums, in the same order, as MatrixProduct of RotationRow(P)
    // and RotationMatrix(Angle, Centre).
    long double x = 0.0L;
    x += static_cast<long double>(P.X) * r.c;
    x += static_cast<long double>(P.Y) * -r.s;
    x += static_cast<long double>(1.0f) * r.tx;
    long double y = 0.0L;
    y += static_cast<long double>(P.X) * r.s;
    y += static_cast<long double>(P.Y) * r.c;
    y += static_cast<long double>(1.0f) * r.ty;
    return {float(x), float(y)};
}

TVector RotatePoint(const float (&P)[2], float Angle, const float (&Centre)[2]) {
    const TPointF r = RotatePoint(TPointF{P[0], P[1]}, Angle, TPointF{Centre[0], Centre[1]});
    return {r.X, r.Y};
}

bool FreeMatrix(TMatrix& M) {
    M.clear();
    M.shrink_to_fit();
    return false;
}

bool FreeVector(TVector& V) {
    V.clear();
    V.shrink_to_fit();
    return false;
}

} // namespace vk
