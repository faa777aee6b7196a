#pragma once
// A window's commands as one table. Each row gives an action its name, caption,
// hint, keys and the rule that says when it may run; the window reaches its
// actions through handles typed by an enum of its own, and whatever knows an
// action only by its object name ("acFill") finds it by that name.

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

class QWidget;

namespace vk {

enum class TActionKind {
    Command,
    // Stays down while on (a tool, a panel shown).
    Check,
};

// The picture of an action, looked up by the action's name; a null icon
// leaves the action without one.
using TIconSource = std::function<QIcon(const QString& name)>;

template <typename Id, typename Rule>
struct TActionRow {
    Id id;
    // The object name; it also names the action's picture.
    const char* name;
    QString caption;
    // Tool tip and status text; empty: the caption.
    QString hint = {};
    // The first key is the one menus show.
    QList<QKeySequence> keys = {};
    Rule enabledWhen = {};
    TActionKind kind = TActionKind::Command;
};

// One action made from a row's texts.
[[nodiscard]] QAction* MakeAction(QObject* owner, const char* name, const QString& caption,
                                  const QString& hint, const QList<QKeySequence>& keys,
                                  TActionKind kind, const TIconSource& icons);

// Fills a menu or a tool bar in order; nullptr stands for a separator. A
// submenu goes in as its menuAction().
void AddItems(QWidget* target, std::initializer_list<QAction*> items);

// Runs `update` whenever the application is about to wait for events, for as
// long as `context` lives.
void RunWhenIdle(QObject* context, std::function<void()> update);

template <typename Id, typename Rule>
class TActionSet {
public:
    using TRow = TActionRow<Id, Rule>;
    using TRuleCheck = std::function<bool(Rule)>;

    explicit TActionSet(TRuleCheck isEnabled) : m_isEnabled(std::move(isEnabled)) {}

    // One action per row, owned by `owner`, appended in table order. Each id
    // and each name may be given once.
    void Add(QObject* owner, std::span<const TRow> rows, const TIconSource& icons = {}) {
        for (const TRow& row : rows) {
            const auto index = static_cast<std::size_t>(row.id);
            if (index >= m_byId.size()) {
                m_byId.resize(index + 1, nullptr);
            }
            Q_ASSERT_X(m_byId[index] == nullptr, "TActionSet::Add", row.name);
            Q_ASSERT_X(Find(QLatin1String(row.name)) == nullptr, "TActionSet::Add", row.name);
            QAction* action = MakeAction(owner, row.name, row.caption, row.hint, row.keys, row.kind, icons);
            m_byId[index] = action;
            m_all.append(action);
            m_rules.push_back(row.enabledWhen);
        }
    }

    [[nodiscard]] QAction* operator[](Id id) const {
        const auto index = static_cast<std::size_t>(id);
        Q_ASSERT(index < m_byId.size() && m_byId[index] != nullptr);
        return m_byId[index];
    }

    // The action with this object name; nullptr when the table has none.
    [[nodiscard]] QAction* Find(const QString& name) const {
        for (QAction* action : m_all) {
            if (action->objectName() == name) {
                return action;
            }
        }
        return nullptr;
    }

    // Every action, in table order.
    [[nodiscard]] const QList<QAction*>& All() const { return m_all; }

    // Every action enabled exactly when its rule holds.
    void Update() const {
        for (qsizetype i = 0; i < m_all.size(); ++i) {
            const bool enabled = m_isEnabled(m_rules[std::size_t(i)]);
            if (m_all[i]->isEnabled() != enabled) {
                m_all[i]->setEnabled(enabled);
            }
        }
    }

private:
    TRuleCheck m_isEnabled;
    std::vector<QAction*> m_byId;
    QList<QAction*> m_all;
    std::vector<Rule> m_rules;
};

} // namespace vk
