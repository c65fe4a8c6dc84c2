#include "platform/PowerOff.h"

#include "core/tools/ChildProcess.h"

#include <QCoreApplication>

namespace varnel {

QObject* requestPowerOff()
{
    // logind's PowerOff over the system bus; systemctl does the same where
    // busctl is missing or refused. The request object lives until the
    // last program has answered.
    auto* request = new QObject(QCoreApplication::instance());
    auto* busctl = new ChildProcess(request);
    auto fallback = [request](bool failed) {
        if (!failed) {
            request->deleteLater();
            return;
        }
        auto* systemctl = new ChildProcess(request);
        QObject::connect(systemctl, &QProcess::finished, request, &QObject::deleteLater);
        QObject::connect(systemctl, &QProcess::errorOccurred, request, &QObject::deleteLater);
        systemctl->start(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
    };
    QObject::connect(busctl, &QProcess::finished, request, [fallback](int code, QProcess::ExitStatus status) {
        fallback(code != 0 || status != QProcess::NormalExit);
    });
    QObject::connect(busctl, &QProcess::errorOccurred, request, [fallback](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            fallback(true);
    });
    busctl->start(QStringLiteral("busctl"), {"call", "org.freedesktop.login1", "/org/freedesktop/login1",
                                             "org.freedesktop.login1.Manager", "PowerOff", "b", "false"});
    return request;
}

} // namespace varnel
