#include "platform/DesktopSignals.h"

#include "core/convert/ConversionRun.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <algorithm>
#include <QStringList>
#include <QVariantMap>

namespace varnel {

namespace {
const QString kAppName = QStringLiteral("Varnel Video Converter");
const QString kAppId = QStringLiteral("varnel-video-converter"); // icon and desktop entry
const QString kLauncherPath = QStringLiteral("/com/varnel/VideoConverter");
} // namespace

DesktopSignals::DesktopSignals(const QDBusConnection& bus) : m_bus(bus) {}

void DesktopSignals::showProgress(int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (percent == m_shown)
        return;
    m_shown = percent;
    sendLauncherUpdate({{QStringLiteral("progress"), percent / 100.0},
                        {QStringLiteral("progress-visible"), true}});
}

void DesktopSignals::hideProgress()
{
    if (m_shown < 0)
        return;
    m_shown = -1;
    sendLauncherUpdate({{QStringLiteral("progress-visible"), false}});
}

void DesktopSignals::sendLauncherUpdate(const QVariantMap& properties)
{
    // A signal: the docks that show launcher entries pick it up, and without
    // one it goes nowhere. send() fails quietly on a missing bus.
    QDBusMessage update =
        QDBusMessage::createSignal(kLauncherPath, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                   QStringLiteral("Update"));
    update << QStringLiteral("application://%1.desktop").arg(kAppId) << properties;
    m_bus.send(update);
}

QString DesktopSignals::countsText(const RunResult& result)
{
    QStringList parts;
    const auto add = [&parts](int count, const char* what) {
        if (count > 0)
            parts << QStringLiteral("%1 %2").arg(count).arg(QCoreApplication::translate("varnel::DesktopSignals", what));
    };
    add(result.converted, QT_TRANSLATE_NOOP("varnel::DesktopSignals", "converted"));
    add(result.failed, QT_TRANSLATE_NOOP("varnel::DesktopSignals", "failed"));
    add(result.cancelled, QT_TRANSLATE_NOOP("varnel::DesktopSignals", "cancelled"));
    return parts.isEmpty() ? QCoreApplication::translate("varnel::DesktopSignals", "0 converted") : parts.join(QStringLiteral(", "));
}

void DesktopSignals::notifyRunEnded(const RunResult& result)
{
    QString body = countsText(result);
    if (!result.outputFolder.isEmpty())
        body += QLatin1Char('\n') + result.outputFolder;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), kAppId}};
    notify << kAppName << 0u << kAppId << runEnding(result).title << body << QStringList{} << hints
           << -1;
    // The reply (the notification's id, or the error of a bus without a
    // notification service) is of no use: the pending call is dropped.
    m_bus.asyncCall(notify);
}

} // namespace varnel
