#pragma once

#include <QColor>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>

class QMenuBar;
class QVBoxLayout;

namespace toolkit {

enum class CloseAction { None, Hide };
enum class Border { Fixed, Sizeable };

// The base of the game's windows. The window's client area is the central widget, the design's
// "centralwidget", laid out at its designed size; the design's menu bar, where there is one, lies
// above it. (A QMainWindow would bring its whole tool-bar and dock machinery along, about half a
// megabyte of the game's memory, for windows that have neither.)
class Form : public QWidget {
    Q_OBJECT

public:
    explicit Form(QWidget *parent = nullptr);

    QWidget *centralWidget() const { return m_client; }
    QMenuBar *menuWidget() const { return m_menuBar; }

    // The close operation: the close handler runs with the action "hide"; the main window then
    // asks the application to end, any other window hides (it is never destroyed). A close
    // request from the window manager goes the same way.
    void close();

    // The whole window on the screen, frame included.
    QRect outerGeometry() const;

protected:
    // The window's close handler; none by default.
    virtual void formClose(CloseAction &action);
    // Whether the window manager's close request and Alt+F4 close the window at all. Dialogs that
    // can be left only through their buttons ignore them.
    virtual bool takesCloseRequests() const { return true; }

    // Applies the design values of the layout that Qt's properties do not carry, read from the
    // dynamic properties "pixelSize" (character height), "textColor" and "backColor" of each
    // widget and fixes the client area at its designed size. Called once, after setupUi().
    // The window is placed at the centre of the screen the first time it is shown.
    void applyDesign(Border border = Border::Fixed);
    void placeAtScreenCentre();

    // Makes the window a dialog of the window the function names at each showing: the window
    // manager keeps it above that window, minimises it with it and leaves it off the task bar.
    void setOwner(std::function<QWidget *()> owner) { m_owner = std::move(owner); }

    // Enter clicks the default button and Esc the cancel button, while they are enabled; Enter on
    // a focused push button clicks that button.
    void setDefaultButton(QPushButton *button) { m_defaultButton = button; }
    void setCancelButton(QPushButton *button) { m_cancelButton = button; }

    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void centreOnScreen();
    static QRect screenArea();
    // The dialog that has this window disabled, or the open error box.
    QWidget *enabledDialog() const;

    QVBoxLayout *m_layout;
    QWidget *m_client = nullptr;
    QMenuBar *m_menuBar = nullptr;
    bool m_placed = false;
    QMargins m_frame;
    // Where the window was centred, and where it was when last hidden (its client area's corner).
    QPoint m_centredAt;
    QPoint m_shownAt;
    // Shown again before the window manager let go of it: put back once the manager has framed it.
    bool m_returning = false;
    std::function<QWidget *()> m_owner;
    QPointer<QPushButton> m_defaultButton;
    QPointer<QPushButton> m_cancelButton;
};

// Places the window, frame included, at the centre of the area; frame is the frame the window
// manager gives it.
void centreWindow(QWidget *window, const QRect &area, const QMargins &frame);

// Asks for the window to become the active one. (QWidget::activateWindow() asks nothing while the
// window's dialog, or the window it is a dialog of, is active: Qt counts them as one.)
void makeActive(QWidget *window);

// The desktop's colour in the standard colour scheme.
QColor desktopColor();
// A control's background colour (the base of an edit box), and its text colour.
void setBackColor(QWidget *widget, const QColor &color);
void setTextColor(QWidget *widget, const QColor &color);

} // namespace toolkit
