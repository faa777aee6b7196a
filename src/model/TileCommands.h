#pragma once
// The tile's own commands: its thickness ("Толщина плитки") and its comment
// ("Комментарий"). Both hold absolute values, before and after.

#include "commands/DocumentCommand.h"

#include <QString>

namespace vk {

class TTile;

class TThicknessCommand : public TDocumentCommand {
public:
    TThicknessCommand(TTile& tile, float before, float after);

protected:
    void apply() override;
    void revert() override;

private:
    TTile& m_tile;
    float m_before;
    float m_after;
};

// A comment confirmed unchanged is still a step: the user said "OK" to it,
// and the tile counts as modified until that step is undone.
class TTileCommentCommand : public TDocumentCommand {
public:
    TTileCommentCommand(TTile& tile, QString before, QString after);

protected:
    void apply() override;
    void revert() override;

private:
    TTile& m_tile;
    QString m_before;
    QString m_after;
};

} // namespace vk
