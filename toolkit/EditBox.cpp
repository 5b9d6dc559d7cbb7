#include "toolkit/EditBox.h"

#include "toolkit/Controls.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetrics>
#include <QLineEdit>

#include <limits>

namespace toolkit {

namespace {

// A text up to this length is shown whole.
constexpr qsizetype WholeLength = 1024;
// The most of a longer text that is ever laid out.
constexpr qsizetype MostShown = 65536;

} // namespace

EditBox::EditBox(QWidget *parent) : QWidget(parent) {}

void EditBox::setText(const QString &text)
{
    const QString old = m_text;
    m_text = text;
    refresh();
    if (QAccessible::isActive() && isVisible() && old != text) {
        QAccessibleTextUpdateEvent event(this, 0, old, text);
        QAccessible::updateAccessibility(&event);
    }
}

void EditBox::setFrame(bool frame)
{
    m_frame = frame;
    if (m_view)
        m_view->setFrame(frame);
}

void EditBox::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    if (m_view)
        m_view->setAlignment(alignment);
}

QSize EditBox::sizeHint() const
{
    return m_view ? m_view->sizeHint() : QWidget::sizeHint();
}

QString EditBox::shownText() const
{
    // Of a text wider than the box its beginning shows, as in any edit box given a text. Of a
    // long text, then, only a beginning wider than the box is laid out; the rest could never be
    // seen.
    if (m_text.size() <= WholeLength)
        return m_text;
    const QFontMetrics metrics(font());
    for (qsizetype length = WholeLength;; length *= 4) {
        if (length >= m_text.size())
            return m_text;
        QStringView start = QStringView(m_text).left(length);
        if (start.back().isHighSurrogate())
            start.chop(1);
        if (length >= MostShown || metrics.horizontalAdvance(start.toString()) > width())
            return start.toString();
    }
}

void EditBox::refresh()
{
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    if (!m_view) {
        m_view = new QLineEdit(this);
        m_view->setFocusPolicy(Qt::NoFocus);
        m_view->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_view->setContextMenuPolicy(Qt::NoContextMenu);
        m_view->setMaxLength(std::numeric_limits<int>::max());
        m_view->setFrame(m_frame);
        m_view->setAlignment(m_alignment);
        m_view->setGeometry(rect());
        m_view->setPalette(readableWhenDisabled(palette()));
        m_view->show();
    }
    m_view->setText(shownText());
    // A line edit puts its cursor, and so its view, at the end of a text it is given.
    m_view->setCursorPosition(0);
}

void EditBox::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (!m_view)
        return;
    if (event->type() == QEvent::PaletteChange)
        m_view->setPalette(readableWhenDisabled(palette()));
    else if (event->type() == QEvent::FontChange)
        refresh();
}

void EditBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_view) {
        m_view->setGeometry(rect());
        refresh();
    }
}

void EditBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_stale || !m_view)
        refresh();
}

} // namespace toolkit
