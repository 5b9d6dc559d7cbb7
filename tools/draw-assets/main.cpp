// Draws every built-in picture and icon of the game and writes them as PNG files into assets/.
//
// To redraw after a change here, from the top of the tree:
//   cmake --build --preset default --target draw-assets
//   build/default/tools/draw-assets/draw-assets assets
// `draw-assets --check assets` draws the pictures in memory and fails when a committed file no
// longer matches the drawing; the test suite runs it so a forgotten redraw is noticed.
//
// The output is deterministic: every random texture or fleck comes from a small generator with a
// fixed seed, and no font is used (letters are drawn as strokes), so every run writes the same
// pixels.
//
// Every picture the game's windows show is drawn twice: at its own size, and at twice that size
// for scaled screens, saved as <name>@2x.png. The larger one is the same drawing made with twice
// as many pixels (finer lines, curves and steps), never the small one's pixels doubled.

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// A xorshift generator; each picture seeds its own so that changing one leaves the others alone.
struct Xorshift {
    quint32 state;

    quint32 next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int below(int n) { return int(next() % quint32(n)); }
    double unit() { return double(next() >> 8) / double(1u << 24); }
};

// A drawn picture, saved as <name>.png; or, when `svg` is set, a scalable one saved as <name>.svg.
struct Picture {
    QString name;
    QImage image;
    QByteArray svg = {};

    QString fileName() const { return name + (svg.isEmpty() ? ".png" : ".svg"); }
};

// Colours used by several pictures.
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kOlive = qRgb(128, 128, 0);

// The palette shared by the card back and the card faces: the index bits read RRRGGGBB.
QList<QRgb> cardPalette()
{
    static const int redGreen[8] = {0, 32, 64, 96, 128, 160, 192, 255};
    static const int blue[4] = {0, 64, 128, 255};
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(redGreen[i >> 5], redGreen[(i >> 2) & 7], blue[i & 3]));
    return palette;
}

// The sixteen colours of the classic display adapter, used by the application icon and by the
// toolkit's stock pictures.
QList<QRgb> sixteenColours()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

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

// Maps a drawn RGB picture onto a palette: each pixel takes the nearest of the allowed colours
// (all of the palette when none are given). Every allowed colour must be in the palette.
QImage toIndexed(const QImage &drawn, const QList<QRgb> &palette, QList<QRgb> allowed = {})
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

// Paths in a unit box (0,0)-(1,1), placed into a rectangle by placed().
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

// Letters as centre lines, stroked with a pen afterwards.
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

// Card back -----------------------------------------------------------------------------------

// An all-over texture: rows of light streaks, each with a dark shadow row under it, every four or
// five rows, and coloured dots between them. On the table every pure black pixel shows in the
// button-face colour, so there the card reads as a light ribbed surface.
//
// At twice the size (s = 2) the same streaks, shadows and dots lie in the same places, drawn
// finer: a streak has rounded ends and a dimmer lower edge, its shadow is half as thick and cast
// half as far, and a dot is a small rounded speck.
QImage drawCardBack(int s)
{
    const int w = 146;
    const int h = 194;
    const QList<QRgb> palette = cardPalette();
    std::vector<QRgb> px(size_t(w * s * h * s), kBlack);
    auto at = [&](int x, int y) -> QRgb & { return px[size_t(y * w * s + x)]; };
    // Sets a pixel of the picture at twice the size, where there is one.
    auto fine = [&](int x, int y, QRgb colour) {
        if (x >= 0 && y >= 0 && x < w * s && y < h * s)
            at(x, y) = colour;
    };
    Xorshift rng{0x5eed0b1cu};

    const QRgb streaks[] = {qRgb(192, 192, 255), qRgb(192, 192, 255), qRgb(255, 255, 255),
                            qRgb(160, 192, 255)};
    // The lower edge of each streak at twice the size.
    const QRgb streakEdges[] = {qRgb(160, 160, 255), qRgb(160, 160, 255), qRgb(192, 192, 255),
                                qRgb(128, 160, 255)};
    const QRgb shadows[] = {qRgb(32, 32, 64), qRgb(0, 32, 64), qRgb(32, 32, 0)};
    const QRgb dots[] = {qRgb(128, 128, 128), qRgb(128, 128, 0), qRgb(160, 160, 255),
                         qRgb(160, 255, 255)};

    std::vector<bool> fieldRow(size_t(h), true);
    for (int y = 1; y + 2 < h; y += 4 + rng.below(2)) {
        fieldRow[size_t(y)] = false;
        fieldRow[size_t(y + 1)] = false;
        int x = -rng.below(12);
        while (x < w) {
            const int length = 7 + rng.below(16);
            const int kind = rng.below(4);
            const QRgb streak = streaks[kind];
            for (int i = 0; i < length; ++i) {
                const int xi = x + i;
                // Each streak casts a shadow one pixel down and to the right.
                const bool shaded = xi + 1 >= 0 && xi + 1 < w;
                const QRgb shadow =
                    shaded ? shadows[rng.below(10) < 7 ? 0 : 1 + rng.below(2)] : kBlack;
                if (s == 1) {
                    if (xi >= 0 && xi < w)
                        at(xi, y) = streak;
                    if (shaded)
                        at(xi + 1, y + 1) = shadow;
                    continue;
                }
                const bool first = i == 0;
                const bool last = i == length - 1;
                if (shaded) {
                    fine(2 * xi + 1, 2 * y + 2, shadow);
                    fine(2 * xi + 2, 2 * y + 2, shadow);
                }
                fine(2 * xi, 2 * y, first ? streakEdges[kind] : streak);
                fine(2 * xi + 1, 2 * y, last ? streakEdges[kind] : streak);
                if (!first)
                    fine(2 * xi, 2 * y + 1, streakEdges[kind]);
                if (!last)
                    fine(2 * xi + 1, 2 * y + 1, streakEdges[kind]);
            }
            x += length + 1 + rng.below(3);
        }
    }
    // Dots on a jittered grid keep the sprinkling even all over the card.
    const int cell = 4;
    for (int cy = 0; cy < h; cy += cell) {
        for (int cx = 0; cx < w; cx += cell) {
            if (rng.below(10) >= 9)
                continue;
            const int x = cx + rng.below(cell);
            const int y = cy + rng.below(cell);
            if (x >= w || y >= h || !fieldRow[size_t(y)])
                continue;
            const QRgb dot = dots[rng.below(4)];
            const bool wide = rng.below(4) == 0 && x + 1 < w;
            if (s == 1) {
                at(x, y) = dot;
                if (wide)
                    at(x + 1, y) = dot;
                continue;
            }
            // A speck with its lower right corner left out; a wide dot is a short dash.
            const int right = wide ? 3 : 1;
            for (int dx = 0; dx <= right; ++dx) {
                fine(2 * x + dx, 2 * y, dot);
                if (dx < right)
                    fine(2 * x + dx, 2 * y + 1, dot);
            }
        }
    }
    // The bottom-left pixel is the button's transparent colour.
    at(0, h * s - 1) = kBlack;

    QImage out(w * s, h * s, QImage::Format_Indexed8);
    out.setColorTable(palette);
    for (int y = 0; y < h * s; ++y) {
        uchar *line = out.scanLine(y);
        for (int x = 0; x < w * s; ++x)
            line[x] = uchar(palette.indexOf(at(x, y)));
    }
    return out;
}

