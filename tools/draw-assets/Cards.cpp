// The card back and the three card faces.

#include "Drawing.h"

#include <QPen>
#include <QPolygonF>
#include <cmath>
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

constexpr QRgb kDarkRed = qRgb(192, 0, 0);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kPaleYellow = qRgb(255, 255, 128);

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
            setCell(image, at, s, kPaleYellow);
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
    return drawFace(
        s, inkQueenOfSpades,
        [](QImage &image, QList<QPoint> &flecked) {
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

} // namespace

QList<Picture> cardPictures(int s)
{
    return {{"cardback", drawCardBack(s)},
            {"queen_spades", drawQueenOfSpades(s)},
            {"ace_diamonds", drawAceOfDiamonds(s)},
            {"nine_hearts", drawNineOfHearts(s)}};
}
