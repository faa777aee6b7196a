#pragma once
// A drawing sheet without a window: a picture to draw feedback on and a
// record of the element information shown.

#include "ui/DrawingSheet.h"
#include "ui/SheetPalette.h"

#include <QImage>
#include <QPainter>
#include <memory>

namespace vk::test {

class TFakeSheet final : public TDrawingSheet {
public:
    explicit TFakeSheet(int unitDivisor = 1, float pickTolerance = 2.0f)
        : m_divisor(unitDivisor), m_pick(pickTolerance), m_image(200, 200, QImage::Format_ARGB32) {}
    ~TFakeSheet() override { endFeedback(); }

    [[nodiscard]] float PickTolerance() const override { return m_pick; }
    [[nodiscard]] int UnitDivisor() const override { return m_divisor; }
    [[nodiscard]] QString GetUnitName() const override { return m_divisor == 1000 ? "м" : "мм"; }
    [[nodiscard]] const TSheetPalette& Palette() const override { return palette(); }
    void SetElementInfo(const QString& text) override { info = text; }
    void ClearElementInfo() override { info.clear(); }
    void ShowViewImage() override {
        endFeedback();
        ++restores;
    }
    [[nodiscard]] QPainter* ViewGraphics() override {
        if (!m_feedback) {
            m_feedback = std::make_unique<QPainter>(&m_image);
        }
        return m_feedback.get();
    }
    void InvalidateView() override { ++invalidations; }
    [[nodiscard]] QSizeF ViewSizeMillimetres() const override { return viewMm; }
    void SetView(const ViewRecord& v) override { view = v; }

    QString info;
    int restores = 0;
    int invalidations = 0;
    QSizeF viewMm{200.0, 100.0};
    ViewRecord view;

private:
    static const TSheetPalette& palette() {
        static const TSheetPalette p;
        return p;
    }
    void endFeedback() { m_feedback.reset(); }

    int m_divisor;
    float m_pick;
    QImage m_image;
    std::unique_ptr<QPainter> m_feedback;
};

} // namespace vk::test