// Card faces ----------------------------------------------------------------------------------

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kDarkRed = qRgb(192, 0, 0);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kPaleYellow = qRgb(255, 255, 128);

// The colours a face may end up in after mapping to the palette: the inks and their blends.
QList<QRgb> faceInks()
{
    return {kWhite,
            kBlack,
            qRgb(64, 64, 64),
            qRgb(128, 128, 128),
            kYellow,
            kPaleYellow,
            qRgb(192, 192, 0),
            kOlive,
            qRgb(64, 64, 0),
            kRed,
            kDarkRed,
            qRgb(128, 0, 0),
            qRgb(255, 64, 64),
            qRgb(255, 128, 128)};
}

QImage blankFace(int s)
{
    QImage image = canvas(76 * s, 104 * s, Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (s > 1)
        p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1, 1, 74, 102), 3.5, 3.5);
    return image;
}

// Scatters pale-yellow flecks on plain white paper, each at least two pixels away from any ink,
// and notes where they fell.
void fleck(QImage &image, Xorshift &rng, int count, QRectF area, QList<QPoint> &placedAt)
{
    auto paper = [&](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int xx = x + dx;
                const int yy = y + dy;
                if (xx < 0 || yy < 0 || xx >= image.width() || yy >= image.height())
                    return false;
                const QRgb c = image.pixel(xx, yy) | 0xff000000u;
                if (c != kWhite && c != (kPaleYellow | 0xff000000u))
                    return false;
            }
        return true;
    };
    int placedFlecks = 0;
    for (int attempt = 0; attempt < count * 40 && placedFlecks < count; ++attempt) {
        const int x = int(area.x() + rng.unit() * area.width());
        const int y = int(area.y() + rng.unit() * area.height());
        if (!paper(x, y))
            continue;
        image.setPixel(x, y, kPaleYellow);
        placedAt.append(QPoint(x, y));
        ++placedFlecks;
    }
}

using Ink = std::function<void(QPainter &)>;
using Flecks = std::function<void(QImage &, QList<QPoint> &)>;

// A card face: the ink drawn on a blank card, then the flecks. At twice the size the flecks lie
// where they lie on the small card, as they are placed around its ink.
QImage drawFace(int s, const Ink &ink, const Flecks &flecks)
{
    QImage image = blankFace(1);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        ink(p);
    }
    QList<QPoint> flecked;
    flecks(image, flecked);
    if (s > 1) {
        image = blankFace(s);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(s, s);
            ink(p);
        }
        for (QPoint at : flecked)
            for (int dy = 0; dy < s; ++dy)
                for (int dx = 0; dx < s; ++dx)
                    image.setPixel(at.x() * s + dx, at.y() * s + dy, kPaleYellow);
    }
    return toIndexed(image, cardPalette(), faceInks());
}

void inkQueenOfSpades(QPainter &p)
{
    strokeLetter(p, letterQ(), QRectF(58.5, 5.5, 10, 13), Qt::black, 2.1);
    p.fillPath(placed(spadeShape(), QRectF(58.5, 22, 10, 11)), Qt::black);

    // The figure is drawn on a frame of 43 x 62 at the origin, placed below and left of the
    // corner index.
    p.translate(12.5, 29.5);
    const QRectF frame(0, 0, 43, 62);
    // The sash: a yellow band across the middle of the frame, from lower left to upper right.
    p.save();
    p.setClipRect(frame);
    QPolygonF band;
    band << QPointF(-2, 60) << QPointF(-2, 49) << QPointF(45, 27) << QPointF(45, 38);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kYellow));
    p.drawPolygon(band);
    p.restore();

    QPen line(Qt::black, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    p.drawRect(frame.adjusted(2, 2, -2, -2));

    const double cx = 21.5;
    // Shoulders and gown with a low round neckline.
    QPainterPath gown;
    gown.moveTo(3, 60);
    gown.cubicTo(3, 44, 9, 39.5, 17.5, 38.5);
    gown.moveTo(25.5, 38.5);
    gown.cubicTo(34, 39.5, 40, 44, 40, 60);
    gown.moveTo(14, 39.5);
    gown.quadTo(cx, 50, 29, 39.5);
    gown.moveTo(9.5, 47);
    gown.lineTo(10, 60);
    gown.moveTo(33.5, 47);
    gown.lineTo(33, 60);
    p.drawPath(gown);
    // Necklace.
    p.setBrush(Qt::black);
    for (int i = -2; i <= 2; ++i)
        p.drawEllipse(QPointF(cx + i * 2.4, 42.6 - std::abs(i) * 0.8 + 1.0), 0.45, 0.45);
    p.setBrush(Qt::NoBrush);
    // Neck.
    p.drawLine(QPointF(18.8, 30), QPointF(18.5, 38.5));
    p.drawLine(QPointF(24.2, 30), QPointF(24.5, 38.5));
    // Hair falling to the shoulders, then the face over it.
    QPainterPath hair;
    hair.moveTo(14.2, 16);
    hair.cubicTo(11, 23, 14, 32, 10, 39);
    hair.moveTo(28.8, 16);
    hair.cubicTo(32, 23, 29, 32, 33, 39);
    p.drawPath(hair);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(cx, 22.5), 7.0, 9.0);
    p.setBrush(Qt::NoBrush);
    QPainterPath fringe;
    fringe.moveTo(14.6, 20);
    fringe.cubicTo(16, 15, 20, 15.5, cx, 17);
    fringe.cubicTo(23, 15.5, 27, 15, 28.4, 20);
    p.drawPath(fringe);
    // Crown.
    QPolygonF crown;
    crown << QPointF(15, 14) << QPointF(14, 5.5) << QPointF(17.8, 9.5) << QPointF(cx, 3.5)
          << QPointF(25.2, 9.5) << QPointF(29, 5.5) << QPointF(28, 14);
    p.setBrush(Qt::white);
    p.drawPolygon(crown);
    p.drawLine(QPointF(15, 12), QPointF(28, 12));
    p.setBrush(Qt::black);
    for (QPointF tip : {QPointF(14, 5.5), QPointF(cx, 3.5), QPointF(29, 5.5)})
        p.drawEllipse(tip, 0.9, 0.9);
    // Face: brows, eyes, nose and lips.
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(16.8, 19.4), QPointF(19.6, 19.2));
    p.drawLine(QPointF(23.4, 19.2), QPointF(26.2, 19.4));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(18.3, 21.7), 0.8, 0.6);
    p.drawEllipse(QPointF(24.7, 21.7), 0.8, 0.6);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(cx, 22.5), QPointF(20.8, 25.5), QPointF(22, 25.7)});
    p.drawLine(QPointF(19.6, 28.3), QPointF(23.4, 28.3));
    // A rose held at the shoulder.
    p.drawLine(QPointF(30.5, 58), QPointF(34, 45.5));
    p.drawEllipse(QPointF(34.6, 43.6), 2.0, 2.0);
    p.drawLine(QPointF(32.5, 50.5), QPointF(30.5, 49));
}

