#pragma once
// The commands of the halves mode, steps of the part list's one history:
// parts and halves added, renamed and deleted, a part's interchangeability,
// and the cut lines of a part. They know parts, halves and cut lines by
// their handles in their lists, never by pointer: what is deleted and put
// back by an undo comes back under its old handle, and every command made
// before still finds it.
//
// A step shows where it happened: done or undone, the part it touched
// becomes the list's current part.

#include "geometry/Types.h"

#include <QString>
#include <QUndoCommand>
#include <cstdint>
#include <memory>
#include <vector>

namespace vk {

class TContourAncestor;
class TGraphicPrimitive;
class TPart;
class TPartList;

// Ids under which consecutive commands of a kind merge into one step.
enum TPartCommandId : int {
    ciCutLineDrag = 101,
};

class TPartListCommand : public QUndoCommand {
public:
    TPartListCommand(TPartList& parts, const QString& text) : QUndoCommand(text), m_parts(parts) {}

protected:
    [[nodiscard]] TPartList& parts() const { return m_parts; }
    // The part of that handle made current; nullptr when it is not listed.
    TPart* showPart(std::uint32_t handle) const;

private:
    TPartList& m_parts;
};

// "Добавить": a new part named `name`, without halves, made current.
class TAddPartCommand : public TPartListCommand {
public:
    TAddPartCommand(TPartList& parts, QString name);
    ~TAddPartCommand() override;
    void redo() override;
    void undo() override;
    [[nodiscard]] std::uint32_t Handle() const { return m_handle; }

private:
    QString m_name;
    std::unique_ptr<TPart> m_part;
    std::uint32_t m_handle = 0;
    int m_index = 0;
    int m_currentBefore = -1;
};

// "Удалить" of a part: the last part left becomes current.
class TDeletePartCommand : public TPartListCommand {
public:
    TDeletePartCommand(TPartList& parts, std::uint32_t handle);
    ~TDeletePartCommand() override;
    void redo() override;
    void undo() override;

private:
    std::uint32_t m_handle;
    std::unique_ptr<TPart> m_part;
    int m_index = 0;
    int m_currentBefore = -1;
};

// "Редактировать" of a part: its name.
class TRenamePartCommand : public TPartListCommand {
public:
    TRenamePartCommand(TPartList& parts, std::uint32_t handle, QString before, QString after);
    void redo() override;
    void undo() override;

private:
    void set(const QString& name);
    std::uint32_t m_handle;
    QString m_before;
    QString m_after;
};

// "Взаимозаменяемые".
class TPartEqualsCommand : public TPartListCommand {
public:
    TPartEqualsCommand(TPartList& parts, std::uint32_t handle, bool after);
    void redo() override;
    void undo() override;

private:
    void set(bool value);
    std::uint32_t m_handle;
    bool m_after;
};

// "Очертить половинку": a new half of the pieces inside the rectangle of
// the two corners (world). The half is made once; undone and redone, the
// same half comes back.
class TAddContourCommand : public TPartListCommand {
public:
    TAddContourCommand(TPartList& parts, std::uint32_t part, TPointF corner1, TPointF corner2);
    ~TAddContourCommand() override;
    void redo() override;
    void undo() override;

private:
    std::uint32_t m_part;
    TPointF m_corner1;
    TPointF m_corner2;
    std::unique_ptr<TContourAncestor> m_half;
    std::uint32_t m_handle = 0;
    int m_index = 0;
};

// "Редактировать" of a half: its name.
class TRenameContourCommand : public TPartListCommand {
public:
    TRenameContourCommand(TPartList& parts, std::uint32_t part, std::uint32_t half, QString before, QString after);
    void redo() override;
    void undo() override;

private:
    void set(const QString& name);
    std::uint32_t m_part;
    std::uint32_t m_half;
    QString m_before;
    QString m_after;
};

// "Удалить" of a half: the last half left becomes the part's current one.
class TDeleteContourCommand : public TPartListCommand {
public:
    TDeleteContourCommand(TPartList& parts, std::uint32_t part, std::uint32_t half);
    ~TDeleteContourCommand() override;
    void redo() override;
    void undo() override;

private:
    std::uint32_t m_part;
    std::uint32_t m_half;
    std::unique_ptr<TContourAncestor> m_taken;
    int m_index = 0;
    int m_currentBefore = -1;
};

// A cut line drawn into a part.
class TAddCutLineCommand : public TPartListCommand {
public:
    TAddCutLineCommand(TPartList& parts, std::uint32_t part, std::unique_ptr<TGraphicPrimitive> element);
    ~TAddCutLineCommand() override;
    void redo() override;
    void undo() override;

private:
    std::uint32_t m_part;
    std::unique_ptr<TGraphicPrimitive> m_element;
    std::uint32_t m_handle = 0;
    int m_index = 0;
};

// Cut lines of a part removed ("Удалить" of the marked line, the element
// list); undone, they come back in their places.
class TDeleteCutLinesCommand : public TPartListCommand {
public:
    TDeleteCutLinesCommand(TPartList& parts, std::uint32_t part, std::vector<std::uint32_t> handles);
    ~TDeleteCutLinesCommand() override;
    void redo() override;
    void undo() override;

private:
    struct TRemoved {
        std::uint32_t Handle = 0;
        int Index = 0;
        std::unique_ptr<TGraphicPrimitive> Element;
    };
    std::uint32_t m_part;
    std::vector<std::uint32_t> m_handles;
    std::vector<TRemoved> m_removed;
};

// A cut line changed in place: dragged (id ciCutLineDrag: consecutive drags
// of one line are one step) or edited.
class TChangeCutLineCommand : public TPartListCommand {
public:
    TChangeCutLineCommand(TPartList& parts, std::uint32_t part, std::uint32_t handle,
                          std::unique_ptr<TGraphicPrimitive> before, std::unique_ptr<TGraphicPrimitive> after,
                          const QString& text, int id = -1);
    ~TChangeCutLineCommand() override;
    void redo() override;
    void undo() override;
    [[nodiscard]] int id() const override { return m_id; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void set(const TGraphicPrimitive& state);
    std::uint32_t m_part;
    std::uint32_t m_handle;
    std::unique_ptr<TGraphicPrimitive> m_before;
    std::unique_ptr<TGraphicPrimitive> m_after;
    int m_id;
};

// The cut lines of a part as they are: their handles, copies and the part's
// base point.
struct TCutLinesState {
    struct TLine {
        std::uint32_t Handle = 0;
        std::unique_ptr<TGraphicPrimitive> Copy;
    };
    std::vector<TLine> Lines;
    FlaggedPoint Base;
};
[[nodiscard]] TCutLinesState CutLinesOf(TPart& part);
[[nodiscard]] bool SameCutLines(const TCutLinesState& a, const TCutLinesState& b);

// The cut lines changed by a window that works on the part itself (the
// element list): one step from the state before to the state after. Pushed
// once the change is made, so its first redo leaves the part as it is.
class TSetCutLinesCommand : public TPartListCommand {
public:
    TSetCutLinesCommand(TPartList& parts, std::uint32_t part, TCutLinesState before, TCutLinesState after,
                        const QString& text);
    ~TSetCutLinesCommand() override;
    void redo() override;
    void undo() override;

private:
    void set(const TCutLinesState& state);
    std::uint32_t m_part;
    TCutLinesState m_before;
    TCutLinesState m_after;
    bool m_done = true;
};

} // namespace vk
