#pragma once
#include <QString>
#include <QStringList>

namespace bench {

// Makes count clips of the given length in dir (kept between runs).
QStringList makeClips(const QString& dir, int count, int seconds);
// Runs a program to its end and returns the wall time in milliseconds.
double timedRun(const QString& program, const QStringList& args);
// User + system CPU seconds of a running process itself (not its children).
double ownCpuSeconds(qint64 pid);

} // namespace bench
