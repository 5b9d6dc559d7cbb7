#pragma once

#include <QList>
#include <QPalette>
#include <QProxyStyle>

namespace toolkit {

// The application's style: the platform's own look, with these changes.
//
// Hints show 500 ms after the pointer comes to rest.
//
// Every control is drawn with one shared palette per set of colours. The style keeps drawings of
// buttons and frames in Qt's pixmap cache under names that include the palette's identity, and
// every new control has a palette of its own identity even when its colours equal another's. A
// fresh card table at every new game would so leave a new set of names behind (Qt 6.4 keeps a
// name after its drawing is dropped), and memory would grow with every game played. With shared
// palettes, equal controls share their drawings and a new table reuses the old one's.
//
// Push and radio buttons are drawn by their own state: a window disabled by a dialog keeps its
// buttons' looks, only a button that is itself disabled looks disabled. A radio button's dot is
// drawn in the standard colours, so it shows on its white circle whatever the text colour (Qt
// paints the dot in it).
//
// The menu bar's overflow button gets its icon without Qt's image plugins (see Picture.h).
class Style : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                       const QWidget *widget) const override;

    // The shared palette with the colours of the given one, in its colour group.
    QPalette shared(const QPalette &palette) const;

private:
    template <typename Option, typename Draw>
    void drawShared(const Option *option, Draw draw) const;

    mutable QList<QPalette> m_palettes;
};

} // namespace toolkit
