#include "toolkit/Accessible.h"

#include "toolkit/ClickLabel.h"
#include "toolkit/EditBox.h"
#include "toolkit/Form.h"
#include "toolkit/GlyphButton.h"
#include "toolkit/RichEdit.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace toolkit {

namespace {

// A box that shows a text of the game and takes no typing. The player reads it but cannot change
// it, so it is a read-only text field, readable even where the box is drawn disabled.
class TextBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TextBoxAccessible(QWidget *box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Value ? content() : QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.disabled = false;
        s.focusable = false;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // What the box draws its text with is no control of its own.
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return content().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(content().size()); }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

private:
    QString content() const { return widget()->property("text").toString(); }
};

// A control that acts on a click although it is no push button: a label that takes clicks, a
// card button. A screen reader's press is a click at the control's centre, and like the mouse's
// click it goes to whatever lies on top there: a card under a picture cannot be picked.
class PressableAccessible : public QAccessibleWidget {
public:
    explicit PressableAccessible(QWidget *control) : QAccessibleWidget(control, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        const auto *label = qobject_cast<const QLabel *>(widget());
        if (t == QAccessible::Name && label && widget()->accessibleName().isEmpty())
            return label->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString &name) override
    {
        if (name != pressAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        QWidget *control = widget();
        QWidget *window = control->window();
        if (!control->isEnabled() || !control->isVisible() ||
            window->childAt(control->mapTo(window, control->rect().center())) != control)
            return;
        QMetaObject::invokeMethod(control, "click");
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    // A window of the game is built on a plain widget: it is told as a window or a dialog.
    if (className == QLatin1String(Form::staticMetaObject.className()))
        return new QAccessibleWidget(
            widget, widget->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window);
    if (className == QLatin1String(EditBox::staticMetaObject.className()) ||
        className == QLatin1String(RichEdit::staticMetaObject.className()))
        return new TextBoxAccessible(widget);
    if (className == QLatin1String(ClickLabel::staticMetaObject.className()) ||
        className == QLatin1String(GlyphButton::staticMetaObject.className()))
        return new PressableAccessible(widget);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    QAccessible::installFactory(factory);
}

} // namespace toolkit
