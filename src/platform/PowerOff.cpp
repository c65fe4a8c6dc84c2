#include "platform/PowerOff.h"

#include "core/tools/ToolRegistry.h"

#include <QCoreApplication>
#include <QPointer>

namespace varnel {

namespace {

Process* powerOffBy(ToolRegistry& tools, QObject* request, const QString& command)
{
    ToolStart start;
    start.command.literal(command);
    start.keptBytes = 0;
    return tools.run(start, request);
}

} // namespace

QObject* requestPowerOff(ToolRegistry& tools)
{
    // logind's PowerOff over the system bus; systemctl does the same where
    // busctl is missing or refused. The request object lives until the
    // last program has answered.
    auto* request = new QObject(QCoreApplication::instance());
    Process* busctl = powerOffBy(tools, request,
                                 QStringLiteral("busctl call org.freedesktop.login1 /org/freedesktop/login1 "
                                                "org.freedesktop.login1.Manager PowerOff b false"));
    // The runner may be gone by the time busctl answers (its end killed
    // busctl): then nothing more is started.
    QObject::connect(busctl, &Process::finished, request, [tools = QPointer<ToolRegistry>(&tools), request, busctl] {
        if (!tools || (busctl->exitCode() == 0 && !busctl->crashed())) {
            request->deleteLater();
            return;
        }
        Process* systemctl = powerOffBy(*tools, request, QStringLiteral("systemctl poweroff"));
        QObject::connect(systemctl, &Process::finished, request, &QObject::deleteLater);
    });
    return request;
}

} // namespace varnel
