#include "EditorTestUtil.h"
#include "sheet/FloatEdit.h"

#include <QLocale>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace vk {
namespace {

class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale& locale) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

TEST(FloatEdit, ShowsAtMostMaxDecimalsWithoutTrailingZeros) {
    LocaleGuard c(QLocale::c());
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {2.5, 3, "2.5"},
        {2, 3, "2"},
        {12.3456, 3, "12.346"},
        {-1.5, 3, "-1.5"},
        {0.0001, 3, "0"},
        {-0.0001, 3, "0"},
        {1234567.125, 3, "1234567.125"},
        {33.1234567, 5, "33.12346"},
        {90, 5, "90"},
    };
    TJvFloatEdit3 field;
    for (const auto& k : cases) {
        field.SetMaxDecimals(k.decimals);
        field.SetValue(k.value);
        EXPECT_EQ(field.text().toStdString(), k.text) << k.value;
    }
    EXPECT_EQ(field.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST(FloatEdit, ReadsTheUsersFormatAndUnreadableTextAsZero) {
    LocaleGuard russian(QLocale(QLocale::Russian, QLocale::Russia));
    TJvFloatEdit3 field;
    field.SetValue(2.5);
    EXPECT_EQ(field.text(), QStringLiteral("2,5"));
    const struct {
        const char* text;
        double value;
    } cases[] = {{"2,5", 2.5}, {" 3,25 ", 3.25}, {"-7", -7}, {"", 0}, {"abc", 0}, {"1 000", 0}};
    for (const auto& k : cases) {
        field.setText(QString::fromUtf8(k.text));
        EXPECT_DOUBLE_EQ(field.Value(), k.value) << k.text;
    }
}

// Two fields in a window: the second only takes the focus away.
class FloatEditEvents : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        field = new TJvFloatEdit3(&window);
        other = new TJvFloatEdit3(&window);
        layout->addWidget(field);
        layout->addWidget(other);
        field->SetValue(10);
        field->OnValueChanged = [this] { ++raised; };
        ShowActive(window);
    }

    QWidget window;
    TJvFloatEdit3* field = nullptr;
    TJvFloatEdit3* other = nullptr;
    int raised = 0;
};

TEST_F(FloatEditEvents, EnterRaisesAtOnceChangedOrNot) {
    Enter(field);
    PressEnter(field);
    EXPECT_EQ(raised, 1);
    TypeAndPressEnter(field, QStringLiteral("12"));
    EXPECT_EQ(raised, 2);
    // Leaving after Enter reports nothing new.
    Leave(other);
    EXPECT_EQ(raised, 2);
}

TEST_F(FloatEditEvents, LeavingRaisesOnlyWhenTheValueChanged) {
    Enter(field);
    Leave(other);
    EXPECT_EQ(raised, 0) << "entered and left unchanged";

    Type(field, QStringLiteral("10.000"));
    Leave(other);
    EXPECT_EQ(raised, 0) << "retyped to the same value";

    Type(field, QStringLiteral("11"));
    EXPECT_EQ(raised, 0) << "typing alone raises nothing";
    Leave(other);
    EXPECT_EQ(raised, 1);
}

TEST_F(FloatEditEvents, ValuesSetByTheProgramRaiseNothing) {
    field->SetValue(20);
    EXPECT_EQ(raised, 0);

    // Even while the user is in the field, and whichever way the text is set.
    Enter(field);
    field->SetValue(30);
    Leave(other);
    Enter(field);
    field->setText(QStringLiteral("40"));
    Leave(other);
    EXPECT_EQ(raised, 0);
}

} // namespace
} // namespace vk
