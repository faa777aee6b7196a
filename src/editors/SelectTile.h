#pragma once
// The pick list: the tiles of the library, or the patterns of one tile,
// ordered by name; it returns the identifier the user chose.

#include "geometry/ShapeDocument.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QSplitter;
class QPushButton;
class QTableWidget;
class QWidget;

namespace vk {

class TPlanSheet;
class TTile;

struct TPickRow {
    int ID = -1;
    QString Name;
};

class TfrmSelectTile : public QDialog {
    Q_OBJECT
public:
    static constexpr int LeftPanelWidth = 305;
    static constexpr int PreviewWidth = 420;

    // Loads the document `id` into the sheet with its stored view and keeps
    // it for drawing; tile is the pattern list's tile (or nullptr).
    using TPreviewCallback =
        std::function<std::unique_ptr<T_TnC_Ancestor>(int id, TPlanSheet& sheet, TTile* tile)>;

    TfrmSelectTile(QWidget* owner, std::vector<TPickRow> rows, TTile* tile, const QString& caption);
    ~TfrmSelectTile() override;

    TPreviewCallback PreviewCallback;
    // The chosen identifier; -1 until a row is confirmed.
    int PickResult = -1;

    // "OK" and a double click: an empty list says "Ничего не выбрано!".
    void Pick();
    void SetPreview(bool on);
    [[nodiscard]] int CurrentId() const;
    [[nodiscard]] const T_TnC_Ancestor* PreviewDocument() const { return m_preview.get(); }

    QTableWidget* dbgTiles = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
    QCheckBox* cbPreview = nullptr;
    TPlanSheet* SelPlanSheet = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCurrent();
    // Scales and centres the preview sheet on the whole drawing.
    void fitPreview();
    void centreOnOwner();

    std::vector<TPickRow> m_rows;
    TTile* m_tile;
    QWidget* m_left = nullptr;
    QSplitter* m_splitter = nullptr;
    std::unique_ptr<T_TnC_Ancestor> m_preview;
};

} // namespace vk
