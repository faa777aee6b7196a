// The configuration, its settings dialog and its persistence.

#include "app/ConfigForm.h"
#include "model/Config.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <gtest/gtest.h>

using vk::TCfgFrm;
using vk::TGlobalConfig;

namespace {
TGlobalConfig defaults() {
    TGlobalConfig c;
    c.SetDefaults();
    return c;
}
} // namespace

TEST(GlobalConfig, DefaultsAndKey) {
    const TGlobalConfig c = defaults();
    EXPECT_EQ(c.DisplayUnits, 100);
    EXPECT_EQ(c.ProjectLinkTolerance, 50);
    EXPECT_EQ(c.TileLinkTolerance, 10);
    EXPECT_EQ(c.RegistryKey, QString("\\SoftWare\\VorkaloProject"));
}

TEST(GlobalConfig, PersistsAndIgnoresUnusableStoredValues) {
    vk::test::TTempDir dir;
    const QString file = dir.file("settings.ini");
    {
        TGlobalConfig c = defaults();
        c.DisplayUnits = 10;
        c.ProjectLinkTolerance = 75;
        c.TileLinkTolerance = 3;
        QSettings s(file, QSettings::IniFormat);
        c.Save(s);
    }
    {
        TGlobalConfig c = defaults();
        QSettings s(file, QSettings::IniFormat);
        c.Load(s);
        EXPECT_EQ(c.DisplayUnits, 10);
        EXPECT_EQ(c.ProjectLinkTolerance, 75);
        EXPECT_EQ(c.TileLinkTolerance, 3);
    }
    {
        QSettings s(file, QSettings::IniFormat);
        s.setValue("DisplayUnits", 7);
        s.setValue("TileLinkTolerance", "many");
    }
    TGlobalConfig c = defaults();
    QSettings s(file, QSettings::IniFormat);
    c.Load(s);
    EXPECT_EQ(c.DisplayUnits, 100) << "an unknown unit keeps the default";
    EXPECT_EQ(c.TileLinkTolerance, 10);
    // Nothing stored at all: the defaults apply.
    TGlobalConfig fresh = defaults();
    QSettings empty(dir.file("none.ini"), QSettings::IniFormat);
    fresh.Load(empty);
    EXPECT_EQ(fresh.ProjectLinkTolerance, 50);
}

TEST(GlobalConfig, UnitRadioMapping) {
    const struct {
        int units;
        int index;
        int back;
    } cases[] = {{100, 0, 100}, {10, 1, 10}, {1, 2, 1}, {5, -1, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(vk::UnitsToRadioIndex(c.units), c.index) << c.units;
        EXPECT_EQ(vk::RadioIndexToUnits(c.index < 0 ? 0 : c.index), c.back) << c.units;
    }
}

TEST(GlobalConfig, VersionTexts) {
    EXPECT_EQ(vk::ShortVersion("1.2.3.4"), QString("1.2"));
    EXPECT_EQ(vk::ShortVersion("0.0.0.0"), QString("0.0"));
    EXPECT_EQ(vk::GetProgramVersion().count('.'), 3);
}

TEST(SettingsDialog, ShowsTheConfigurationAndTakesItBackOnOk) {
    vk::test::TScriptedUi ui;
    TGlobalConfig c = defaults();
    c.DisplayUnits = 10;
    TCfgFrm dialog(c);
    EXPECT_EQ(dialog.windowTitle(), QString("Параметры"));
    EXPECT_EQ(dialog.Pages->currentIndex(), 0);
    EXPECT_EQ(dialog.Pages->tabText(0), QString("Редактор проектов"));
    EXPECT_EQ(dialog.Pages->tabText(1), QString("Редактор плиток"));
    EXPECT_EQ(dialog.rgUnits->checkedButton()->text(), QString("см"));
    EXPECT_EQ(dialog.edPEL->text(), QString("50"));
    EXPECT_EQ(dialog.edTEL->text(), QString("10"));
    EXPECT_EQ(dialog.btnHelp->text(), QString("Помошь"));

    dialog.rgUnits->button(0)->click(); // "м"
    dialog.edPEL->setText("40");
    dialog.edTEL->setText("8");
    dialog.btnOk->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(c.DisplayUnits, 100);
    EXPECT_EQ(c.ProjectLinkTolerance, 40);
    EXPECT_EQ(c.TileLinkTolerance, 8);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SettingsDialog, CancelChangesNothingEvenAfterEditing) {
    TGlobalConfig c = defaults();
    TCfgFrm dialog(c);
    dialog.rgUnits->button(2)->click();
    dialog.edPEL->setText("1");
    dialog.edTEL->setText("99");
    dialog.btnCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(c.DisplayUnits, 100);
    EXPECT_EQ(c.ProjectLinkTolerance, 50);
    EXPECT_EQ(c.TileLinkTolerance, 10);
}

TEST(SettingsDialog, ToleranceBelowOneMillimetreIsRefusedNamingTheField) {
    const struct {
        const char* name;
        const char* pel;
        const char* tel;
        const char* mentions;
        int page;
    } cases[] = {
        {"site tolerance zero", "0", "10", "участка", 0},
        {"site tolerance empty", "", "10", "участка", 0},
        {"tile tolerance negative", "50", "-3", "плитки", 1},
    };
    for (const auto& c : cases) {
        vk::test::TScriptedUi ui;
        TGlobalConfig config = defaults();
        TCfgFrm dialog(config);
        dialog.show();
        dialog.edPEL->setText(c.pel);
        dialog.edTEL->setText(c.tel);
        dialog.btnOk->click();
        EXPECT_TRUE(dialog.isVisible()) << c.name << ": the dialog stays open";
        ASSERT_EQ(ui.messages.size(), 1u) << c.name;
        EXPECT_TRUE(ui.messages[0].text.contains(QString::fromUtf8(c.mentions))) << c.name;
        EXPECT_EQ(dialog.Pages->currentIndex(), c.page) << c.name;
        EXPECT_EQ(config.ProjectLinkTolerance, 50) << c.name;
        EXPECT_EQ(config.TileLinkTolerance, 10) << c.name;
        dialog.reject();
    }
}
