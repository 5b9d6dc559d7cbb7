#include "toolkit/Form.h"

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/EditBox.h"
#include "toolkit/Handler.h"
#include "toolkit/RichEdit.h"
#include "toolkit/Style.h"
#include "toolkit/WindowManager.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <limits>
#include <utility>

namespace toolkit {

Form::Form(QWidget *parent) : QWidget(parent, Qt::Window), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

void Form::formClose(CloseAction &) {}

QColor desktopColor()
{
    return QColor(0, 128, 128);
}

void Form::keyPressEvent(QKeyEvent *event)
{
    QPushButton *button = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        button = m_defaultButton;
    else if (event->key() == Qt::Key_Escape)
        button = m_cancelButton;
    if (button && button->isEnabled() && button->isVisible()) {
        event->accept();
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form::close()
{
    CloseAction action = CloseAction::Hide;
    formClose(action);
    Application &app = Application::instance();
    if (app.mainForm() == this)
        app.terminate();
    else if (action == CloseAction::Hide)
        hide();
}

void Form::closeEvent(QCloseEvent *event)
{
    // The window is hidden (or the program ended) by our own close operation, never by Qt.
    event->ignore();
    if (takesCloseRequests())
        guard(this, [this] { close(); });
}

namespace {

void setColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

bool isEditBox(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const EditBox *>(widget) ||
           qobject_cast<const RichEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget);
}

} // namespace

void setBackColor(QWidget *widget, const QColor &color)
{
    if (isEditBox(widget)) {
        setColor(widget, QPalette::Base, color);
        return;
    }
    setColor(widget, QPalette::Window, color);
    setColor(widget, widget->backgroundRole(), color);
    widget->setAutoFillBackground(true);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    if (!qobject_cast<QAbstractButton *>(widget)) {
        // Labels, and edit boxes even when disabled, so the player can read them.
        setColor(widget, QPalette::WindowText, color);
        setColor(widget, QPalette::Text, color);
        return;
    }
    // A disabled button shows its text in the disabled colour.
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role :
             {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, color);
    widget->setPalette(palette);
}

namespace {

void applyWidgetDesign(QWidget *widget)
{
    const QVariant pixelSize = widget->property("pixelSize");
    if (pixelSize.isValid()) {
        QFont font = widget->font();
        font.setPixelSize(pixelSize.toInt());
        widget->setFont(font);
    }
    const QVariant textColor = widget->property("textColor");
    if (textColor.isValid())
        setTextColor(widget, QColor::fromString(textColor.toString()));
    const QVariant backColor = widget->property("backColor");
    if (backColor.isValid()) {
        const QString name = backColor.toString();
        setBackColor(widget,
                     name == QLatin1String("desktop") ? desktopColor() : QColor::fromString(name));
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        // A label is as wide as its text, at least as wide as designed.
        if (!label->text().isEmpty() && !label->wordWrap() &&
            label->sizeHint().width() > label->width())
            label->resize(label->sizeHint().width(), label->height());
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        // Qt would cut a box's text at 32767 characters; the game's boxes hold any length.
        if (edit->maxLength() == 32767)
            edit->setMaxLength(std::numeric_limits<int>::max());
    }
    if (auto *button = qobject_cast<QPushButton *>(widget))
        button->setAutoDefault(true);
    if (!widget->toolTip().isEmpty())
        widget->setToolTipDuration(2500);
    if (auto *menuBar = qobject_cast<QMenuBar *>(widget)) {
        // The menu keeps the system's font and colours, not the window's.
        menuBar->setFont(QApplication::font());
        menuBar->setPalette(QApplication::palette());
    }
    if (isEditBox(widget))
        widget->setPalette(readableWhenDisabled(widget->palette()));
}

} // namespace

void Form::applyDesign(Border border)
{
    m_client = findChild<QWidget *>(QStringLiteral("centralwidget"), Qt::FindDirectChildrenOnly);
    if (m_client)
        m_layout->addWidget(m_client);
    m_menuBar = findChild<QMenuBar *>(QString(), Qt::FindDirectChildrenOnly);
    m_layout->setMenuBar(m_menuBar);
    // The layout's window size is the size of the client area.
    const QSize clientSize = size();
    applyWidgetDesign(this);
    for (QWidget *child : findChildren<QWidget *>())
        applyWidgetDesign(child);
    if (QWidget *client = centralWidget()) {
        if (border == Border::Fixed) {
            client->setFixedSize(clientSize);
            m_layout->setSizeConstraint(QLayout::SetFixedSize);
        } else {
            client->setMinimumSize(QSize(1, 1));
            client->resize(clientSize);
        }
    }
    resize(clientSize.width(),
           clientSize.height() + (menuWidget() ? menuWidget()->sizeHint().height() : 0));
}

void Form::showEvent(QShowEvent *event)
{
    if (m_owner) {
        if (QWidget *owner = m_owner()) {
            owner->winId();
            windowHandle()->setTransientParent(owner->windowHandle());
        }
    }
    // Centred on the screen the first time it is shown; afterwards it comes back where it was.
    if (!m_placed) {
        m_placed = true;
        placeAtScreenCentre();
    } else if (!event->spontaneous()) {
        // Back where it was when hidden (a window the player restores from the task bar is where
        // the player left it).
        m_returning = !placeAgain(this, m_shownAt);
        if (geometry().topLeft() != m_shownAt)
            setGeometry(QRect(m_shownAt, size()));
    }
    QWidget::showEvent(event);
    // A window that is shown becomes the active one, so its keys (Enter, Esc) reach it even
    // without a title bar to click.
    makeActive(this);
}

void Form::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_shownAt = geometry().topLeft();
    // A hidden window gives back its window buffer, a whole window of pixels shared with the X
    // server: the splash window, the dialogs and the card tables a new game replaced are hidden
    // for most of the run. Qt draws a window whole again at its next showing, at its size. A
    // window the player minimises keeps its buffer.
    if (event->spontaneous())
        return;
    if (QBackingStore *store = backingStore())
        store->resize(QSize(1, 1));
}

void makeActive(QWidget *window)
{
    window->window()->winId();
    window->window()->windowHandle()->requestActivate();
}

void Form::placeAtScreenCentre()
{
    // The frame is known before the window is mapped, so the window is placed once and does not
    // move afterwards.
    m_frame = frameExtents(this);
    centreOnScreen();
}

QRect Form::screenArea()
{
    const QScreen *screen = QApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void Form::centreOnScreen()
{
    const QRect area = screenArea();
    if (area.isEmpty())
        return;
    centreWindow(this, area, m_frame);
    m_centredAt = m_shownAt = geometry().topLeft();
}

void Form::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A window disabled by a dialog passes the focus on to that dialog whenever the window manager
    // gives it the focus: when the player restores it from the task bar, when a box over the
    // dialog closes, or when the manager refused the dialog the focus as it opened.
    if ((event->type() == QEvent::ActivationChange || event->type() == QEvent::EnabledChange) &&
        !isEnabled() && windowHandle() && QGuiApplication::focusWindow() == windowHandle()) {
        if (QWidget *dialog = enabledDialog())
            makeActive(dialog);
    }
}

QWidget *Form::enabledDialog() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        QWidget *window = *it;
        if (window != this && window->isVisible() && window->isEnabled() &&
            !window->isMinimized() && window->windowHandle() &&
            window->windowHandle()->transientParent() == windowHandle())
            return window;
    }
    return nullptr;
}

