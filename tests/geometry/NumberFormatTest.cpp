// Numbers typed into the program's boxes.

#include "geometry/NumberFormat.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct LocaleScope {
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

// A decimal comma was refused wherever the desktop's locale writes a point.
TEST(NumberFormat, TypedNumbersReadTheSameWhateverTheDesktopsLanguage) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"1.5", 1.5},        {"1,5", 1.5},       {" -0,25 ", -0.25}, {"30", 30.0},
        {"1e3", 1000.0},     {"1,234.5", {}},    {"1.234,5", {}},    {"1 234", {}},
        {"1,2,3", {}},       {"", {}},           {"abc", {}},        {"inf", {}},
    };
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::Russian, QLocale::Russia), QLocale(QLocale::German, QLocale::Germany)};
    for (const QLocale& locale : locales) {
        LocaleScope scope(locale);
        for (const Case& c : cases) {
            const std::optional<double> got = vk::parseNumber(QString::fromUtf8(c.text));
            if (c.value) {
                ASSERT_TRUE(got.has_value()) << locale.name().toStdString() << " '" << c.text << "'";
                EXPECT_DOUBLE_EQ(*got, *c.value) << locale.name().toStdString() << " '" << c.text << "'";
            } else {
                EXPECT_FALSE(got.has_value()) << locale.name().toStdString() << " '" << c.text << "'";
            }
        }
    }
}

} // namespace
