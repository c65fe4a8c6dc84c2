#include "platform/PowerOff.h"

#include <QCoreApplication>
#include <QProcess>

namespace varnel {

void requestPowerOff()
{
    // logind's PowerOff over the system bus; systemctl does the same where
    // busctl is missing or refused.
    auto* busctl = new QProcess(QCoreApplication::instance());
    auto fallback = [busctl](bool failed) {
        if (failed)
            QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
        busctl->deleteLater();
    };
    QObject::connect(busctl, &QProcess::finished, busctl, [fallback](int code, QProcess::ExitStatus status) {
        fallback(code != 0 || status != QProcess::NormalExit);
    });
    QObject::connect(busctl, &QProcess::errorOccurred, busctl, [fallback](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            fallback(true);
    });
    busctl->start(QStringLiteral("busctl"), {"call", "org.freedesktop.login1", "/org/freedesktop/login1",
                                             "org.freedesktop.login1.Manager", "PowerOff", "b", "false"});
}

} // namespace varnel
