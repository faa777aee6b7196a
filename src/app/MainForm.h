#pragma once
// The program's main window: the site project on its sheet, with every
// project command in the menu bar and the tool bar.

#include <QMainWindow>
#include <functional>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;

namespace vk {

class TPlanSheet;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int HelpContext = 6;

    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // When a command may run; evaluated whenever the application goes idle.
    enum class TEnable {
        Always,
        Never,
        Project,
        ProjectWithBorder,
        ProjectWithLaidTiles,
        ProjectWithMarkedTiles,
        ProjectWithLaidAndMarkedTiles,
        ProjectWithTexture,
    };
    [[nodiscard]] bool IsEnabled(TEnable rule) const;
    void UpdateActions();

    // The action whose object name is `name` (acFill, acScaleUp, ...).
    [[nodiscard]] QAction* Action(const QString& name) const;
    [[nodiscard]] QList<QAction*> Actions() const;

    [[nodiscard]] bool HasProject() const { return false; }
    [[nodiscard]] const QString& BaseCaption() const { return m_baseCaption; }
    [[nodiscard]] const QString& HelpFile() const { return m_helpFile; }

    TPlanSheet* ProjectPlanSheet = nullptr;
    QToolBar* ToolBar = nullptr;
    QMenu* mnuProjects = nullptr;
    QMenu* mnuSite = nullptr;
    QMenu* mnuStartPoint = nullptr;
    QMenu* mnuHelp = nullptr;

    // "Параметры": the settings dialog, then the sheet's units if they changed.
    void acParamsExecute();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QAction* makeAction(const char* name, const QString& caption, const QString& hint,
                        TEnable rule, bool checkable = false);
    void buildActions();
    void buildMenus();
    void buildToolBar();

    struct Rule {
        QAction* action;
        TEnable rule;
    };
    std::vector<Rule> m_rules;
    QActionGroup* m_drawGroup = nullptr;
    QString m_baseCaption;
    QString m_helpFile;
    bool m_centredOnce = false;
};

} // namespace vk
