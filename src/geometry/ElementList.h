#pragma once
// An ordered, owning list of elements that belongs to one document. Solid
// elements (line style 0) form the outline; any other style marks a cut line,
// which paths and measurements leave out.

#include "geometry/GraphicPrimitive.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vk {

class T_TnC_Ancestor;
class TShapePath;

// Two ends join when both coordinate differences are strictly below Tol.
[[nodiscard]] bool EndsJoin(TPointF a, TPointF b, float tol);

class TElementList {
public:
    explicit TElementList(T_TnC_Ancestor* owner = nullptr);
    ~TElementList();
    TElementList(const TElementList&) = delete;
    TElementList& operator=(const TElementList&) = delete;

    [[nodiscard]] T_TnC_Ancestor* Owner() const { return m_owner; }
    [[nodiscard]] int Count() const { return int(m_items.size()); }
    [[nodiscard]] TGraphicPrimitive* Items(int index) const { return m_items[std::size_t(index)].get(); }
    [[nodiscard]] int IndexOf(const TGraphicPrimitive* element) const;
    // The element with that handle, or nullptr.
    [[nodiscard]] TGraphicPrimitive* Find(std::uint32_t handle) const;

    // Appends under a new handle; the owner is marked modified.
    int Add(std::unique_ptr<TGraphicPrimitive> element);
    // Puts an element back at `index` (clamped to the list) under the
    // handle it had before it was removed; the owner is marked modified.
    void Restore(int index, std::unique_ptr<TGraphicPrimitive> element, std::uint32_t handle);
    // Frees every element; the owner is not told.
    void Clear();
    // Removes the element if it is in the list and frees it in any case (an
    // element not in the list must be handed over as owned: see Take). When
    // the list becomes empty and clearBaseIfEmpty is set, the owner's base
    // point is cleared; the owner is marked modified.
    void DeleteElement(TGraphicPrimitive* element, bool clearBaseIfEmpty);
    // Takes an element out without freeing it (nullptr if not in the list).
    [[nodiscard]] std::unique_ptr<TGraphicPrimitive> Take(TGraphicPrimitive* element);
    // Copies every element of source (same kind, this list's owner).
    void CopyFrom(const TElementList& source, bool clearFirst);
    // One description per element, appended to `strings`; `objects` gets the
    // element of each line when given.
    void GetDescriptions(QStringList& strings, int unitDivisor,
                         std::vector<TGraphicPrimitive*>* objects = nullptr) const;

    void SortIntoChain(float tol);
    // Moves one chain of joined elements into path; true when elements remain.
    // `ends`, when given, gets the chain's first start and last end.
    bool ExtractContour(float tol, TShapePath& path, std::pair<TPointF, TPointF>* ends = nullptr);
    // Every closed outline contour of the document, cut lines left out. A
    // chain whose ends do not join is closed all the same; `openEnds`, when
    // given, gets the two ends of each such chain, in chain order.
    [[nodiscard]] static TShapePath BuildPath(float tol, T_TnC_Ancestor& document, bool sort,
                                              std::vector<std::pair<TPointF, TPointF>>* openEnds = nullptr);
    // Number of elements whose line style is one of `styles` (bits 0..7).
    [[nodiscard]] int CountOfStyles(std::uint8_t styles) const;
    // Cuts every segment and arc at its crossings with every other element,
    // pieces included, until no piece is cut in two any more; `tolerance` is
    // the tile join tolerance in whole millimetres.
    void SplitAtIntersections(int tolerance);
    void DeleteCutLines(bool clearBaseIfEmpty);

    // Outline measurements: square metres and metres.
    [[nodiscard]] static float Area(T_TnC_Ancestor& document, float tol);
    [[nodiscard]] static float Perimeter(const T_TnC_Ancestor& document);

    // One traced outline polygon (used by Area): false when no solid element
    // remains afterwards.
    bool TracePolygon(float tol, std::vector<TPointF>& points);

private:
    // The lowest index whose start joins `end`, or -1.
    [[nodiscard]] int findJoining(TPointF end, float tol) const;
    // Follows one chain from element 0, each time to the lowest index whose
    // start joins the end `take` returns, and deletes the elements taken.
    void consumeChain(float tol, const std::function<TPointF(TGraphicPrimitive&)>& take);

    T_TnC_Ancestor* m_owner;
    std::vector<std::unique_ptr<TGraphicPrimitive>> m_items;
    std::uint32_t m_lastHandle = 0;
};

// Intermediate points of an arc for area tracing: the smallest n >= 2 whose
// chord passes closer than 1 mm to the circle; nothing for other kinds.
void ArcPoints(const TGraphicPrimitive& element, std::vector<TPointF>& points);
// |sum (x_i + x_{i+1}) (y_i - y_{i+1})| / 2 over the closed polygon.
[[nodiscard]] double PolygonArea(const std::vector<TPointF>& points);

} // namespace vk