QImage drawQueenOfSpades(int s)
{
    return drawFace(s, inkQueenOfSpades, [](QImage &image, QList<QPoint> &flecked) {
        Xorshift rng{0x0ee7a5edu};
        fleck(image, rng, 9, QRectF(3, 3, 70, 98), flecked);
    });
}

QImage drawAceOfDiamonds(int s)
{
    const Ink ink = [](QPainter &p) {
        strokeLetter(p, letterA(), QRectF(58.5, 5.5, 10, 13.5), QColor(kRed), 2.2);
        const QPainterPath diamond = placed(diamondShape(), QRectF(20, 27, 36, 52));
        p.fillPath(diamond, QColor(kRed));
        p.strokePath(diamond, QPen(QColor(kDarkRed), 1.0));
    };
    return drawFace(s, ink, [](QImage &image, QList<QPoint> &flecked) {
        // Flecked patches, as of a card that has lain in a drawer.
        Xorshift rng{0xace0d1a3u};
        const QPointF patches[] = {{13, 18}, {60, 88}, {14, 82}, {62, 48}};
        for (QPointF centre : patches)
            fleck(image, rng, 11, QRectF(centre.x() - 6, centre.y() - 5, 12, 10), flecked);
        fleck(image, rng, 4, QRectF(3, 3, 70, 98), flecked);
    });
}

QImage drawNineOfHearts(int s)
{
    const Ink ink = [](QPainter &p) {
        strokeLetter(p, figureNine(), QRectF(58.5, 5.5, 9.5, 13.5), QColor(kRed), 2.2);
        const QPainterPath heart = placed(heartShape(), QRectF(17, 33, 42, 40));
        p.fillPath(heart, QColor(kRed));
        p.strokePath(heart, QPen(QColor(kDarkRed), 1.0));
    };
    return drawFace(s, ink, [](QImage &image, QList<QPoint> &flecked) {
        Xorshift rng{0x9e4a7751u};
        fleck(image, rng, 8, QRectF(3, 3, 70, 98), flecked);
    });
}

// Dealer --------------------------------------------------------------------------------------

enum class Mood { Calm, Dismayed, Grinning };

const QColor kSkin(250, 208, 164);
const QColor kSkinShade(226, 170, 124);
const QColor kOutline(18, 14, 14);

