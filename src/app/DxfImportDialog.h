#pragma once
// Importing a DXF drawing: the file asked for, its layers, unit and size
// shown in a small dialog, the chosen elements put into a document (the
// project's border, a tile's outline) as one step of its history.

#include "exchange/DxfReader.h"

#include <QDialog>
#include <optional>

class QButtonGroup;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace vk {

class T_TnC_Ancestor;

struct TDxfChoice {
    QStringList Layers;
    TDxfUnit Unit = TDxfUnit::Millimetre;
    bool Replace = true;
};

class TfrmDxfImport : public QDialog {
    Q_OBJECT
public:
    // `withMode` offers "Заменить участок" / "Добавить к участку".
    TfrmDxfImport(const TDxfDrawing& drawing, bool withMode, QWidget* parent = nullptr);

    [[nodiscard]] TDxfChoice Choice() const;
    // "12,50 x 8,00 м" for the ticked layers in the chosen unit.
    [[nodiscard]] QString SizeText() const;

    QListWidget* Layers = nullptr;
    QComboBox* Units = nullptr;
    QLabel* Size = nullptr;
    QLabel* Skipped = nullptr;
    QRadioButton* Replace = nullptr;
    QRadioButton* Add = nullptr;
    QDialogButtonBox* Buttons = nullptr;

private:
    void update();
    const TDxfDrawing& m_drawing;
};

// The whole round: asks for a file (`caption` on the file dialog), reads it
// and shows the dialog. A file that cannot be used is told in a message;
// nothing when the user cancels or the file is refused.
[[nodiscard]] std::optional<std::pair<TDxfDrawing, TDxfChoice>> AskDxfImport(QWidget* parent, bool withMode,
                                                                            const QString& caption);

// The chosen elements into the document's element list as one step named
// `text`, replacing what was there when the choice says so. The number of
// elements added.
int ApplyDxfImport(T_TnC_Ancestor& document, const TDxfDrawing& drawing, const TDxfChoice& choice,
                   const QString& text);

} // namespace vk
