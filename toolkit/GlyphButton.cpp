#include "toolkit/GlyphButton.h"

#include "toolkit/Controls.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QPainter>

namespace toolkit {

GlyphButton::GlyphButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

QSize GlyphButton::sizeHint() const
{
    return m_glyph.isNull() ? QSize(23, 22) : m_glyph.deviceIndependentSize().toSize();
}

namespace {

// The pixels of the glyph's transparent colour, as a
// one-bit mask: all either look of a glyph needs besides the glyph itself. The nine card buttons
// of a table show the same card back, and every new game's table again, so they share one mask
// per picture instead of each holding full-colour copies of both looks.
QBitmap drawShape(const QPixmap &glyphPixmap)
{
    const QImage glyph = glyphPixmap.toImage().convertToFormat(QImage::Format_RGB32);
    // Qt's "mask out" sets the bits of the pixels of that colour (its "mask in" clears them).
    return QBitmap::fromImage(glyph.createMaskFromColor(transparentColor(glyph), Qt::MaskOutColor));
}

// A glyph is known by its pixmap's identity, which every window made from the same picture
// shares. Past a few dozen pictures (never reached by the game's) the store starts afresh.
constexpr qsizetype MaxShapes = 32;

QBitmap shapeOf(const QPixmap &glyph)
{
    static QHash<qint64, QBitmap> shapes;
    // Pictures go with the application object, not after it.
    static const bool cleared =
        qApp && QObject::connect(qApp, &QObject::destroyed, [] { shapes.clear(); });
    Q_UNUSED(cleared);
    auto found = shapes.constFind(glyph.cacheKey());
    if (found != shapes.cend())
        return *found;
    if (shapes.size() >= MaxShapes)
        shapes.clear();
    return *shapes.insert(glyph.cacheKey(), drawShape(glyph));
}

// The bits set in a mask, in one colour.
void drawMask(QPainter &p, QPoint at, const QBitmap &mask, const QColor &color)
{
    p.setPen(color);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawPixmap(at, mask);
}

} // namespace

void GlyphButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    m_shape = glyph.isNull() ? QBitmap() : shapeOf(glyph);
    update();
}

void GlyphButton::drawLook(QPainter &p, QPoint at, bool enabled, const QPixmap &glyph,
                           const QBitmap &shape, int step) const
{
    if (enabled) {
        p.drawPixmap(at, glyph);
        drawMask(p, at, shape, palette().color(QPalette::Button));
    } else {
        // The embossing colours are the enabled button's, not the greyed ones.
        drawMask(p, at + QPoint(step, step), shape,
                 palette().color(QPalette::Active, QPalette::Light));
        drawMask(p, at, shape, palette().color(QPalette::Active, QPalette::Dark));
    }
}

QImage GlyphButton::lookImage(bool enabled) const
{
    if (m_glyph.isNull())
        return QImage();
    // Made in the glyph's own pixels: a glyph drawn for a scaled screen is embossed by as many of
    // them as make one pixel of the window.
    const qreal ratio = m_glyph.devicePixelRatio();
    QPixmap glyph = m_glyph;
    QBitmap shape = m_shape;
    glyph.setDevicePixelRatio(1.0);
    shape.setDevicePixelRatio(1.0);
    QImage image(m_glyph.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        drawLook(p, QPoint(0, 0), enabled, glyph, shape, qRound(ratio));
        if (enabled) {
            // Without the button face behind it, the transparent colour shows nothing.
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            p.setClipRegion(QRegion(m_shape));
            p.fillRect(image.rect(), Qt::transparent);
        }
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

QImage GlyphButton::normalImage() const
{
    return lookImage(true);
}

void GlyphButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    // The button's own state decides its look: a window disabled by a dialog keeps it.
    const bool enabled = isEnabledTo(window());
    if (m_glyph.isNull())
        return;
    const QSize size = m_glyph.deviceIndependentSize().toSize();
    QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2);
    if (isDown() && enabled)
        at += QPoint(1, 1);
    if (m_glyph.devicePixelRatio() == 1.0) {
        drawLook(p, at, enabled, m_glyph, m_shape, 1);
        return;
    }
    // A glyph drawn for a scaled screen: its look, scaled smoothly to the screen's pixels.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(at, size), lookImage(enabled));
}

void GlyphButton::changeEvent(QEvent *event)
{
    passClicksWhileDisabled(this, event);
    QAbstractButton::changeEvent(event);
}

} // namespace toolkit
