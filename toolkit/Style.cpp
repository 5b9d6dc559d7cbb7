#include "toolkit/Style.h"

#include "toolkit/Picture.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyleOption>

namespace toolkit {

namespace {

// The game has a handful of colour sets; past this many, controls keep their own palettes.
constexpr qsizetype MaxSharedPalettes = 64;

// An icon whose pictures are read the first time it is drawn or measured.
class LaterIconEngine : public QIconEngine {
public:
    explicit LaterIconEngine(QStringList files) : m_files(std::move(files)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return m_files.isEmpty(); }
    QIconEngine *clone() const override { return new LaterIconEngine(m_files); }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull())
            for (const QString &file : m_files)
                m_icon.addPixmap(picture(file));
        return m_icon;
    }

    QStringList m_files;
    QIcon m_icon;
};

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
    drawShared(
        option,
        [&](const QStyleOptionComplex *o) {
            QProxyStyle::drawComplexControl(control, o, painter, widget);
        });
}

QIcon Style::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                          const QWidget *widget) const
{
    // Every menu bar asks for its overflow button's icon when it is made. These are the pictures
    // Qt's own style gives it, read as the game reads its own, and only when the button is first
    // drawn: the menus of the game's windows always fit across them, so it never is.
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
    return QIcon(new LaterIconEngine(files));
}

} // namespace toolkit