bool Form::event(QEvent *event)
{
    // A window manager that could not tell the frame in advance has now framed the window
    // differently: the window is centred again, unless the player has moved it meanwhile.
    if (event->type() == frameEventType()) {
        const QMargins frame = frameExtents(this);
        if (std::exchange(m_returning, false) && isVisible() && geometry().topLeft() != m_shownAt) {
            // A busy manager let go of the window only after it was shown again, and framed it
            // at its frame's corner.
            setGeometry(QRect(m_shownAt, size()));
        } else if (isVisible() && frame != m_frame && geometry().topLeft() == m_centredAt) {
            m_frame = frame;
            // A window a pixel or two off the centre (fluxbox adds a grip below a sizeable window
            // to the frame it told) stays where the player has seen it come up.
            const QRect area = screenArea();
            const QPoint offCentre = geometry().marginsAdded(frame).center() - area.center();
            if (offCentre.manhattanLength() > 2)
                centreOnScreen();
        }
        return true;
    }
    return QWidget::event(event);
}

QRect Form::outerGeometry() const
{
    const QWindow *handle = windowHandle();
    const QMargins known = handle && isVisible() ? handle->frameMargins() : QMargins();
    return geometry().marginsAdded(known.isNull() ? m_frame : known);
}

void centreWindow(QWidget *window, const QRect &area, const QMargins &frame)
{
    const QSize outer = window->size().grownBy(frame);
    const QPoint topLeft(area.x() + (area.width() - outer.width()) / 2,
                         area.y() + (area.height() - outer.height()) / 2);
    window->setGeometry(QRect(topLeft + QPoint(frame.left(), frame.top()), window->size()));
}

} // namespace toolkit
