#include "toolkit/RichEdit.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPainter>

namespace toolkit {

namespace {

// The space between the box's frame and its text.
constexpr int Margin = 4;
// Of a text wider than the box only its start shows; a longer text is laid out no further.
constexpr qsizetype MostShown = 1024;

} // namespace

RichEdit::RichEdit(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void RichEdit::setText(const QString &text)
{
    if (text == m_text)
        return;
    const QString old = m_text;
    m_text = text;
    update();
    if (QAccessible::isActive() && isVisible()) {
        QAccessibleTextUpdateEvent event(this, 0, old, text);
        QAccessible::updateAccessibility(&event);
    }
}

void RichEdit::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect inside = contentsRect();
    p.fillRect(inside, palette().color(QPalette::Base));
    p.setClipRect(inside);
    p.setPen(palette().color(QPalette::Text));
    const QRect line = inside.adjusted(Margin, Margin, -Margin, -Margin);
    QString shown = m_text.left(MostShown);
    if (shown.size() < m_text.size() && shown.back().isHighSurrogate())
        shown.chop(1);
    const bool fits = shown.size() == m_text.size() &&
                      QFontMetricsF(font()).horizontalAdvance(shown) <= line.width();
    p.drawText(line, Qt::TextDontClip | Qt::AlignTop | (fits ? Qt::AlignHCenter : Qt::AlignLeft),
               shown);
}

} // namespace toolkit
