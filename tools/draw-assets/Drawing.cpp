#include "Drawing.h"

#include <QHash>
#include <QPen>
#include <QTransform>

QList<QRgb> sixteenColours()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

namespace {

// Distance between two colours that weighs a change of hue more than a change of brightness, so
// that the grey edge of a black line on white stays grey instead of picking up a tint.
double colourDistance(QRgb a, QRgb b)
{
    const double ya = 0.299 * qRed(a) + 0.587 * qGreen(a) + 0.114 * qBlue(a);
    const double yb = 0.299 * qRed(b) + 0.587 * qGreen(b) + 0.114 * qBlue(b);
    const double dy = ya - yb;
    const double dcb = (qBlue(a) - ya) - (qBlue(b) - yb);
    const double dcr = (qRed(a) - ya) - (qRed(b) - yb);
    return dy * dy + 2.0 * (dcb * dcb + dcr * dcr);
}

} // namespace

QImage toIndexed(const QImage &drawn, const QList<QRgb> &palette, QList<QRgb> allowed)
{
    if (allowed.isEmpty())
        allowed = palette;
    const QImage rgb = drawn.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    QHash<QRgb, int> chosen;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *line = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb colour = in[x] | 0xff000000u;
            auto found = chosen.constFind(colour);
            if (found == chosen.constEnd()) {
                QRgb best = allowed.first();
                double bestDistance = colourDistance(colour, best);
                for (QRgb candidate : allowed) {
                    const double d = colourDistance(colour, candidate);
                    if (d < bestDistance) {
                        best = candidate;
                        bestDistance = d;
                    }
                }
                found = chosen.insert(colour, int(palette.indexOf(best)));
            }
            line[x] = uchar(*found);
        }
    }
    return out;
}

QImage canvas(int width, int height, QColor fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void setCell(QImage &image, QPoint at, int s, QRgb colour)
{
    for (int dy = 0; dy < s; ++dy)
        for (int dx = 0; dx < s; ++dx)
            image.setPixel(at.x() * s + dx, at.y() * s + dy, colour);
}

QPainterPath placed(const QPainterPath &unit, const QRectF &box)
{
    QTransform t;
    t.translate(box.x(), box.y());
    t.scale(box.width(), box.height());
    return t.map(unit);
}

QPainterPath heartShape()
{
    QPainterPath p;
    p.moveTo(0.5, 1.0);
    p.cubicTo(0.42, 0.82, 0.0, 0.62, 0.0, 0.3);
    p.cubicTo(0.0, 0.08, 0.18, 0.0, 0.28, 0.0);
    p.cubicTo(0.4, 0.0, 0.48, 0.08, 0.5, 0.2);
    p.cubicTo(0.52, 0.08, 0.6, 0.0, 0.72, 0.0);
    p.cubicTo(0.82, 0.0, 1.0, 0.08, 1.0, 0.3);
    p.cubicTo(1.0, 0.62, 0.58, 0.82, 0.5, 1.0);
    p.closeSubpath();
    return p;
}

QPainterPath spadeShape()
{
    QPainterPath p;
    p.moveTo(0.5, 0.0);
    p.cubicTo(0.58, 0.16, 1.0, 0.34, 1.0, 0.6);
    p.cubicTo(1.0, 0.76, 0.88, 0.82, 0.76, 0.82);
    p.cubicTo(0.64, 0.82, 0.56, 0.76, 0.53, 0.7);
    p.cubicTo(0.55, 0.84, 0.62, 0.95, 0.74, 1.0);
    p.lineTo(0.26, 1.0);
    p.cubicTo(0.38, 0.95, 0.45, 0.84, 0.47, 0.7);
    p.cubicTo(0.44, 0.76, 0.36, 0.82, 0.24, 0.82);
    p.cubicTo(0.12, 0.82, 0.0, 0.76, 0.0, 0.6);
    p.cubicTo(0.0, 0.34, 0.42, 0.16, 0.5, 0.0);
    p.closeSubpath();
    return p;
}

QPainterPath diamondShape()
{
    QPainterPath p;
    p.moveTo(0.5, 0.0);
    p.quadTo(0.66, 0.3, 1.0, 0.5);
    p.quadTo(0.66, 0.7, 0.5, 1.0);
    p.quadTo(0.34, 0.7, 0.0, 0.5);
    p.quadTo(0.34, 0.3, 0.5, 0.0);
    p.closeSubpath();
    return p;
}

QPainterPath letterA()
{
    QPainterPath p;
    p.moveTo(0.0, 1.0);
    p.lineTo(0.5, 0.0);
    p.lineTo(1.0, 1.0);
    p.moveTo(0.22, 0.64);
    p.lineTo(0.78, 0.64);
    return p;
}

QPainterPath letterQ()
{
    QPainterPath p;
    p.addEllipse(QRectF(0.0, 0.0, 1.0, 0.96));
    p.moveTo(0.56, 0.68);
    p.lineTo(1.0, 1.08);
    return p;
}

QPainterPath figureNine()
{
    QPainterPath p;
    p.addEllipse(QRectF(0.04, 0.0, 0.92, 0.56));
    p.moveTo(0.96, 0.28);
    p.lineTo(0.96, 0.62);
    p.cubicTo(0.96, 0.9, 0.76, 1.0, 0.5, 1.0);
    p.cubicTo(0.3, 1.0, 0.14, 0.94, 0.06, 0.82);
    return p;
}

void strokeLetter(QPainter &p, const QPainterPath &unit, const QRectF &box, QColor colour,
                  double width)
{
    QPen pen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(3.0);
    p.strokePath(placed(unit, box), pen);
}
