#pragma once
// Small documents for the library tests: elements added by their points,
// and the stored records of an element list for byte-for-byte comparison.

#include "geometry/ElementRecords.h"
#include "geometry/GraphicPrimitive.h"
#include "geometry/ShapeDocument.h"
#include "model/Collage.h"

#include <QLineF>
#include <memory>
#include <vector>

namespace vk::test {

inline TGraphicPrimitive* AddLine(T_TnC_Ancestor& doc, TPointF a, TPointF b, int style = 0) {
    auto line = std::make_unique<TLinePrimitive>(&doc);
    line->SetStart({a.X, a.Y, 1});
    line->SetFinish({b.X, b.Y, 1});
    line->LineStyle = style;
    TGraphicPrimitive* added = line.get();
    doc.Elements().Add(std::move(line));
    return added;
}

// An arc about `centre` from `start`, turning `sweep` degrees (positive
// towards +Y).
inline TGraphicPrimitive* AddArc(T_TnC_Ancestor& doc, TPointF centre, TPointF start, float sweep) {
    auto arc = std::make_unique<TArcPrimitive>(&doc);
    arc->SetCentre({centre.X, centre.Y, 1});
    arc->SetStart({start.X, start.Y, 1});
    arc->SetSweep(sweep);
    arc->SetRadius(float(QLineF(centre.X, centre.Y, start.X, start.Y).length()));
    TGraphicPrimitive* added = arc.get();
    doc.Elements().Add(std::move(arc));
    return added;
}

inline TTilePlacementPrimitive* AddPlacement(TCollage& pattern, TPointF tilePoint, TPointF patternPoint,
                                             float rotation, std::uint8_t rotationFlag = 0) {
    auto placement = std::make_unique<TTilePlacementPrimitive>(&pattern);
    placement->SetTilePoint({tilePoint.X, tilePoint.Y, 1});
    placement->SetPatternPoint({patternPoint.X, patternPoint.Y, 1});
    placement->SetRotation(rotation);
    placement->SetRotationFlag(rotationFlag);
    TTilePlacementPrimitive* added = placement.get();
    pattern.Elements().Add(std::move(placement));
    return added;
}

inline void AddHandPoint(TCollage& pattern, TPointF h) {
    auto point = std::make_unique<TPointPrimitive>(&pattern);
    point->SetPoint({h.X, h.Y, 1});
    pattern.HandPoints().Add(std::move(point));
}

// Every element as it would be stored: kind, version, line style and block.
inline std::vector<PrimitiveRecord> Records(const TElementList& list) {
    std::vector<PrimitiveRecord> records;
    for (int i = 0; i < list.Count(); ++i) {
        records.push_back(RecordOf(*list.Items(i)));
    }
    return records;
}

} // namespace vk::test
