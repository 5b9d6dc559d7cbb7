#include "toolkit/Platform.h"

#include <QByteArray>
#include <QtGlobal>

namespace toolkit {

void chooseEventDispatcher()
{
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", QByteArray("1"));
}

} // namespace toolkit
