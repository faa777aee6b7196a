#pragma once
// "Размеры и оси кординат": the sheet's size and the place of its axes, in
// world millimetres.

#include <QDialog>

class QLineEdit;

namespace vk {

class TSizeDialog : public QDialog {
    Q_OBJECT
public:
    explicit TSizeDialog(QWidget* parent = nullptr);

    struct Values {
        float sizeX = 0, sizeY = 0, positiveX = 0, positiveY = 0;
    };
    void SetValues(float sizeX, float sizeY, float positiveX, float positiveY);
    [[nodiscard]] Values GetValues() const;

    // Checks the fields; on a fault says which and keeps the dialog open.
    void accept() override;

    QLineEdit* edSizeX = nullptr;
    QLineEdit* edSizeY = nullptr;
    QLineEdit* edPositiveX = nullptr;
    QLineEdit* edPositiveY = nullptr;
};

} // namespace vk
