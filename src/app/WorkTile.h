#pragma once
// The placement dialog of the pattern editor: the working tile turned by the
// chosen orientation on a sheet of its own, the point of the tile that is
// placed, the point of the pattern where it goes, and the button that adds
// the placement to the pattern. Closing it only hides it.

#include "ui/HelpContext.h"

#include <QDialog>

class QPushButton;
class QToolButton;

namespace vk {

class TfrmCollageEditor;
class TPlanSheet;
class TTilePlacementEditor;

class TfrmWorkTile : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::AddTileToPattern;

    explicit TfrmWorkTile(TfrmCollageEditor& editor);
    ~TfrmWorkTile() override;

    TPlanSheet* TilePlanSheet = nullptr;
    TTilePlacementEditor* TilePlacement = nullptr;
    QPushButton* btAddTile = nullptr;
    QPushButton* btHelp = nullptr;
    QAction* acClearHandPoint = nullptr;
    QAction* acMinidisplay = nullptr;

    // "Добавить в узор".
    void AddPlacement();
    // A press on the tile's sheet, in world millimetres.
    void TileMouseDown(Qt::MouseButton button, float x, float y);
    // The orientation typed into the angle field.
    void OrientChanged();
    void TilePointChanged();
    void PatternPointChanged();
    void ClearHandPoint();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void paintTile(QPainter& graphics);
    void restoreView();

    TfrmCollageEditor& m_editor;
    bool m_firstShow = true;
    bool m_firstPaint = true;
};

} // namespace vk
