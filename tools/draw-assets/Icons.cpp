// The icons and the About picture: the three fanned cards, the portrait, the application icon
// of the game's windows and the menu icon of the desktop.

#include "Drawing.h"

#include <QLinearGradient>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <functional>

namespace {

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
        setCell(image, at, s, mark);
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

const QRgb kIconEdge = qRgb(128, 128, 128);

const IconCard kIconCards[3] = {
    {2, 7, 3, {"..X..", ".XXX.", "XXXXX", "XXXXX", "X.X.X", "..X..", ".XXX."}, Qt::black},
    {11, 11, 3, {"..X..", ".XXX.", ".XXX.", "XXXXX", ".XXX.", ".XXX.", "..X.."}, QColor(255, 0, 0)},
    {20, 7, 4, {".X.X.", "XXXXX", "XXXXX", ".XXX.", "..X..", ".....", "....."}, QColor(255, 0, 0)},
};

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
    drawSunkenEdge(image, kIconEdge, 1);
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
    drawSunkenEdge(image, kIconEdge, 2);
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

// The menu icon of `size` pixels, drawn with s times as many: a scaled desktop shows the icon of
// that size with the design of that size and twice the detail.
QImage drawMenuIcon(int size, int s)
{
    QImage image(size * s, size * s, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size * s / 32.0, size * s / 32.0);
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

} // namespace

QList<Picture> iconPictures(int s)
{
    QList<Picture> all = {
        {"about", drawFan(50, s)},
        {"icon_cards", drawFan(32, s)},
        {"icon_cards2", shadeFewPixels(drawFan(32, 1), drawFan(32, s))},
        {"icon_portrait", drawPortraitIcon(s)},
        {"app_icon", toIndexed(s == 1 ? drawAppIconPixels() : drawAppIcon2x(), sixteenColours())}};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        all.append({QString("menu_icon_%1").arg(size), drawMenuIcon(size, s)});
    if (s == 1)
        all.append({"menu_icon", {}, drawMenuIconSvg()});
    return all;
}
