#pragma once
// What a program and every process it started asked to open, and where
// they connected, watched with strace: names exactly as they were passed to
// open and openat, and the network addresses passed to connect.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace varnel::test {

class OpenWatch {
public:
    // strace, then the arguments that run program with args under the watch.
    QString tracer() const { return QStringLiteral("strace"); }
    QStringList command(const QString& program, const QStringList& args) const;

    // Read from the watch's log once the program has ended.
    QStringList opened() const;
    QStringList connected() const; // AF_INET and AF_INET6 only
    // The names opened inside folder, but for the allowed ones (a name
    // relative to the working folder counts as relative to folder).
    QStringList openedInside(const QString& folder, const QStringList& allowed = {}) const;
    // Whether the log holds a started program at all (strace could trace).
    bool traced() const;

private:
    QStringList lines(const char* call) const;
    QTemporaryDir m_dir;
};

} // namespace varnel::test
