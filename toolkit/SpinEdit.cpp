#include "toolkit/SpinEdit.h"

#include "toolkit/Controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyleOptionSpinBox>
#include <QStylePainter>

namespace toolkit {

SpinEdit::SpinEdit(QWidget *parent) : QSpinBox(parent), m_repeat(new QTimer(this))
{
    // The text is never edited; the box still takes the focus and the tab order like an edit box.
    lineEdit()->setReadOnly(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    m_repeat->setObjectName(QStringLiteral("repeat"));
    m_repeat->setSingleShot(true);
    m_repeat->setTimerType(Qt::PreciseTimer);
    connect(m_repeat, &QTimer::timeout, this, &SpinEdit::repeat);
}

QPixmap SpinEdit::transparentGlyph(const QPixmap &glyph)
{
    if (glyph.isNull())
        return glyph;
    QImage image = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = transparentColor(image);
    for (int y = 0; y < image.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = 0;
    }
    return QPixmap::fromImage(image);
}

void SpinEdit::setUpGlyph(const QPixmap &glyph)
{
    m_upGlyph = transparentGlyph(glyph);
    update();
}

void SpinEdit::setDownGlyph(const QPixmap &glyph)
{
    m_downGlyph = transparentGlyph(glyph);
    update();
}

void SpinEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        QSpinBox::keyPressEvent(event);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Delete:
        event->accept();
        return;
    case Qt::Key_Backspace:
        QApplication::beep();
        event->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QSpinBox::keyPressEvent(event);
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        QSpinBox::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        event->accept();
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QApplication::beep();
        event->accept();
        return;
    }
    // Access keys and short-cuts of the window go on to it.
    event->ignore();
}

void SpinEdit::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void SpinEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // The text box's own menu, which for a read-only box holds only Copy and Select All; the
    // spin box would add Step up and Step down.
    QMenu *menu = lineEdit()->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

QStyle::SubControl SpinEdit::arrowAt(const QPoint &pos) const
{
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QStyle::SubControl control =
        style()->hitTestComplexControl(QStyle::CC_SpinBox, &option, pos, this);
    return control == QStyle::SC_SpinBoxUp || control == QStyle::SC_SpinBoxDown ? control
                                                                                : QStyle::SC_None;
}

void SpinEdit::mousePressEvent(QMouseEvent *event)
{
    const QStyle::SubControl arrow = arrowAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || arrow == QStyle::SC_None) {
        QSpinBox::mousePressEvent(event);
        return;
    }
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    m_pressed = arrow;
    m_over = true;
    m_repeat->start(FirstRepeatMs);
    update();
    event->accept();
}

void SpinEdit::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed == QStyle::SC_None) {
        QSpinBox::mouseMoveEvent(event);
        return;
    }
    const bool over = arrowAt(event->position().toPoint()) == m_pressed;
    if (over != m_over) {
        m_over = over;
        update();
    }
    event->accept();
}

void SpinEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressed == QStyle::SC_None || event->button() != Qt::LeftButton) {
        QSpinBox::mouseReleaseEvent(event);
        return;
    }
    m_repeat->stop();
    if (arrowAt(event->position().toPoint()) == m_pressed)
        step();
    m_pressed = QStyle::SC_None;
    m_over = false;
    update();
    event->accept();
}

void SpinEdit::step()
{
    stepBy(m_pressed == QStyle::SC_SpinBoxUp ? 1 : -1);
}

void SpinEdit::repeat()
{
    if (m_pressed == QStyle::SC_None)
        return;
    if (m_over)
        step();
    m_repeat->start(RepeatMs);
}

void SpinEdit::paintEvent(QPaintEvent *)
{
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    if (m_pressed != QStyle::SC_None && m_over) {
        option.activeSubControls = m_pressed;
        option.state |= QStyle::State_Sunken;
    } else {
        option.activeSubControls = QStyle::SC_None;
    }
    QStylePainter painter(this);
    painter.drawComplexControl(QStyle::CC_SpinBox, option);

    // The arrows' own pictures replace the style's arrows.
    const bool sunken = m_pressed != QStyle::SC_None && m_over;
    for (const auto &[control, glyph] : {std::pair{QStyle::SC_SpinBoxUp, &m_upGlyph},
                                         std::pair{QStyle::SC_SpinBoxDown, &m_downGlyph}}) {
        if (glyph->isNull())
            continue;
        const QRect button = style()->subControlRect(QStyle::CC_SpinBox, &option, control, this);
        painter.fillRect(button.adjusted(2, 2, -2, -2), palette().color(QPalette::Button));
        const QSize size = glyph->deviceIndependentSize().toSize();
        QPoint at = button.center() - QPoint(size.width() / 2, size.height() / 2) + QPoint(1, 1);
        if (sunken && m_pressed == control)
            at += QPoint(1, 1);
        // An arrow drawn for a scaled screen is scaled smoothly to the screen's pixels.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, glyph->devicePixelRatio() != 1.0);
        painter.drawPixmap(at, *glyph);
    }
}

} // namespace toolkit