QPen outlinePen(double width)
{
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Everything but the face: background, shirt, neck, ears, head and hair. The three moods draw
// their features on top of this, inside the face only.
void drawDealerBody(QPainter &p)
{
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0.0, QColor(255, 246, 208));
    sky.setColorAt(0.45, QColor(236, 246, 206));
    sky.setColorAt(1.0, QColor(112, 226, 196));
    p.fillRect(QRectF(0, 0, 90, 120), sky);

    // Neck.
    p.setPen(outlinePen(2.2));
    p.setBrush(kSkin);
    QPainterPath neck;
    neck.moveTo(34, 70);
    neck.lineTo(33, 102);
    neck.lineTo(57, 102);
    neck.lineTo(56, 70);
    p.drawPath(neck);
    p.setPen(Qt::NoPen);
    p.setBrush(kSkinShade);
    p.drawPolygon(QPolygonF{QPointF(35, 76), QPointF(55, 76), QPointF(55.5, 82), QPointF(45, 86),
                            QPointF(34.5, 82)});

    // Shirt.
    const QColor shirt(46, 98, 206);
    const QColor shirtLight(92, 146, 236);
    const QColor shirtDark(30, 66, 150);
    QPainterPath body;
    body.moveTo(-2, 122);
    body.lineTo(-2, 106);
    body.cubicTo(4, 96, 18, 90, 34, 88);
    body.lineTo(45, 100);
    body.lineTo(56, 88);
    body.cubicTo(72, 90, 86, 96, 92, 106);
    body.lineTo(92, 122);
    body.closeSubpath();
    p.setPen(outlinePen(2.4));
    p.setBrush(shirt);
    p.drawPath(body);
    // Folds at the arms.
    p.setPen(QPen(shirtDark, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 108), QPointF(13, 120));
    p.drawLine(QPointF(78, 108), QPointF(77, 120));
    // Placket and button.
    p.setPen(outlinePen(1.4));
    p.drawLine(QPointF(45, 100), QPointF(45, 121));
    p.setPen(outlinePen(1.2));
    p.setBrush(QColor(250, 250, 240));
    p.drawEllipse(QPointF(45, 109), 2.2, 2.2);
    // Breast pockets with pointed flaps.
    for (double left : {15.0, 57.0}) {
        p.setPen(outlinePen(1.5));
        p.setBrush(shirt);
        p.drawRect(QRectF(left, 104, 18, 15));
        QPolygonF flap;
        flap << QPointF(left, 104) << QPointF(left + 18, 104) << QPointF(left + 18, 108)
             << QPointF(left + 9, 110.5) << QPointF(left, 108);
        p.setBrush(shirtLight);
        p.drawPolygon(flap);
    }
    // Collar.
    p.setPen(outlinePen(2.0));
    p.setBrush(shirtLight);
    QPolygonF leftCollar;
    leftCollar << QPointF(33, 84) << QPointF(45, 100) << QPointF(31, 101) << QPointF(25, 91);
    QPolygonF rightCollar;
    rightCollar << QPointF(57, 84) << QPointF(45, 100) << QPointF(59, 101) << QPointF(65, 91);
    p.drawPolygon(leftCollar);
    p.drawPolygon(rightCollar);

    // Ears.
    p.setPen(outlinePen(2.2));
    p.setBrush(kSkin);
    p.drawEllipse(QPointF(22.5, 52), 5, 7.5);
    p.drawEllipse(QPointF(67.5, 52), 5, 7.5);
    p.setPen(QPen(kSkinShade.darker(125), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(20, 47, 5, 9), 90 * 16, 180 * 16);
    p.drawArc(QRectF(65, 47, 5, 9), -90 * 16, 180 * 16);

    // Head: a broad jaw and a rounded chin.
    QPainterPath head;
    head.moveTo(24, 40);
    head.cubicTo(24, 22, 34, 14, 45, 14);
    head.cubicTo(56, 14, 66, 22, 66, 40);
    head.cubicTo(66, 58, 64, 68, 58, 74);
    head.cubicTo(53, 79, 49, 80, 45, 80);
    head.cubicTo(41, 80, 37, 79, 32, 74);
    head.cubicTo(26, 68, 24, 58, 24, 40);
    head.closeSubpath();
    p.setPen(outlinePen(2.6));
    p.setBrush(kSkin);
    p.drawPath(head);

    // Hair: slicked back, with a side parting and sideburns.
    QPainterPath hair;
    hair.moveTo(23.5, 50);
    hair.cubicTo(21, 36, 22, 20, 32, 12);
    hair.cubicTo(40, 6, 54, 6, 61, 11);
    hair.cubicTo(69, 17, 70, 34, 66.5, 50);
    hair.lineTo(64, 50);
    hair.cubicTo(63.5, 40, 62, 33, 58, 29);
    hair.cubicTo(52, 25, 44, 27, 38, 24);
    hair.cubicTo(35, 28, 30, 31, 27.5, 36);
    hair.cubicTo(26.5, 41, 26.5, 46, 26.5, 50);
    hair.closeSubpath();
    p.setPen(outlinePen(2.2));
    p.setBrush(QColor(24, 22, 26));
    p.drawPath(hair);
    // Gloss on the hair.
    p.setPen(QPen(QColor(96, 100, 118), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath gloss;
    gloss.moveTo(34, 15);
    gloss.cubicTo(39, 12, 46, 11, 52, 12);
    gloss.moveTo(56, 15);
    gloss.cubicTo(60, 18, 62, 22, 63, 26);
    p.drawPath(gloss);

    // Nose, the same in every mood.
    p.setPen(outlinePen(1.6));
    QPainterPath nose;
    nose.moveTo(46, 49);
    nose.cubicTo(47, 53, 50, 57, 49, 59);
    nose.cubicTo(48, 61, 44, 61, 42, 59.5);
    p.drawPath(nose);
}

void drawEye(QPainter &p, QPointF centre, double rx, double ry, QPointF look, double pupil)
{
    p.setPen(outlinePen(1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawEllipse(centre + look, pupil, pupil);
    p.setBrush(Qt::white);
    p.drawEllipse(centre + look + QPointF(-pupil * 0.35, -pupil * 0.4), pupil * 0.3, pupil * 0.3);
}

void drawMoustache(QPainter &p, double lift)
{
    QPainterPath m;
    m.moveTo(45, 63.5);
    m.cubicTo(41, 62, 38, 63, 35.5, 65.5 - lift);
    m.cubicTo(39, 64.8, 42, 65, 45, 65.6);
    m.cubicTo(48, 65, 51, 64.8, 54.5, 65.5 - lift);
    m.cubicTo(52, 63, 49, 62, 45, 63.5);
    m.closeSubpath();
    p.setPen(outlinePen(0.8));
    p.setBrush(kOutline);
    p.drawPath(m);
}

void drawCalmFace(QPainter &p)
{
    // Level brows, eyes resting on the player, lids half lowered, lips closed.
    p.setPen(outlinePen(2.4));
    p.drawLine(QPointF(31, 40.5), QPointF(40, 40));
    p.drawLine(QPointF(50, 40), QPointF(59, 40.5));
    drawEye(p, QPointF(36, 47), 4.2, 3.4, QPointF(0.6, 0.6), 2.0);
    drawEye(p, QPointF(54, 47), 4.2, 3.4, QPointF(0.6, 0.6), 2.0);
    p.setPen(outlinePen(1.5));
    p.setBrush(kSkin);
    for (double x : {36.0, 54.0}) {
        QPainterPath lid;
        lid.moveTo(x - 4.4, 47);
        lid.cubicTo(x - 3.6, 43, x + 3.6, 43, x + 4.4, 47);
        lid.lineTo(x - 4.4, 47);
        p.drawPath(lid);
    }
    drawMoustache(p, 0);
    p.setPen(outlinePen(1.7));
    p.setBrush(Qt::NoBrush);
    QPainterPath mouth;
    mouth.moveTo(38.5, 69.8);
    mouth.cubicTo(42, 70.4, 48, 70.4, 52.5, 68.8);
    p.drawPath(mouth);
}

void drawDismayedFace(QPainter &p)
{
    // Brows shot up and tilted in worry, wide eyes ringed dark, the mouth a round O.
    p.setPen(outlinePen(2.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath brows;
    brows.moveTo(29, 38);
    brows.quadTo(34, 33, 41, 34.5);
    brows.moveTo(61, 38);
    brows.quadTo(56, 33, 49, 34.5);
    p.drawPath(brows);
    for (double x : {35.5, 54.5}) {
        p.setPen(QPen(QColor(112, 84, 104), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(x, 46.5), 6.8, 7.0);
        drawEye(p, QPointF(x, 46.5), 5.2, 5.6, QPointF(0, 0), 1.5);
    }
    drawMoustache(p, -1.2);
    // Open mouth.
    p.setPen(outlinePen(2.0));
    p.setBrush(QColor(92, 18, 24));
    p.drawEllipse(QPointF(45, 71), 5.2, 6.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 86, 96));
    p.drawChord(QRectF(41.5, 72, 7, 5), 200 * 16, 140 * 16);
    // A bead of sweat at the temple.
    QPainterPath drop;
    drop.moveTo(62, 52);
    drop.cubicTo(60, 56, 60, 58.5, 62, 58.5);
    drop.cubicTo(64, 58.5, 64, 56, 62, 52);
    p.setPen(QPen(QColor(40, 90, 170), 0.9));
    p.setBrush(QColor(170, 220, 255));
    p.drawPath(drop);
}

void drawGrinningFace(QPainter &p)
{
    // Brows pulled down towards the nose, narrowed eyes glancing aside, a broad lopsided grin.
    p.setPen(outlinePen(2.8));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(29.5, 38), QPointF(41.5, 43));
    p.drawLine(QPointF(60.5, 38), QPointF(48.5, 43));
    for (double x : {36.0, 54.0}) {
        p.setPen(outlinePen(1.4));
        p.setBrush(Qt::white);
        QPainterPath eye;
        eye.moveTo(x - 4.6, 47.5);
        eye.cubicTo(x - 3, 45.2, x + 3, 45.2, x + 4.6, 47.5);
        eye.cubicTo(x + 3, 50.4, x - 3, 50.4, x - 4.6, 47.5);
        p.drawPath(eye);
        p.setPen(Qt::NoPen);
        p.setBrush(kOutline);
        p.drawEllipse(QPointF(x + 2.0, 47.8), 1.9, 1.9);
        p.setPen(outlinePen(1.8));
        p.drawLine(QPointF(x - 4.8, 46.6), QPointF(x + 4.8, 46.6));
    }
    // Grin with the teeth showing, higher at his left.
    QPainterPath grin;
    grin.moveTo(33, 66);
    grin.cubicTo(39, 68, 51, 67.5, 59, 62);
    grin.cubicTo(56, 71, 49, 75, 43, 74.5);
    grin.cubicTo(38, 74, 34.5, 70.5, 33, 66);
    grin.closeSubpath();
    p.setPen(outlinePen(1.8));
    p.setBrush(Qt::white);
    p.drawPath(grin);
    p.save();
    p.setClipPath(grin);
    p.setPen(QPen(kOutline, 0.9));
    p.drawLine(QPointF(33, 69.6), QPointF(59, 66.2));
    for (double x : {38.0, 42.5, 47.0, 51.5, 55.5})
        p.drawLine(QPointF(x, 60), QPointF(x, 80));
    p.restore();
    p.setPen(outlinePen(1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(grin);
    // Dimples at the corners of the grin.
    p.setPen(outlinePen(1.3));
    p.drawArc(QRectF(29, 63, 4, 6), 90 * 16, 140 * 16);
    p.drawArc(QRectF(58.5, 58.5, 4, 5), -60 * 16, 150 * 16);
    drawMoustache(p, 1.4);
}

QImage drawDealer(Mood mood, int s)
{
    QImage image = canvas(90 * s, 120 * s, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (s > 1)
        p.scale(s, s);
    drawDealerBody(p);
    switch (mood) {
    case Mood::Calm:
        drawCalmFace(p);
        break;
    case Mood::Dismayed:
        drawDismayedFace(p);
        break;
    case Mood::Grinning:
        drawGrinningFace(p);
        break;
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB888);
}

// Three fanned cards: the About picture and the card table's icon -----------------------------

// A sunken square: black edge at the top and left, the given colour at the bottom and right,
// each `edge` pixels wide.
void drawSunkenEdge(QImage &image, QRgb lowerEdge, int edge)
{
    const int n = image.width();
    for (int k = 0; k < edge; ++k) {
        for (int i = 0; i < n; ++i) {
            image.setPixel(i, n - 1 - k, lowerEdge);
            image.setPixel(n - 1 - k, i, lowerEdge);
        }
    }
    for (int k = 0; k < edge; ++k) {
        for (int i = 0; i < n - edge; ++i) {
            image.setPixel(i, k, kBlack);
            image.setPixel(k, i, kBlack);
        }
    }
}

void drawFanCard(QPainter &p, double angle, const std::function<void(QPainter &)> &face,
                 double line)
{
    const QRectF card(-9.5, -14, 19, 28);
    p.save();
    p.translate(25, 44.5);
    p.rotate(angle);
    p.translate(0, -21);
    p.setPen(QPen(Qt::black, line));
    p.setBrush(Qt::white);
    p.drawRoundedRect(card, 2.2, 2.2);
    face(p);
    p.restore();
}

// The fan on a square of `size` pixels, drawn with s times as many.
QImage drawFan(int size, int s)
{
    QImage image = canvas(size * s, size * s, QColor(0, 127, 0));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const double scale = size / 50.0;
        p.scale(scale * s, scale * s);
        // Lines at least about one pixel wide at any size.
        const double line = std::max(0.8, 0.9 / scale);
        const double stroke = std::max(1.3, 1.1 / scale);
        drawFanCard(
            p, -22,
            [](QPainter &q) {
                q.fillPath(placed(spadeShape(), QRectF(-8, -12, 7, 8)), Qt::black);
                q.fillPath(placed(spadeShape(), QRectF(-7.5, -1, 6, 7)), Qt::black);
            },
            line);
        drawFanCard(
            p, 0,
            [stroke](QPainter &q) {
                strokeLetter(q, figureNine(), QRectF(-7.8, -12, 4.8, 7.4), QColor(kRed), stroke);
                q.fillPath(placed(heartShape(), QRectF(-7.8, -2.5, 5.4, 5)), QColor(kRed));
                q.fillPath(placed(heartShape(), QRectF(-7.8, 4, 5.4, 5)), QColor(kRed));
            },
            line);
        drawFanCard(
            p, 22,
            [stroke](QPainter &q) {
                strokeLetter(q, letterA(), QRectF(-7.8, -12, 5.2, 7.4), QColor(kRed), stroke);
                q.fillPath(placed(diamondShape(), QRectF(-4.6, -6.5, 9.2, 13)), QColor(kRed));
                q.save();
                q.rotate(180);
                strokeLetter(q, letterA(), QRectF(-7.8, -12, 5.2, 7.4), QColor(kRed), stroke);
                q.restore();
            },
            line);
    }
    drawSunkenEdge(image, qRgb(64, 64, 64), s);
    return image;
}

// The splash window's copy of the card table's icon: a few white pixels of the card faces, right
// of the middle, take a faint blue-grey shade. The pixels are chosen on the small icon; at twice
// the size the white ones of the same places take the shade.
QImage shadeFewPixels(const QImage &small, QImage icon)
{
    const int s = icon.width() / small.width();
    int changed = 0;
    for (int y = 10; y < small.height() && changed < 6; y += 3) {
        for (int x = small.width() / 2; x < small.width() && changed < 6; ++x) {
            if ((small.pixel(x, y) & 0xffffffu) == 0xffffffu &&
                (small.pixel(x - 1, y) & 0xffffffu) == 0xffffffu) {
                for (int dy = 0; dy < s; ++dy)
                    for (int dx = 0; dx < s; ++dx)
                        if ((icon.pixel(x * s + dx, y * s + dy) & 0xffffffu) == 0xffffffu)
                            icon.setPixel(x * s + dx, y * s + dy, qRgb(228, 228, 236));
                ++changed;
                break;
            }
        }
    }
    return icon;
}

// Portrait icon -------------------------------------------------------------------------------

QImage drawPortraitIcon(int s)
{
    QImage image = canvas(32 * s, 32 * s, Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (s > 1)
        p.scale(s, s);
    const QColor hair(58, 34, 22);
    const QColor skin(232, 178, 132);
    // Hair behind the face, falling to the shoulders.
    p.setPen(Qt::NoPen);
    p.setBrush(hair);
    QPainterPath back;
    back.moveTo(6, 30);
    back.cubicTo(4, 18, 5, 3, 16, 3);
    back.cubicTo(27, 3, 28, 18, 26, 30);
    back.closeSubpath();
    p.drawPath(back);
    // Neck and a dark red garment.
    p.setBrush(skin.darker(115));
    p.drawRect(QRectF(13.5, 22, 5, 6));
    p.setBrush(QColor(120, 20, 40));
    QPainterPath garment;
    garment.moveTo(4, 32);
    garment.cubicTo(6, 28, 10, 27, 13.5, 27);
    garment.lineTo(16, 29.5);
    garment.lineTo(18.5, 27);
    garment.cubicTo(22, 27, 26, 28, 28, 32);
    garment.closeSubpath();
    p.drawPath(garment);
    // Face.
    p.setBrush(skin);
    p.drawEllipse(QRectF(9.5, 6.5, 13, 17.5));
    // Fringe over the forehead.
    p.setBrush(hair);
    QPainterPath fringe;
    fringe.moveTo(9, 13);
    fringe.cubicTo(9, 6, 13, 4.5, 16, 4.5);
    fringe.cubicTo(19, 4.5, 23, 6, 23, 13);
    fringe.cubicTo(21, 9.5, 19, 9, 16, 9.3);
    fringe.cubicTo(13, 9, 11, 9.5, 9, 13);
    fringe.closeSubpath();
    p.drawPath(fringe);
    // Eyes and brows.
    p.setPen(QPen(QColor(40, 24, 16), 0.9));
    p.drawLine(QPointF(11.8, 12.6), QPointF(14.4, 12.3));
    p.drawLine(QPointF(17.6, 12.3), QPointF(20.2, 12.6));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(13.2, 14.6), 1.6, 1.0);
    p.drawEllipse(QPointF(18.8, 14.6), 1.6, 1.0);
    p.setBrush(QColor(30, 20, 14));
    p.drawEllipse(QPointF(13.3, 14.6), 0.9, 0.9);
    p.drawEllipse(QPointF(18.7, 14.6), 0.9, 0.9);
    // Nose shadow.
    p.setPen(QPen(skin.darker(135), 0.8));
    p.drawLine(QPointF(16.4, 15.5), QPointF(16.6, 18.2));
    // Red lips.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 16, 24));
    QPainterPath lips;
    lips.moveTo(13.4, 20.5);
    lips.cubicTo(14.5, 19.6, 15.5, 19.8, 16, 20.1);
    lips.cubicTo(16.5, 19.8, 17.5, 19.6, 18.6, 20.5);
    lips.cubicTo(17.5, 22.2, 14.5, 22.2, 13.4, 20.5);
    p.drawPath(lips);
    p.end();
    // Bright yellow marks on the forehead and both cheeks, placed as whole pixels of the small
    // icon.
    const QRgb mark = qRgb(255, 240, 0);
    const QPoint marks[] = {{15, 10}, {16, 10}, {12, 17}, {12, 18}, {20, 17}, {20, 18}};
    for (QPoint at : marks)
        for (int dy = 0; dy < s; ++dy)
            for (int dx = 0; dx < s; ++dx)
                image.setPixel(at.x() * s + dx, at.y() * s + dy, mark);
    return image;
}

// Application icon ----------------------------------------------------------------------------

// Three cards side by side on teal, the middle one standing lower, on a 32-unit grid. Each card
// is 9 x 14 units with its pip, five units wide, in the middle.
struct IconCard {
    int left;
    int top;
    int pipTop;
    const char *pip[7];
    QColor colour;
};

const IconCard kIconCards[3] = {
    {2, 7, 3, {"..X..", ".XXX.", "XXXXX", "XXXXX", "X.X.X", "..X..", ".XXX."}, Qt::black},
    {11, 11, 3, {"..X..", ".XXX.", ".XXX.", "XXXXX", ".XXX.", ".XXX.", "..X.."}, QColor(255, 0, 0)},
    {20, 7, 4, {".X.X.", "XXXXX", "XXXXX", ".XXX.", "..X..", ".....", "....."}, QColor(255, 0, 0)},
};

void drawIconEdge(QImage &image, int edge)
{
    const int size = image.width();
    for (int i = 0; i < size; ++i)
        for (int k = 0; k < edge; ++k) {
            image.setPixel(i, size - 1 - k, qRgb(128, 128, 128));
            image.setPixel(size - 1 - k, i, qRgb(128, 128, 128));
        }
    for (int i = 0; i < size - edge; ++i)
        for (int k = 0; k < edge; ++k) {
            image.setPixel(i, k, kBlack);
            image.setPixel(k, i, kBlack);
        }
}

// The 32 x 32 icon, set pixel by pixel so that it stays crisp in sixteen colours.
QImage drawAppIconPixels()
{
    QImage image = canvas(32, 32, QColor(0, 128, 128));
    for (const IconCard &card : kIconCards) {
        const int right = card.left + 8;
        const int bottom = card.top + 13;
        for (int y = card.top; y <= bottom; ++y)
            for (int x = card.left; x <= right; ++x) {
                const bool cornerPixel =
                    (x == card.left || x == right) && (y == card.top || y == bottom);
                if (cornerPixel)
                    continue;
                const bool edge = x == card.left || x == right || y == card.top || y == bottom;
                image.setPixel(x, y, edge ? kBlack : kWhite);
            }
        // A touch of shade along the inner right and bottom edges.
        for (int y = card.top + 2; y < bottom; ++y)
            image.setPixel(right - 1, y, qRgb(192, 192, 192));
        for (int x = card.left + 2; x < right; ++x)
            image.setPixel(x, bottom - 1, qRgb(192, 192, 192));
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (card.pip[row][col] == 'X')
                    image.setPixel(card.left + 2 + col, card.top + card.pipTop + row,
                                   card.colour.rgb());
    }
    drawIconEdge(image, 1);
    return image;
}

// The same icon at twice the size in the same sixteen colours, drawn without smoothing so that
// every pixel keeps one of them: outlines and shading one pixel wide, rounded corners, and the
// pips as the suits' own shapes.
QImage drawAppIcon2x()
{
    QImage image = canvas(64, 64, QColor(0, 128, 128));
    {
        QPainter p(&image);
        const QPainterPath pips[3] = {spadeShape(), diamondShape(), heartShape()};
        for (int i = 0; i < 3; ++i) {
            const IconCard &card = kIconCards[i];
            const int left = card.left * 2;
            const int top = card.top * 2;
            p.setPen(QPen(Qt::black, 0));
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(left, top, 17, 27), 2.5, 2.5);
            p.setPen(QPen(QColor(192, 192, 192), 0));
            p.drawLine(left + 16, top + 3, left + 16, top + 25);
            p.drawLine(left + 3, top + 26, left + 15, top + 26);
            const int rows = i == 2 ? 5 : 7;
            p.fillPath(placed(pips[i], QRectF(left + 4, top + card.pipTop * 2, 10, rows * 2)),
                       card.colour);
        }
    }
    drawIconEdge(image, 2);
    return image;
}

// The smallest launcher icon, also set pixel by pixel: cards four pixels wide with a shaded edge
// instead of an outline, and three-pixel pips.
QImage drawAppIcon16()
{
    QImage image = canvas(16, 16, QColor(0, 128, 128));
    const struct {
        int left;
        int top;
        const char *pip[4];
        QRgb colour;
    } cards[] = {
        {2, 4, {".X.", "XXX", "XXX", ".X."}, kBlack},
        {6, 6, {".X.", "XXX", ".X.", "..."}, qRgb(255, 0, 0)},
        {10, 4, {"X.X", "XXX", ".X.", "..."}, qRgb(255, 0, 0)},
    };
    for (const auto &card : cards) {
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 4; ++x)
                image.setPixel(card.left + x, card.top + y,
                               x == 3 || y == 6 ? qRgb(192, 192, 192) : kWhite);
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 3; ++col)
                if (card.pip[row][col] == 'X')
                    image.setPixel(card.left + col, card.top + 2 + row, card.colour);
    }
    drawIconEdge(image, 1);
    return image;
}

// The larger launcher icons: the same cards drawn as smooth shapes.
QImage drawAppIconLarge(int size)
{
    QImage image = canvas(size, size, QColor(0, 128, 128));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 32.0;
        p.scale(s, s);
        const double line = std::max(1.0 / s, 0.7);
        const QPainterPath pips[3] = {spadeShape(), diamondShape(), heartShape()};
        for (int i = 0; i < 3; ++i) {
            const IconCard &card = kIconCards[i];
            const QRectF outer(card.left, card.top, 9, 14);
            p.setPen(QPen(Qt::black, line));
            p.setBrush(Qt::white);
            p.drawRoundedRect(outer.adjusted(line / 2, line / 2, -line / 2, -line / 2), 1.0, 1.0);
            const QRectF pip = i == 2 ? QRectF(card.left + 1.8, card.top + 4, 5.4, 5)
                                      : QRectF(card.left + 2, card.top + 3, 5, 7);
            p.fillPath(placed(pips[i], pip), card.colour);
        }
    }
    drawIconEdge(image, std::max(1, size / 32));
    return image;
}

// Menu icon -----------------------------------------------------------------------------------

// The icon of the desktop's menu and software centre (the game's windows keep the application
// icon above): the same three cards, the middle one lower, on a rounded teal tile with clear
// corners. It is drawn as shapes on a 32-unit grid, so one drawing gives every PNG size and the
// scalable SVG.
struct Shape {
    QPainterPath path;
    QColor fill;       // no fill when invalid
    QColor fillBottom; // when valid, the fill runs from `fill` at the top to this at the bottom
    QColor stroke;     // no outline when invalid
    double strokeWidth = 0; // in grid units
};

// The small sizes fill the tile with larger cards and leave out their shadows, which would only
// blur them.
QList<Shape> menuIconShapes(bool small)
{
    QList<Shape> shapes;
    const double margin = small ? 0.5 : 2.0;
    const QRectF tile(margin, margin, 32 - 2 * margin, 32 - 2 * margin);
    QPainterPath tilePath;
    tilePath.addRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), small ? 4 : 5, small ? 4 : 5);
    shapes.append({tilePath, QColor(0, 150, 150), QColor(0, 112, 112), QColor(0, 80, 80), 1.0});

    struct Card {
        QPainterPath pip;
        QRectF pipBox; // within a card of 8 x 12.5 units
        QColor colour;
    };
    const QColor red(214, 0, 0);
    const Card cards[3] = {
        {spadeShape(), QRectF(1.5, 3, 5, 6.5), Qt::black},
        {diamondShape(), QRectF(1.6, 3, 4.8, 6.5), red},
        {heartShape(), QRectF(1.5, 3.6, 5, 5.2), red},
    };
    // Left, top and size of each card; the middle one stands lower.
    const double width = small ? 9.5 : 8;
    const double height = small ? 15 : 12.5;
    const double step = small ? 10 : 7.5;
    const double left = (32 - 2 * step - width) / 2;
    const double top = small ? 6 : 8;
    const double drop = small ? 5 : 3.5;
    for (int i = 0; i < 3; ++i) {
        const QRectF rect(left + i * step, top + (i == 1 ? drop : 0), width, height);
        if (!small) {
            QPainterPath shadow;
            shadow.addRoundedRect(rect.translated(0.6, 0.8), 1.2, 1.2);
            shapes.append({shadow, QColor(0, 40, 40, 110), {}, {}, 0});
        }
        QPainterPath face;
        face.addRoundedRect(rect.adjusted(0.25, 0.25, -0.25, -0.25), 1.2, 1.2);
        shapes.append(
            {face, QColor(255, 255, 255), QColor(226, 226, 226), QColor(40, 40, 40), 0.5});
        const double sx = width / 8;
        const double sy = height / 12.5;
        const QRectF pip(rect.left() + cards[i].pipBox.left() * sx,
                         rect.top() + cards[i].pipBox.top() * sy, cards[i].pipBox.width() * sx,
                         cards[i].pipBox.height() * sy);
        shapes.append({placed(cards[i].pip, pip), cards[i].colour, {}, {}, 0});
    }
    return shapes;
}

QImage drawMenuIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    for (const Shape &shape : menuIconShapes(size <= 24)) {
        if (shape.fill.isValid()) {
            if (shape.fillBottom.isValid()) {
                const QRectF box = shape.path.boundingRect();
                QLinearGradient gradient(box.topLeft(), box.bottomLeft());
                gradient.setColorAt(0, shape.fill);
                gradient.setColorAt(1, shape.fillBottom);
                p.fillPath(shape.path, gradient);
            } else {
                p.fillPath(shape.path, shape.fill);
            }
        }
        if (shape.stroke.isValid())
            p.strokePath(shape.path, QPen(shape.stroke, shape.strokeWidth));
    }
    p.end();
    return image;
}

QString svgNumber(double v)
{
    QString text = QString::number(v, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? "0" : text;
}

QString svgPathData(const QPainterPath &path)
{
    QStringList parts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QString point = svgNumber(e.x) + ' ' + svgNumber(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (i > 0)
                parts.append("Z");
            parts.append("M" + point);
            break;
        case QPainterPath::LineToElement:
            parts.append("L" + point);
            break;
        case QPainterPath::CurveToElement:
            parts.append("C" + point);
            break;
        case QPainterPath::CurveToDataElement:
            parts.append(point);
            break;
        }
    }
    parts.append("Z");
    return parts.join(' ');
}

QString svgColour(const QColor &colour)
{
    return colour.name(QColor::HexRgb);
}

QByteArray drawMenuIconSvg()
{
    QString defs;
    QString body;
    int gradients = 0;
    for (const Shape &shape : menuIconShapes(false)) {
        QString attributes = QString(" d=\"%1\"").arg(svgPathData(shape.path));
        if (shape.fill.isValid() && shape.fillBottom.isValid()) {
            const QRectF box = shape.path.boundingRect();
            const QString id = QString("fill%1").arg(++gradients);
            defs +=
                QString("    <linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" "
                        "y1=\"%2\" x2=\"0\" y2=\"%3\">\n"
                        "      <stop offset=\"0\" stop-color=\"%4\"/>\n"
                        "      <stop offset=\"1\" stop-color=\"%5\"/>\n"
                        "    </linearGradient>\n")
                    .arg(id, svgNumber(box.top()), svgNumber(box.bottom()), svgColour(shape.fill),
                         svgColour(shape.fillBottom));
            attributes += QString(" fill=\"url(#%1)\"").arg(id);
        } else if (shape.fill.isValid()) {
            attributes += QString(" fill=\"%1\"").arg(svgColour(shape.fill));
            if (shape.fill.alpha() != 255)
                attributes += QString(" fill-opacity=\"%1\"").arg(svgNumber(shape.fill.alphaF()));
        } else {
            attributes += " fill=\"none\"";
        }
        if (shape.stroke.isValid())
            attributes += QString(" stroke=\"%1\" stroke-width=\"%2\"")
                              .arg(svgColour(shape.stroke), svgNumber(shape.strokeWidth));
        body += QString("  <path%1/>\n").arg(attributes);
    }
    const QString svg = QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<!-- Drawn by tools/draw-assets; redraw instead of editing. -->\n"
                                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" "
                                "height=\"32\" viewBox=\"0 0 32 32\">\n"
                                "  <defs>\n%1  </defs>\n%2</svg>\n")
                            .arg(defs, body);
    return svg.toUtf8();
}

