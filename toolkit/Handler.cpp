#include "toolkit/Handler.h"

#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/WindowManager.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

namespace toolkit {

namespace {

// The error box: a dialog of the window it is shown over, kept above every window of the game.
class ErrorBox : public QMessageBox {
public:
    ErrorBox(const QString &text, QWidget *owner, QWidget *over)
        : QMessageBox(QMessageBox::Critical, Application::instance().title(), text, QMessageBox::Ok,
                      owner),
          m_over(over)
    {
        setObjectName(QStringLiteral("ErrorBox"));
        setWindowModality(Qt::ApplicationModal);
        setWindowFlag(Qt::WindowStaysOnTopHint);
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        // The box knows its size only now; it is placed, frame included, before it is mapped.
        QMessageBox::showEvent(event);
        QRect area;
        if (auto *form = qobject_cast<Form *>(m_over.data()))
            area = form->outerGeometry();
        else if (m_over)
            area = m_over->frameGeometry();
        else if (const QScreen *screen = QApplication::primaryScreen())
            area = screen->availableGeometry();
        if (area.isValid())
            centreWindow(this, area, frameExtents(this));
        raise();
        makeActive(this);
    }

private:
    QPointer<QWidget> m_over;
};

bool canTakeFocus(const QWidget *window)
{
    return window && window->isVisible() && window->isEnabled() && !window->isMinimized();
}

} // namespace

void showErrorBox(const QString &message, QWidget *raisedBy)
{
    // The box is centred over the window whose handler raised the error while that window is on
    // the screen, and over the screen otherwise. It belongs to that window, or else to the active
    // one, and dies with it if that window is destroyed while the box is open.
    const QPointer<QWidget> active = QApplication::activeWindow();
    const QPointer<QWidget> raiser = raisedBy ? raisedBy->window() : nullptr;
    QWidget *over =
        raiser && raiser->isVisible() && !raiser->isMinimized() ? raiser.data() : nullptr;
    QWidget *owner = over ? over : active && active->isVisible() ? active.data() : nullptr;
    QPointer<ErrorBox> box = new ErrorBox(message + QLatin1Char('.'), owner, over);
    box->exec();
    delete box.data();
    // The focus goes back to the window that had it, unless a dialog has disabled that window
    // meanwhile; then the window that raised the error takes it.
    for (QWidget *window : {active.data(), raiser.data()}) {
        if (canTakeFocus(window)) {
            makeActive(window);
            break;
        }
    }
}

} // namespace toolkit
