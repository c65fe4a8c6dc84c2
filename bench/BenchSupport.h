#pragma once
#include <QString>
#include <QStringList>

namespace bench {

// Makes count H.264+AAC clips of the given length and size in dir (kept
// between runs); empty if ffmpeg could not make one.
QStringList makeClips(const QString& dir, int count, int seconds, const QString& size = QStringLiteral("640x480"));
// Runs a program to its end and returns the wall time in milliseconds.
double timedRun(const QString& program, const QStringList& args);
// User + system CPU seconds of a running process itself (not its children).
double ownCpuSeconds(qint64 pid);

struct Usage {
    double wall = 0; // seconds
    double cpu = 0;  // user + system seconds of the process and every descendant it waited for
    int status = -1; // exit code, or -1 if it could not start or was killed
};
// Runs a program with standard output and error going to logPath.
Usage measuredRun(const QString& program, const QStringList& args, const QString& logPath);

// varnel-convert of $VARNEL_BENCH_BIN (a folder), else of the build's bin/;
// empty when it is not there.
QString converterTool();

} // namespace bench
