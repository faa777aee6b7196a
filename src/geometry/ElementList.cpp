#include "geometry/ElementList.h"

#include "geometry/ShapeDocument.h"
#include "geometry/ShapePath.h"
#include "geometry/VectorMath.h"

#include <algorithm>
#include <cmath>

namespace vk {

bool EndsJoin(TPointF a, TPointF b, float tol) {
    return std::fabs(a.X - b.X) < tol && std::fabs(a.Y - b.Y) < tol;
}

TElementList::TElementList(T_TnC_Ancestor* owner) : m_owner(owner) {}

TElementList::~TElementList() { Clear(); }

int TElementList::IndexOf(const TGraphicPrimitive* element) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == element) {
            return int(i);
        }
    }
    return -1;
}

int TElementList::Add(std::unique_ptr<TGraphicPrimitive> element) {
    m_items.push_back(std::move(element));
    if (m_owner != nullptr) {
        m_owner->SetModified(true);
    }
    return Count() - 1;
}

void TElementList::Clear() {
    if (m_items.empty()) {
        return;
    }
    // Freed in index order; the owner's current element goes with them.
    if (m_owner != nullptr && m_owner->Current() != nullptr && IndexOf(m_owner->Current()) >= 0) {
        m_owner->SetCurrent(nullptr);
    }
    for (auto& item : m_items) {
        item.reset();
    }
    m_items.clear();
}

std::unique_ptr<TGraphicPrimitive> TElementList::Take(TGraphicPrimitive* element) {
    const int index = IndexOf(element);
    if (index < 0) {
        return nullptr;
    }
    if (m_owner != nullptr && m_owner->Current() == element) {
        m_owner->SetCurrent(nullptr);
    }
    std::unique_ptr<TGraphicPrimitive> taken = std::move(m_items[std::size_t(index)]);
    m_items.erase(m_items.begin() + index);
    return taken;
}

void TElementList::DeleteElement(TGraphicPrimitive* element, bool clearBaseIfEmpty) {
    // An element of this list is freed here; one that is not in it belongs to
    // someone else and is left alone.
    std::unique_ptr<TGraphicPrimitive> removed = Take(element);
    removed.reset();
    if (m_owner != nullptr) {
        if (m_items.empty() && clearBaseIfEmpty) {
            m_owner->ClearBasePoint();
        }
        m_owner->SetModified(true);
    }
}

void TElementList::CopyFrom(const TElementList& source, bool clearFirst) {
    if (clearFirst) {
        Clear();
    }
    for (int i = 0; i < source.Count(); ++i) {
        if (std::unique_ptr<TGraphicPrimitive> copy = source.Items(i)->Clone(m_owner)) {
            Add(std::move(copy));
        }
    }
}

void TElementList::GetDescriptions(QStringList& strings, int unitDivisor,
                                   std::vector<TGraphicPrimitive*>* objects) const {
    for (const auto& item : m_items) {
        strings.append(item->GetDescription(unitDivisor));
        if (objects != nullptr) {
            objects->push_back(item.get());
        }
    }
}

void TElementList::SortIntoChain(float tol) {
    const int count = Count();
    for (int i = 0; i <= count - 2; ++i) {
        if (Items(i)->LineStyle != 0) {
            continue;
        }
        const TPointF e = Items(i)->GetEndPoint();
        int p = i + 1;
        while (Items(p)->LineStyle != 0 && p <= count - 2) {
            ++p;
        }
        for (int q = p; q <= count - 1; ++q) {
            TGraphicPrimitive* candidate = Items(q);
            if (EndsJoin(candidate->GetStartPoint(), e, tol)) {
                if (q > p) std::swap(m_items[std::size_t(q)], m_items[std::size_t(p)]);
                break;
            }
            if (EndsJoin(candidate->GetEndPoint(), e, tol)) {
                candidate->Reverse();
                if (q > p) std::swap(m_items[std::size_t(q)], m_items[std::size_t(p)]);
                break;
            }
        }
    }
}

int TElementList::findJoining(TPointF end, float tol) const {
    for (int i = 0; i < Count(); ++i) {
        if (EndsJoin(Items(i)->GetStartPoint(), end, tol)) {
            return i;
        }
    }
    return -1;
}

bool TElementList::ExtractContour(float tol, TShapePath& path) {
    if (m_items.empty()) {
        return false;
    }
    TGraphicPrimitive* first = Items(0);
    first->AddToPath(path);
    TPointF e = first->GetEndPoint();
    DeleteElement(first, false);
    for (int found = findJoining(e, tol); found >= 0; found = findJoining(e, tol)) {
        TGraphicPrimitive* next = Items(found);
        next->AddToPath(path);
        e = next->GetEndPoint();
        DeleteElement(next, false);
    }
    return !m_items.empty();
}

TShapePath TElementList::BuildPath(float tol, T_TnC_Ancestor& document, bool sort) {
    TShapePath result;
    TElementList work(&document);
    work.CopyFrom(document.Elements(), true);
    work.DeleteCutLines(false);
    if (sort) {
        work.SortIntoChain(tol);
    }
    bool more = true;
    while (more) {
        TShapePath contour;
        more = work.ExtractContour(tol, contour);
        result.StartFigure();
        result.AddPath(contour, false);
        result.CloseFigure();
    }
    return result;
}

int TElementList::CountOfStyles(std::uint8_t styles) const {
    return int(std::count_if(m_items.begin(), m_items.end(), [styles](const auto& item) {
        return item->LineStyle >= 0 && item->LineStyle <= 7 &&
               (styles & (1u << unsigned(item->LineStyle))) != 0;
    }));
}