// Toolkit stock pictures ----------------------------------------------------------------------

// A triangle whose sides fall one pixel a row, at its own size or at twice it (s = 2), where it
// has twice as many rows and so its finer steps.
QImage drawSpinArrow(bool up, int s)
{
    QImage image = canvas(9 * s, 6 * s, QColor(kOlive));
    const int rows = 4 * s;
    for (int row = 0; row < rows; ++row) {
        const int y = up ? s + row : 5 * s - 1 - row;
        for (int x = 4 * s - row; x <= 5 * s - 1 + row; ++x)
            image.setPixel(x, y, kBlack);
    }
    return toIndexed(image, sixteenColours());
}

// The disabled image of a two-image button picture: the shape of the normal image in grey with
// a white copy one pixel down and to the right behind it.
// At twice the size (s = 2) the white copy lies two pixels away.
void embossDisabled(QImage &image, int width, int s)
{
    const QRgb grey = qRgb(128, 128, 128);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x)
            if ((image.pixel(x, y) | 0xff000000u) != (kOlive | 0xff000000u) && x + s < width &&
                y + s < image.height())
                image.setPixel(width + x + s, y + s, kWhite);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < width; ++x)
            if ((image.pixel(x, y) | 0xff000000u) != (kOlive | 0xff000000u))
                image.setPixel(width + x, y, grey);
}

