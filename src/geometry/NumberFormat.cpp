#include "geometry/NumberFormat.h"

#include <QLocale>
#include <cmath>

namespace vk {

namespace {
QLocale userLocale() {
    QLocale locale;
    // Grouping is never written and never accepted: "1,5" must not read as 15.
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}
} // namespace

QChar decimalSeparator() {
    const QString sep = QLocale().decimalPoint();
    return sep.isEmpty() ? QChar('.') : sep.at(0);
}

QString formatFixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return QString::number(value);
    }
    // Avoid "-0.00" for values that only round to zero.
    const double scale = std::pow(10.0, decimals);
    if (std::round(std::fabs(value) * scale) == 0.0) {
        value = 0.0;
    }
    return userLocale().toString(value, 'f', decimals);
}

QString formatF(double value) { return formatFixed(value, 2); }

QString trimZeros(const QString& text) {
    const QChar sep = decimalSeparator();
    if (!text.contains(sep)) {
        return text;
    }
    QString result = text;
    while (result.endsWith(QChar('0'))) {
        result.chop(1);
    }
    if (result.endsWith(sep)) {
        result.chop(1);
    }
    return result;
}

std::optional<double> parseNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    double value = userLocale().toDouble(trimmed, &ok);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    if (!ok) {
        value = c.toDouble(trimmed, &ok);
    }
    // Russian users write a decimal comma even where the desktop's locale
    // has a point; no number here has grouping, so one comma can only be
    // the decimal separator.
    if (!ok && trimmed.count(QLatin1Char(',')) == 1 && !trimmed.contains(QLatin1Char('.'))) {
        value = c.toDouble(QString(trimmed).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace vk
