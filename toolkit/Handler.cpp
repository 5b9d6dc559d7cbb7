#include "toolkit/Handler.h"

#include "toolkit/Application.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace toolkit {

void showErrorBox(const QString &message)
{
    // The box belongs to the window that was active, and stays on top, so it is never hidden
    // behind the stay-on-top windows of the game.
    QPointer<QWidget> active = QApplication::activeWindow();
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Critical, Application::instance().title(),
                        message + QLatin1Char('.'), QMessageBox::Ok, active);
    box->setObjectName(QStringLiteral("ErrorBox"));
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->exec();
    // The box dies with its owner if that window was destroyed while the box was open.
    delete box.data();
    if (active && active->isVisible())
        active->activateWindow();
}

} // namespace toolkit