QImage drawTick(int s)
{
    QImage image = canvas(36 * s, 19 * s, QColor(kOlive));
    const QRgb light = qRgb(0, 255, 0);
    const QRgb dark = qRgb(0, 128, 0);
    const QRgb shade = qRgb(0, 0, 128);
    // The tick's upper edge: down the short arm, then up the long one, one pixel a column at
    // either size. Under it lie a light and a dark stroke, two pixels each at the own size, and a
    // line of shading one pixel thick.
    auto top = [s](int x) { return x <= 7 * s - 1 ? 5 * s + x : 17 * s - x; };
    for (int x = 2 * s; x <= 16 * s - 1; ++x) {
        const int y = top(x);
        for (int k = 0; k < 2 * s; ++k) {
            image.setPixel(x, y + k, light);
            image.setPixel(x, y + 2 * s + k, dark);
        }
        image.setPixel(x, y + 4 * s, shade);
    }
    embossDisabled(image, 18 * s, s);
    return toIndexed(image, sixteenColours());
}

// The ring and bar are decided at the middle of each pixel; at twice the size (s = 2) there are
// four pixels, so four decisions, where the small sign has one.
QImage drawNoSign(int s)
{
    QImage image = canvas(36 * s, 18 * s, QColor(kOlive));
    const QRgb red = qRgb(255, 0, 0);
    const QRgb maroon = qRgb(128, 0, 0);
    const double c = 8.5;
    for (int y = 0; y < 18 * s; ++y) {
        for (int x = 0; x < 17 * s; ++x) {
            const double dx = (x + 0.5) / s - 0.5 - c;
            const double dy = (y + 0.5) / s - 0.5 - c;
            const double r = std::sqrt(dx * dx + dy * dy);
            const double acrossBar = (dx - dy) / std::sqrt(2.0);
            const bool ring = r >= 5.0 && r <= 7.9;
            const bool bar = std::abs(acrossBar) <= 1.6 && r < 5.5;
            if (!ring && !bar)
                continue;
            bool shaded = false;
            if (ring)
                shaded = (r > 6.9 && dx + dy > 1) || (r < 6.0 && dx + dy < -1);
            else
                shaded = acrossBar < -0.8;
            image.setPixel(x, y, shaded ? maroon : red);
        }
    }
    embossDisabled(image, 18 * s, s);
    return toIndexed(image, sixteenColours());
}

