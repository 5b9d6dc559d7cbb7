#include "toolkit/GlyphButton.h"

#include <QEvent>
#include <QPainter>

namespace toolkit {

GlyphButton::GlyphButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void GlyphButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    rebuild();
    update();
}

QSize GlyphButton::sizeHint() const
{
    return m_glyph.isNull() ? QSize(23, 22) : m_glyph.size();
}

namespace {

// The pixels of the glyph's transparent colour, as a mask in the given colour.
QImage shapeOf(const QImage &glyph, QRgb transparent, const QColor &color)
{
    QImage shape(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    const QRgb rgb = color.rgba();
    for (int y = 0; y < glyph.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(glyph.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(shape.scanLine(y));
        for (int x = 0; x < glyph.width(); ++x) {
            if ((in[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                out[x] = rgb;
        }
    }
    return shape;
}

} // namespace

void GlyphButton::rebuild()
{
    if (m_glyph.isNull()) {
        m_normal = m_disabled = QPixmap();
        return;
    }
    const QImage glyph = m_glyph.toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = glyph.pixel(0, glyph.height() - 1);

    QImage normal = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < normal.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(normal.scanLine(y));
        for (int x = 0; x < normal.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                line[x] = 0;
        }
    }
    m_normal = QPixmap::fromImage(normal);

    QImage disabled(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    disabled.fill(Qt::transparent);
    {
        QPainter p(&disabled);
        p.drawImage(1, 1, shapeOf(glyph, transparent, palette().color(QPalette::Light)));
        p.drawImage(0, 0, shapeOf(glyph, transparent, palette().color(QPalette::Dark)));
    }
    m_disabled = QPixmap::fromImage(disabled);
}

QImage GlyphButton::normalImage() const
{
    return m_normal.toImage();
}

QImage GlyphButton::disabledImage() const
{
    return m_disabled.toImage();
}

void GlyphButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    // The button's own state decides its look: a window disabled by a dialog keeps it.
    const bool enabled = isEnabledTo(window());
    const QPixmap &image = enabled ? m_normal : m_disabled;
    if (image.isNull())
        return;
    QPoint at((width() - image.width()) / 2, (height() - image.height()) / 2);
    if (isDown() && enabled)
        at += QPoint(1, 1);
    p.drawPixmap(at, image);
}

void GlyphButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
    else if (event->type() == QEvent::PaletteChange)
        rebuild();
    QAbstractButton::changeEvent(event);
}

} // namespace toolkit
