// The dealer in his three moods: the same man, shirt and background, with a calm, a dismayed
// and a grinning face.

#include "Drawing.h"

#include <QLinearGradient>
#include <QPen>
#include <QPolygonF>

namespace {

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

} // namespace

QList<Picture> dealerPictures(int s)
{
    return {{"dealer_calm", drawDealer(Mood::Calm, s)},
            {"dealer_dismayed", drawDealer(Mood::Dismayed, s)},
            {"dealer_grinning", drawDealer(Mood::Grinning, s)}};
}
