#pragma once

#include <QImage>
#include <QPalette>

class QEvent;
class QWidget;

namespace toolkit {

// The colour of a glyph that shows nothing of its own: the colour of its bottom-left pixel.
inline QRgb transparentColor(const QImage &glyph)
{
    return glyph.pixel(0, glyph.height() - 1);
}

// The palette with a disabled box's text, background and window-text colours the same as an
// enabled one's, so the player can still read a disabled box.
QPalette readableWhenDisabled(QPalette palette);

// A disabled control lets clicks through to whatever lies below it. Called by the control on
// each change event.
void passClicksWhileDisabled(QWidget *control, const QEvent *event);

} // namespace toolkit
