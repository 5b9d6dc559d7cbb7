#include "toolkit/Controls.h"

#include <QEvent>
#include <QWidget>

namespace toolkit {

QPalette readableWhenDisabled(QPalette palette)
{
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::Base, QPalette::WindowText})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    return palette;
}

void passClicksWhileDisabled(QWidget *control, const QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        control->setAttribute(Qt::WA_TransparentForMouseEvents, !control->isEnabled());
}

} // namespace toolkit
