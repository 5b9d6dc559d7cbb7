#include "toolkit/GlyphButton.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
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

// The two looks of a glyph in one set of colours. The nine card buttons of a table show the same
// card back in the same colours, and every new game's table again, so they share one copy of each
// look instead of drawing and holding their own.
struct Looks {
    QPixmap normal;
    QPixmap disabled;
};

Looks drawLooks(const QPixmap &glyphPixmap, const QColor &light, const QColor &dark)
{
    const QImage glyph = glyphPixmap.toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = glyph.pixel(0, glyph.height() - 1);

    QImage normal = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < normal.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(normal.scanLine(y));
        for (int x = 0; x < normal.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                line[x] = 0;
        }
    }

    QImage disabled(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    disabled.fill(Qt::transparent);
    {
        QPainter p(&disabled);
        p.drawImage(1, 1, shapeOf(glyph, transparent, light));
        p.drawImage(0, 0, shapeOf(glyph, transparent, dark));
    }
    return {QPixmap::fromImage(normal), QPixmap::fromImage(disabled)};
}

// A glyph is known by its pixmap's identity, which every window made from the same picture
// shares. Past a few dozen looks (never reached by the game's pictures) the store starts afresh.
constexpr qsizetype MaxLooks = 32;

struct LooksKey {
    qint64 glyph;
    QRgb light;
    QRgb dark;
    bool operator==(const LooksKey &) const = default;
};

size_t qHash(const LooksKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.glyph, key.light, key.dark);
}

const Looks &looksOf(const QPixmap &glyph, const QColor &light, const QColor &dark)
{
    static QHash<LooksKey, Looks> looks;
    // Pictures go with the application object, not after it.
    static const bool cleared =
        qApp && QObject::connect(qApp, &QObject::destroyed, [] { looks.clear(); });
    Q_UNUSED(cleared);
    const LooksKey key{glyph.cacheKey(), light.rgba(), dark.rgba()};
    auto found = looks.constFind(key);
    if (found != looks.cend())
        return *found;
    if (looks.size() >= MaxLooks)
        looks.clear();
    return *looks.insert(key, drawLooks(glyph, light, dark));
}

} // namespace

void GlyphButton::rebuild()
{
    if (m_glyph.isNull()) {
        m_normal = m_disabled = QPixmap();
        return;
    }
    const Looks &looks =
        looksOf(m_glyph, palette().color(QPalette::Light), palette().color(QPalette::Dark));
    m_normal = looks.normal;
    m_disabled = looks.disabled;
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
