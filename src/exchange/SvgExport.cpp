#include "exchange/SvgExport.h"

#include "exchange/ExportShapes.h"
#include "geometry/Tolerance.h"
#include "model/Project.h"

#include <QColor>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace vk {

namespace {

QString number(double value) {
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0'))) {
        text.chop(1);
    }
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// SVG's y runs down: every y is negated, which turns a counter-clockwise
// arc of the world into one of SVG's negative-angle direction.
QString point(TPointF p) { return number(p.X) + QLatin1Char(' ') + number(-double(p.Y)); }

void appendArc(QString& d, const TPathPiece& arc) {
    // A whole turn has no distinct end: it goes as two halves.
    const double sweep = std::clamp(double(arc.Sweep), -360.0, 360.0);
    const int parts = std::fabs(sweep) > 359.999 ? 2 : 1;
    const QString radius = number(arc.Radius);
    for (int i = 1; i <= parts; ++i) {
        const double angle = (arc.StartAngle + sweep * i / parts) * M_PI / 180.0;
        const TPointF end = i == parts ? arc.B
                                       : TPointF{float(arc.Centre.X + arc.Radius * std::cos(angle)),
                                                 float(arc.Centre.Y + arc.Radius * std::sin(angle))};
        const bool large = std::fabs(sweep / parts) > 180.0;
        d += QStringLiteral(" A %1 %1 0 %2 %3 %4")
                 .arg(radius, large ? QStringLiteral("1") : QStringLiteral("0"),
                      sweep > 0 ? QStringLiteral("0") : QStringLiteral("1"), point(end));
    }
}

// Pieces meet where the path's arithmetic put them, a few micrometres apart.
bool samePoint(TPointF a, TPointF b) {
    return nearlyEqual(a.X, b.X, 1e-3) && nearlyEqual(a.Y, b.Y, 1e-3);
}

// One closed figure; a gap the border was joined across is drawn straight.
QString figureData(const TShapePath::Figure& figure) {
    QString d = QStringLiteral("M ") + point(figure.front().A);
    TPointF at = figure.front().A;
    for (const TPathPiece& piece : figure) {
        if (!samePoint(piece.A, at)) {
            d += QStringLiteral(" L ") + point(piece.A);
        }
        if (piece.kind == TPathPiece::Kind::Arc) {
            appendArc(d, piece);
        } else {
            d += QStringLiteral(" L ") + point(piece.B);
        }
        at = piece.B;
    }
    return d + QStringLiteral(" Z");
}

QString pathData(const TShapePath& path) {
    QStringList figures;
    for (const TShapePath::Figure& figure : path.Figures()) {
        if (!figure.empty()) {
            figures << figureData(figure);
        }
    }
    return figures.join(QLatin1Char(' '));
}

QRectF drawingBounds(const TExportDrawing& drawing) {
    QRectF bounds = drawing.Border.Bounds();
    for (const TExportGroup& group : drawing.Groups) {
        for (const TExportTile& tile : group.Tiles) {
            bounds = bounds.isEmpty() ? tile.Shape.Bounds() : bounds.united(tile.Shape.Bounds());
        }
    }
    return bounds;
}

} // namespace

QByteArray SvgDocument(const TExportDrawing& drawing, const QString& title) {
    QRectF bounds = drawingBounds(drawing);
    if (bounds.isEmpty()) {
        bounds = QRectF(0, 0, 1, 1);
    }
    // A margin of a hundredth of the plan keeps the border's stroke inside.
    const double margin = std::max(bounds.width(), bounds.height()) / 100.0;
    bounds.adjust(-margin, -margin, margin, margin);
    const double stroke = std::max(bounds.width(), bounds.height()) / 2000.0;

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("svg"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("width"), number(bounds.width()) + QStringLiteral("mm"));
    xml.writeAttribute(QStringLiteral("height"), number(bounds.height()) + QStringLiteral("mm"));
    xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("%1 %2 %3 %4")
                                                      .arg(number(bounds.left()), number(-bounds.bottom()),
                                                           number(bounds.width()), number(bounds.height())));
    xml.writeTextElement(QStringLiteral("title"), title);

    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("tiles"));
    xml.writeAttribute(QStringLiteral("stroke"), QStringLiteral("#000000"));
    xml.writeAttribute(QStringLiteral("stroke-width"), number(stroke));
    for (std::size_t g = 0; g < drawing.Groups.size(); ++g) {
        const TExportGroup& group = drawing.Groups[g];
        const QColor colour = QColor::fromRgba(group.Color);
        xml.writeStartElement(QStringLiteral("g"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("colour-%1").arg(g + 1));
        xml.writeAttribute(QStringLiteral("class"), QStringLiteral("colour-group"));
        xml.writeAttribute(QStringLiteral("fill"), colour.name(QColor::HexRgb));
        if (colour.alpha() != 255) {
            xml.writeAttribute(QStringLiteral("fill-opacity"), number(colour.alphaF()));
        }
        for (const TExportTile& tile : group.Tiles) {
            xml.writeEmptyElement(QStringLiteral("path"));
            if (tile.Kind != TExportTile::TKind::Whole) {
                xml.writeAttribute(QStringLiteral("class"), tile.Kind == TExportTile::TKind::Cut
                                                                ? QStringLiteral("cut")
                                                                : QStringLiteral("cut-no-half"));
            }
            xml.writeAttribute(QStringLiteral("d"), pathData(tile.Shape));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("border"));
    xml.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
    xml.writeAttribute(QStringLiteral("stroke"), QStringLiteral("#000000"));
    xml.writeAttribute(QStringLiteral("stroke-width"), number(stroke * 3));
    for (const TShapePath::Figure& figure : drawing.Border.Figures()) {
        if (figure.empty()) {
            continue;
        }
        xml.writeEmptyElement(QStringLiteral("path"));
        xml.writeAttribute(QStringLiteral("d"), figureData(figure));
    }
    xml.writeEndElement();

    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QString SvgTitle(const TProject& project) {
    return project.Name().isEmpty() ? QStringLiteral("Vorkalo") : project.Name();
}

QString WriteSvg(const QString& fileName, TProject& project) {
    return WriteSvg(fileName, CollectDrawing(project), SvgTitle(project));
}

QString WriteSvg(const QString& fileName, const TExportDrawing& drawing, const QString& title) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        return WriteFailure(fileName, file.errorString());
    }
    if (file.write(SvgDocument(drawing, title)) < 0 || !file.commit()) {
        return WriteFailure(fileName, file.errorString());
    }
    return {};
}

} // namespace vk
