#include "toolkit/Style.h"

#include "toolkit/Picture.h"

#include <QApplication>
#include <QIcon>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
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
    if (element == PE_IndicatorRadioButton && option &&
        qobject_cast<const QRadioButton *>(widget)) {
        QStyleOption standard(*option);
        standard.palette = QApplication::palette();
        standard.palette.setCurrentColorGroup(option->palette.currentColorGroup());
        drawShared(&standard, [&](const QStyleOption *o) {
            QProxyStyle::drawPrimitive(element, o, painter, widget);
        });
        return;
    }
    drawShared(option, [&](const QStyleOption *o) {
        QProxyStyle::drawPrimitive(element, o, painter, widget);
    });
}

void Style::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                        const QWidget *widget) const
{
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (button &&
        (qobject_cast<const QPushButton *>(widget) || qobject_cast<const QRadioButton *>(widget)) &&
        !widget->isEnabled() && widget->isEnabledTo(widget->window())) {
        // Disabled only through its window.
        QStyleOptionButton own(*button);
        own.state |= State_Enabled;
        own.palette.setCurrentColorGroup(widget->isActiveWindow() ? QPalette::Active
                                                                  : QPalette::Inactive);
        drawShared(&own, [&](const QStyleOption *o) {
            QProxyStyle::drawControl(element, o, painter, widget);
        });
        return;
    }
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

QIcon Style::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                          const QWidget *widget) const
{
    // Every menu bar asks for its overflow button's icon when it is made. These are the pictures
    // Qt's own style gives it, read as the game reads its own.
    const bool rtl =
        (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
    const QString base = QStringLiteral(":/qt-project.org/styles/commonstyle/images/");
    QStringList files;
    if (standardIcon == SP_ToolBarHorizontalExtensionButton) {
        const QString name = rtl ? QStringLiteral("toolbar-ext-h-rtl-%1.png")
                                 : QStringLiteral("toolbar-ext-h-%1.png");
        for (int size : {8, 16, 32})
            files << base + name.arg(size);
    } else if (standardIcon == SP_ToolBarVerticalExtensionButton) {
        for (int size : {10, 20})
            files << base + QStringLiteral("toolbar-ext-v-%1.png").arg(size);
    } else {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    QIcon icon;
    for (const QString &file : files)
        icon.addPixmap(picture(file));
    return icon;
}

} // namespace toolkit
