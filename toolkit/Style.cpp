#include "toolkit/Style.h"

#include <QStyleOption>

namespace toolkit {

namespace {

// The game has a handful of colour sets; past this many, controls keep their own palettes.
constexpr qsizetype MaxSharedPalettes = 64;

} // namespace

int Style::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                     QStyleHintReturn *returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return 500;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QPalette Style::shared(const QPalette &palette) const
{
    for (const QPalette &known : std::as_const(m_palettes)) {
        if (known == palette) {
            QPalette copy = known;
            copy.setCurrentColorGroup(palette.currentColorGroup());
            return copy;
        }
    }
    if (m_palettes.size() < MaxSharedPalettes)
        m_palettes.append(palette);
    return palette;
}

template <typename Option, typename Draw>
void Style::drawShared(const Option *option, Draw draw) const
{
    if (!option) {
        draw(option);
        return;
    }
    // Qt builds every option it hands to the style as a local of the drawing function, so it may
    // lend its palette for the one call; it gets its own back before the call returns.
    auto *lent = const_cast<Option *>(option);
    const QPalette own = lent->palette;
    lent->palette = shared(own);
    draw(lent);
    lent->palette = own;
}

void Style::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                          const QWidget *widget) const
{
    drawShared(option, [&](const QStyleOption *o) {
        QProxyStyle::drawPrimitive(element, o, painter, widget);
    });
}

void Style::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                        const QWidget *widget) const
{
    drawShared(option, [&](const QStyleOption *o) {
        QProxyStyle::drawControl(element, o, painter, widget);
    });
}

void Style::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                               QPainter *painter, const QWidget *widget) const
{
    drawShared(option, [&](const QStyleOptionComplex *o) {
        QProxyStyle::drawComplexControl(control, o, painter, widget);
    });
}

} // namespace toolkit
