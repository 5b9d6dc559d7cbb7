#pragma once

#include <QAbstractButton>
#include <QBitmap>
#include <QImage>
#include <QPixmap>

class QPainter;

namespace toolkit {

// A flat picture button without a caption. Its glyph is drawn at natural size, centred and
// clipped to the button; every pixel of the glyph's transparent colour (see transparentColor())
// shows the button-face colour. Pressed, the glyph moves one pixel right and
// down; disabled, it is embossed: the transparent colour's shape in the button-shadow colour over
// a copy in the button-highlight colour one pixel down and to the right, the rest button face.
// A disabled or hidden button lets clicks through to whatever lies below it.
class GlyphButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap glyph READ glyph WRITE setGlyph)

public:
    explicit GlyphButton(QWidget *parent = nullptr);

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);

    // The image the enabled button is drawn from, without the button face behind it.
    QImage normalImage() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Draws a look of the glyph; `step` is the embossing's offset in the glyph's pixels.
    void drawLook(QPainter &p, QPoint at, bool enabled, const QPixmap &glyph, const QBitmap &shape,
                  int step) const;
    QImage lookImage(bool enabled) const;

    QPixmap m_glyph;
    // The glyph's pixels of its transparent colour.
    QBitmap m_shape;
};

} // namespace toolkit
