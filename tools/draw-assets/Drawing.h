// What the picture families of draw-assets share: the drawn picture, the colours and palettes
// several families use, the mapping onto a palette, and the suits and letters drawn as shapes.

#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

// A drawn picture, saved as <name>.png; or, when `svg` is set, a scalable one saved as <name>.svg.
struct Picture {
    QString name;
    QImage image;
    QByteArray svg = {};

    QString fileName() const { return name + (svg.isEmpty() ? ".png" : ".svg"); }
};

// The pictures of each family drawn with s times as many pixels, at their own size (s = 1) or
// at twice it (s = 2, saved as <name>@2x).
QList<Picture> cardPictures(int s);
QList<Picture> dealerPictures(int s);
QList<Picture> iconPictures(int s);
QList<Picture> glyphPictures(int s);

// Colours used by several pictures.
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kOlive = qRgb(128, 128, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);

// The sixteen colours of the classic display adapter, used by the application icon and by the
// toolkit's stock pictures.
QList<QRgb> sixteenColours();

// Maps a drawn RGB picture onto a palette: each pixel takes the nearest of the allowed colours
// (all of the palette when none are given). Every allowed colour must be in the palette.
QImage toIndexed(const QImage &drawn, const QList<QRgb> &palette, QList<QRgb> allowed = {});

QImage canvas(int width, int height, QColor fill);

// Sets the s x s pixels that stand for pixel `at` of the picture at its own size.
void setCell(QImage &image, QPoint at, int s, QRgb colour);

// Paths in a unit box (0,0)-(1,1), placed into a rectangle by placed().
QPainterPath placed(const QPainterPath &unit, const QRectF &box);
QPainterPath heartShape();
QPainterPath spadeShape();
QPainterPath diamondShape();

// Letters as centre lines, stroked with a pen afterwards.
QPainterPath letterA();
QPainterPath letterQ();
QPainterPath figureNine();
void strokeLetter(QPainter &p, const QPainterPath &unit, const QRectF &box, QColor colour,
                  double width);
