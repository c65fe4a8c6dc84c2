#include "app/ShellServices.h"

#include <QProcess>

namespace varnel {

void requestPowerOff()
{
    // logind's PowerOff, asked over the system bus; systemctl does the same
    // where busctl is missing.
    const QStringList logind = {"call", "org.freedesktop.login1", "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "PowerOff", "b", "false"};
    if (QProcess::execute(QStringLiteral("busctl"), logind) != 0)
        QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}

} // namespace varnel