void TElementList::SplitAtIntersections(int tolerance) {
    const auto segmentOf = [](const TGraphicPrimitive* e) {
        return TSegmentGeom{e->GetStartPoint(), e->GetEndPoint()};
    };
    const auto arcOf = [](const TGraphicPrimitive* e) {
        return static_cast<const TArcPrimitive*>(e)->Geom();
    };
    for (int i = Count() - 1; i >= 0; --i) {
        if (i >= Count()) {
            continue;
        }
        TGraphicPrimitive* a = Items(i);
        for (int j = Count() - 1; j >= 0; --j) {
            TGraphicPrimitive* b = Items(j);
            if (a == b) {
                continue;
            }
            std::vector<IntersectionPoint> records;
            const std::int32_t ka = a->GetKind();
            const std::int32_t kb = b->GetKind();
            if (ka == pkSegment && kb == pkSegment) {
                records = CrossSegments(tolerance, segmentOf(a), segmentOf(b));
            } else if (ka == pkSegment && kb == pkArc) {
                records = CrossSegmentArc(tolerance, segmentOf(a), arcOf(b));
            } else if (ka == pkArc && kb == pkSegment) {
                records = CrossArcSegment(tolerance, arcOf(a), segmentOf(b));
            } else if (ka == pkArc && kb == pkArc) {
                records = CrossArcs(tolerance, arcOf(a), arcOf(b));
            }
            if (records.empty()) {
                continue;
            }
            std::vector<std::unique_ptr<TGraphicPrimitive>> pieces = b->SplitAt(records, tolerance);
            if (pieces.empty()) {
                continue;
            }
            DeleteElement(b, true);
            for (auto& piece : pieces) {
                Add(std::move(piece));
            }
        }
    }
}

void TElementList::DeleteCutLines(bool clearBaseIfEmpty) {
    for (int i = Count() - 1; i >= 0; --i) {
        if (Items(i)->LineStyle != 0) {
            DeleteElement(Items(i), clearBaseIfEmpty);
        }
    }
}

void ArcPoints(const TGraphicPrimitive& element, std::vector<TPointF>& points) {
    if (element.GetKind() != pkArc) {
        return;
    }
    const auto& arc = static_cast<const TArcPrimitive&>(element);
    const TPointF c = arc.GetCentre();
    const TPointF s = arc.GetStartPoint();
    const float r = arc.Radius();
    const float a0 = AngleOf(c, s);
    const float w = arc.Sweep();
    if (w == 0.0f || !(r > 0.0f)) {
        return;
    }
    // The chord test can never pass for a degenerate circle; bound the search.
    int n = 2;
    for (; n < 100000; ++n) {
        const TPointF p = PolarPoint(c, r, NormalizeAngle(a0 + w / float(n)));
        const float d = DistanceToSegment(c, s, p);
        if (d >= 0.0f && r - d < 1.0f) {
            break;
        }
    }
    for (int k = 1; k <= n - 1; ++k) {
        points.push_back(PolarPoint(c, r, NormalizeAngle(a0 + float(k) * w / float(n))));
    }
}

double PolygonArea(const std::vector<TPointF>& pts) {
    const std::size_t n = pts.size();
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const TPointF& a = pts[i];
        const TPointF& b = pts[(i + 1) % n];
        sum += (double(a.X) + b.X) * (double(a.Y) - b.Y);
    }
    return std::fabs(sum) / 2.0;
}

bool TElementList::TracePolygon(float tol, std::vector<TPointF>& points) {
    if (m_items.empty()) {
        return false;
    }
    const auto take = [&](TGraphicPrimitive* e) {
        points.push_back(e->GetStartPoint());
        ArcPoints(*e, points);
        points.push_back(e->GetEndPoint());
        const TPointF end = e->GetEndPoint();
        DeleteElement(e, false);
        return end;
    };
    TPointF e = take(Items(0));
    for (int found = findJoining(e, tol); found >= 0; found = findJoining(e, tol)) {
        e = take(Items(found));
    }
    return CountOfStyles(1u << 0) > 0;
}

float TElementList::Area(T_TnC_Ancestor& document, float tol) {
    const bool wasModified = document.Modified;
    std::vector<double> areas;
    {
        TElementList work(&document);
        work.CopyFrom(document.Elements(), true);
        work.DeleteCutLines(false);
        work.SortIntoChain(tol);
        bool more = true;
        while (more) {
            std::vector<TPointF> pts;
            more = work.TracePolygon(tol, pts);
            if (pts.size() > 2) {
                areas.push_back(PolygonArea(pts));
            }
        }
    }
    document.SetModified(wasModified);
    if (areas.empty()) {
        return 0.0f;
    }
    const auto largest = std::max_element(areas.begin(), areas.end());
    double total = *largest;
    for (auto it = areas.begin(); it != areas.end(); ++it) {
        if (it != largest) {
            total -= *it;
        }
    }
    return float(total / 1000000.0);
}

float TElementList::Perimeter(const T_TnC_Ancestor& document) {
    double total = 0.0;
    const TElementList& list = document.Elements();
    for (int i = 0; i < list.Count(); ++i) {
        const TGraphicPrimitive* e = list.Items(i);
        if (e->LineStyle != 0) {
            continue;
        }
        if (e->GetKind() == pkSegment) {
            total += Distance(e->GetStartPoint(), e->GetEndPoint());
        } else if (e->GetKind() == pkArc) {
            const auto* arc = static_cast<const TArcPrimitive*>(e);
            total += ArcLength(arc->Radius(), arc->Sweep());
        }
    }
    return float(total / 1000.0);
}

} // namespace vk