QList<Picture> drawAll()
{
    QList<Picture> all;
    // The pictures of the game's windows, at their own size and at twice it.
    const QImage cards = drawFan(32, 1);
    for (int s : {1, 2}) {
        const QString suffix = s == 1 ? QString() : QString("@2x");
        auto add = [&](const char *name, const QImage &image) {
            all.append({name + suffix, image});
        };
        add("cardback", drawCardBack(s));
        add("queen_spades", drawQueenOfSpades(s));
        add("ace_diamonds", drawAceOfDiamonds(s));
        add("nine_hearts", drawNineOfHearts(s));
        add("dealer_calm", drawDealer(Mood::Calm, s));
        add("dealer_dismayed", drawDealer(Mood::Dismayed, s));
        add("dealer_grinning", drawDealer(Mood::Grinning, s));
        add("about", drawFan(50, s));
        add("icon_cards", drawFan(32, s));
        add("icon_cards2", shadeFewPixels(cards, drawFan(32, s)));
        add("icon_portrait", drawPortraitIcon(s));
        add("app_icon",
            toIndexed(s == 1 ? drawAppIconPixels() : drawAppIcon2x(), sixteenColours()));
        add("spin_up", drawSpinArrow(true, s));
        add("spin_down", drawSpinArrow(false, s));
        add("bball", drawTick(s));
        add("bbno", drawNoSign(s));
    }
    // The launcher's icons.
    all.append({"app_icon_16", drawAppIcon16()});
    for (int size : {48, 64, 128, 256})
        all.append({QString("app_icon_%1").arg(size), drawAppIconLarge(size)});
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        all.append({QString("menu_icon_%1").arg(size), drawMenuIcon(size)});
    all.append({"menu_icon", {}, drawMenuIconSvg()});
    return all;
}

