#include "model/TileCommands.h"

#include "model/Tile.h"

namespace vk {

TThicknessCommand::TThicknessCommand(TTile& tile, float before, float after)
    : TDocumentCommand(tile, QStringLiteral("Толщина плитки")), m_tile(tile), m_before(before), m_after(after) {}

void TThicknessCommand::apply() { m_tile.SetThickness(m_after); }

void TThicknessCommand::revert() { m_tile.SetThickness(m_before); }

TTileCommentCommand::TTileCommentCommand(TTile& tile, QString before, QString after)
    : TDocumentCommand(tile, QStringLiteral("Комментарий")), m_tile(tile), m_before(std::move(before)),
      m_after(std::move(after)) {}

void TTileCommentCommand::apply() { m_tile.Comment = m_after; }

void TTileCommentCommand::revert() { m_tile.Comment = m_before; }

} // namespace vk
