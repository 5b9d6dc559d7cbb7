#include "toolkit/Form.h"

#include "toolkit/Application.h"
#include "toolkit/EditBox.h"
#include "toolkit/Handler.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

#include <limits>

namespace toolkit {

Form::Form(QWidget *parent) : QMainWindow(parent) {}

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
    QMainWindow::keyPressEvent(event);
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
        guard([this] { close(); });
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
           qobject_cast<const QTextEdit *>(widget) ||
           qobject_cast<const QAbstractSpinBox *>(widget);
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
    setColor(widget, QPalette::WindowText, color);
    setColor(widget, QPalette::Text, color);
    if (qobject_cast<QAbstractButton *>(widget))
        setColor(widget, QPalette::ButtonText, color);
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
}

} // namespace

void Form::applyDesign(Border border)
{
    // The layout's window size is the size of the client area.
    const QSize clientSize = size();
    applyWidgetDesign(this);
    for (QWidget *child : findChildren<QWidget *>())
        applyWidgetDesign(child);
    if (QWidget *client = centralWidget()) {
        if (border == Border::Fixed) {
            client->setFixedSize(clientSize);
            layout()->setSizeConstraint(QLayout::SetFixedSize);
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
    // Centred on the screen the first time it is shown; afterwards it comes back where it was.
    if (!m_placed) {
        m_placed = true;
        placeAtScreenCentre();
    }
    QMainWindow::showEvent(event);
    // A window that is shown becomes the active one, so its keys (Enter, Esc) reach it even
    // without a title bar to click.
    activateWindow();
}

void Form::placeAtScreenCentre()
{
    const QScreen *screen = QApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

} // namespace toolkit
