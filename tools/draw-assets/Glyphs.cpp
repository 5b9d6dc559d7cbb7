// The toolkit's stock pictures: the arrows of the stake box and the glyphs of the new-game
// prompt's buttons, in sixteen colours on an olive ground, the colour that shows through.

#include "Drawing.h"

#include <cmath>

namespace {

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

} // namespace

QList<Picture> glyphPictures(int s)
{
    return {{"spin_up", drawSpinArrow(true, s)},
            {"spin_down", drawSpinArrow(false, s)},
            {"bball", drawTick(s)},
            {"bbno", drawNoSign(s)}};
}
