#pragma once
// "Ведомость материалов": the tiles to buy per colour group as a table,
// with the waste and the pack size the user sets (remembered in the
// settings), copied, saved as CSV or printed.

#include "model/Materials.h"
#include "ui/HelpContext.h"

#include <QDialog>

#include <functional>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QStandardItemModel;
class QTableView;

namespace vk {

class TProject;

// The tile's name, thickness and area, as the window and its print show them.
[[nodiscard]] QString MaterialsTileLine(const TProject& project, const TMaterials& materials);
// The page "Печать" prints: the caption, the tile line, the inputs and the table.
[[nodiscard]] QString MaterialsHtml(const TMaterials& materials, const QString& tileLine);

class TfrmMaterials : public QDialog {
    Q_OBJECT
public:
    static constexpr THelpContext HelpContext = THelpContext::Materials;
    inline static const QString Caption = QStringLiteral("Ведомость материалов");
    // Where the inputs are kept in the program's settings.
    inline static const QString WasteKey = QStringLiteral("Materials/WastePercent");
    inline static const QString PackKey = QStringLiteral("Materials/Pack");

    explicit TfrmMaterials(const TProject& project, QWidget* parent = nullptr);

    [[nodiscard]] const TMaterials& Materials() const { return m_materials; }

    // The table as tab-separated text to the clipboard.
    void CopyTable();
    // Ctrl+C in the table: the selected cells as they are shown, rows by
    // line feeds, cells by tabs; the whole table when nothing is selected.
    void CopySelection();
    // "Сохранить CSV...": asks for the file (and before replacing one);
    // whether a file was written.
    bool SaveCsv();
    void Print();

    // What "Печать" hands its page to: the print preview unless replaced.
    std::function<void(QWidget* parent, const QString& title, const QString& html)> Printer;

    QLabel* lblTile = nullptr;
    QDoubleSpinBox* edWaste = nullptr;
    QSpinBox* edPack = nullptr;
    QTableView* Table = nullptr;
    QStandardItemModel* Model = nullptr;
    QSortFilterProxyModel* Sorted = nullptr;
    QPushButton* btnCopy = nullptr;
    QPushButton* btnSaveCsv = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void recompute();
    void fillTable();

    const TProject& m_project;
    TMaterials m_materials;
};

// Opens the window for the project, modally.
void ShowMaterials(const TProject& project, QWidget* parent);

} // namespace vk
