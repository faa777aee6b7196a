#include "sheet/RulerLayout.h"

#include "geometry/NumberFormat.h"

#include <cmath>

namespace vk {

namespace {
// A guard against absurd inputs; UpdateGridStep keeps real views far below.
constexpr long kMaxLines = 200000;

void family(double hi, double start, double spacing, std::vector<double>& out) {
    if (!(spacing > 0.0) || !std::isfinite(start) || !std::isfinite(hi)) {
        return;
    }
    for (long i = 0; i < kMaxLines; ++i) {
        const double k = start + double(i) * spacing;
        if (k > hi) {
            break;
        }
        out.push_back(k);
    }
}

void fifths(double lo, double hi, double step, std::vector<double>& out) {
    const double five = 5.0 * step;
    double start = five * std::trunc(lo / five);
    const long ten = long(std::trunc(10.0 * step));
    if (ten != 0 && long(std::trunc(start)) % ten == 0) {
        start += five;
    }
    family(hi, start, 10.0 * step, out);
}
} // namespace

TGridLines ComputeGridLines(const TWorldRect& v, double s) {
    TGridLines g;
    if (!(s > 0.0)) {
        return g;
    }
    family(v.R, s * std::trunc(v.L / s), s, g.fineX);
    family(v.T, s * std::trunc(v.B / s), s, g.fineY);
    fifths(v.L, v.R, s, g.fifthX);
    fifths(v.B, v.T, s, g.fifthY);
    family(v.R, 10.0 * s * std::trunc(v.L / (10.0 * s)), 10.0 * s, g.tenthX);
    family(v.T, 10.0 * s * std::trunc(v.B / (10.0 * s)), 10.0 * s, g.tenthY);
    g.axisX = v.B <= 0.0 && 0.0 <= v.T;
    g.axisY = v.L <= 0.0 && 0.0 <= v.R;
    return g;
}

QString RulerText(double worldValue, int divisor) {
    return trimZeros(formatF(worldValue / divisor));
}

std::vector<TRulerNumber> ComputeRulerNumbers(double lo, double hi, double gridStep, int divisor,
                                              const TMeasure& measure) {
    std::vector<TRulerNumber> numbers;
    const double spacing = 10.0 * gridStep;
    if (!(spacing > 0.0) || !(hi >= lo)) {
        return numbers;
    }
    const QString zero = QStringLiteral("0");
    const double w0 = measure(zero);
    numbers.push_back({0.0, zero, w0});

    // Walking from 0 to a far-away view would cost one measurement per
    // number passed; far from the origin start near the view instead, on an
    // even count so that alternating numbers keep their rhythm.
    const auto firstIndex = [&](double edge) -> long {
        const double n = std::floor(std::fabs(edge) / spacing);
        if (n < 1000.0) {
            return 1;
        }
        long i = long(n) - 4;
        return i - (i % 2);
    };

    // Positive side.
    double lastEnd = w0 / 2.0;
    const long firstPositive = lo > 0 ? firstIndex(lo) : 1;
    for (long i = firstPositive; i < firstPositive + kMaxLines; ++i) {
        const double k = double(i) * spacing;
        if (k > hi) {
            break;
        }
        const QString text = RulerText(k, divisor);
        const double w = measure(text);
        if (k + w / 2.0 <= hi && k - w / 2.0 >= lo && k - w >= lastEnd) {
            numbers.push_back({k, text, w});
            lastEnd = k + w / 2.0;
        }
    }
    // Negative side.
    lastEnd = -w0 / 2.0;
    const long firstNegative = hi < 0 ? firstIndex(hi) : 1;
    for (long i = firstNegative; i < firstNegative + kMaxLines; ++i) {
        const double k = -double(i) * spacing;
        if (k < lo) {
            break;
        }
        const QString text = RulerText(k, divisor);
        const double w = measure(text);
        if (k - w / 2.0 >= lo && k + w / 2.0 <= hi && k + w <= lastEnd) {
            numbers.push_back({k, text, w});
            lastEnd = k - w / 2.0;
        }
    }
    return numbers;
}

} // namespace vk
