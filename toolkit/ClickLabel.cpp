#include "toolkit/ClickLabel.h"

#include "toolkit/Controls.h"

#include <QMouseEvent>

namespace toolkit {

ClickLabel::ClickLabel(QWidget *parent) : QLabel(parent) {}

void ClickLabel::click()
{
    if (isEnabled())
        emit clicked();
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void ClickLabel::changeEvent(QEvent *event)
{
    passClicksWhileDisabled(this, event);
    QLabel::changeEvent(event);
}

} // namespace toolkit
