#pragma once
// Numbers as the user reads and types them: the user's decimal separator, no
// digit grouping. The "user" is QLocale's default locale, which tests may set.

#include <QString>
#include <optional>

namespace vk {

// "%f": fixed notation with two decimals, e.g. 1.20 or 1,20.
[[nodiscard]] QString formatF(double value);

// printf-like "%.Nf" with the user's decimal separator.
[[nodiscard]] QString formatFixed(double value, int decimals);

// Removes trailing zeros after the decimal separator, then a separator left
// at the end: 12.50 -> 12.5, 10.00 -> 10. Text without a separator is kept.
[[nodiscard]] QString trimZeros(const QString& text);

// Reads a number typed by the user. Accepts the user's separator, the point
// and the comma. Surrounding blanks are ignored; anything else (grouping
// included) fails.
[[nodiscard]] std::optional<double> parseNumber(const QString& text);

[[nodiscard]] QChar decimalSeparator();

} // namespace vk