int writeAll(const QString &outDir)
{
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "draw-assets: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    for (const Picture &picture : drawAll()) {
        const QString path = QDir(outDir).filePath(picture.fileName());
        bool written = false;
        if (picture.svg.isEmpty()) {
            written = picture.image.save(path, "PNG");
        } else {
            QFile file(path);
            written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                      file.write(picture.svg) == picture.svg.size() && file.flush();
        }
        if (!written) {
            std::fprintf(stderr, "draw-assets: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

int checkAll(const QString &dir)
{
    int stale = 0;
    for (const Picture &picture : drawAll()) {
        const QString path = QDir(dir).filePath(picture.fileName());
        bool same = false;
        if (picture.svg.isEmpty()) {
            const QImage stored(path);
            same = !stored.isNull() && stored.convertToFormat(QImage::Format_ARGB32) ==
                                           picture.image.convertToFormat(QImage::Format_ARGB32);
        } else {
            QFile file(path);
            same = file.open(QIODevice::ReadOnly) && file.readAll() == picture.svg;
        }
        if (!same) {
            std::fprintf(stderr, "draw-assets: %s is missing or differs from the drawing\n",
                         qPrintable(path));
            ++stale;
        }
    }
    if (stale > 0)
        std::fprintf(stderr, "draw-assets: redraw with `draw-assets %s`\n", qPrintable(dir));
    return stale == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 && !args[0].startsWith('-'))
        return writeAll(args[0]);
    if (args.size() == 2 && args[0] == "--check")
        return checkAll(args[1]);
    std::fprintf(stderr, "usage: draw-assets <output folder>\n"
                         "       draw-assets --check <assets folder>\n");
    return 2;
}
