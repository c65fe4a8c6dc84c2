#include "TestSupport.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QCryptographicHash>
#include <QThread>
#include <QTest>

#include <csignal>
#include <map>
#include <unistd.h>

namespace varnel::test {

QString binDir()
{
    return QStringLiteral(VARNEL_BIN_DIR);
}

ProgramFolder::ProgramFolder()
{
    for (const char* name : {"fp.dll", "mp.dll"})
        QFile::link(binDir() + u'/' + QLatin1String(name), m_dir.filePath(QLatin1String(name)));
}

QString makeMedia(const QString& name, const QStringList& ffmpegArgs)
{
    const QString dir = QStringLiteral(VARNEL_TEST_MEDIA_DIR);
    QDir().mkpath(dir);
    const QByteArray key = QCryptographicHash::hash(ffmpegArgs.join(u'\x1f').toUtf8(), QCryptographicHash::Md5).toHex().left(8);
    const QFileInfo fi(name);
    const QString path = dir + u'/' + fi.completeBaseName() + u'-' + QString::fromLatin1(key) + u'.' + fi.suffix();
    if (QFileInfo::exists(path))
        return path;
    // Made under a private name, then renamed: tests running side by side
    // never see half a file.
    const QString temp = path + QStringLiteral(".part%1.").arg(QCoreApplication::applicationPid()) + fi.suffix();
    QStringList args = {"-nostdin", "-loglevel", "error", "-y"};
    args << ffmpegArgs << temp;
    QString out;
    if (run(QStringLiteral("ffmpeg"), args, &out) != 0)
        qFatal("ffmpeg could not make %s: %s", qPrintable(name), qPrintable(out));
    QFile::rename(temp, path);
    QFile::remove(temp);
    return path;
}

QString videoClip(int seconds, const QString& size)
{
    return makeMedia(QStringLiteral("clip%1s-%2.mp4").arg(seconds).arg(size),
                     {"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=25:duration=%2").arg(size).arg(seconds),
                      "-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:duration=%1").arg(seconds),
                      "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
}

QString audioClip(int seconds)
{
    return makeMedia(QStringLiteral("tone%1s.mp3").arg(seconds),
                     {"-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), "-c:a", "libmp3lame"});
}

QString writeScript(const QString& path, const QByteArray& body)
{
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("#!/bin/sh\n" + body) < 0)
        qFatal("cannot write %s", qPrintable(path));
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QString copyTo(const QString& from, const QString& dir, const QString& name)
{
    const QString to = dir + u'/' + name;
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("cannot copy %s to %s", qPrintable(from), qPrintable(to));
    return to;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

bool isRunning(const QString& pattern)
{
    return !ownProcesses(pattern).isEmpty();
}

int signalOwnProcesses(const QString& pattern, int signal)
{
    const QList<qint64> found = ownProcesses(pattern);
    for (const qint64 pid : found)
        ::kill(static_cast<pid_t>(pid), signal);
    return static_cast<int>(found.size());
}

int run(const QString& program, const QStringList& args, QString* out, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -2;
    }
    if (out)
        *out = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
}

MediaInfo probeMedia(const QString& path)
{
    MediaInfo info;
    QString out;
    run(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=format_name,duration:stream=codec_type,width,height",
                                    "-of", "default=noprint_wrappers=1", path}, &out);
    for (const QString& line : out.split(u'\n')) {
        const QString key = line.section(u'=', 0, 0), value = line.section(u'=', 1);
        if (key == QLatin1String("format_name")) info.formatName = value;
        else if (key == QLatin1String("duration")) info.duration = value.toDouble();
        else if (line == QLatin1String("codec_type=video")) info.hasVideo = true;
        else if (line == QLatin1String("codec_type=audio")) info.hasAudio = true;
        else if (key == QLatin1String("width") && value.toInt() > 0) info.width = value.toInt();
        else if (key == QLatin1String("height") && value.toInt() > 0) info.height = value.toInt();
    }
    return info;
}

DecodedLengths decodedLengths(const QString& path)
{
    QString streams, frames;
    run(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "stream=index,codec_type:stream_disposition=attached_pic",
                                    "-of", "csv=p=0", path}, &streams);
    QMap<int, QString> kinds;
    for (const QString& line : streams.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.trimmed().split(u',');
        if (f.size() >= 3 && f[2] != QLatin1String("1") && (f[1] == QLatin1String("video") || f[1] == QLatin1String("audio")))
            kinds[f[0].toInt()] = f[1];
    }
    run(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "frame=stream_index,best_effort_timestamp_time,pkt_duration_time",
                                    "-of", "csv=p=0", path}, &frames, 600000);
    QMap<int, std::pair<double, double>> span; // first start, last end
    for (const QString& line : frames.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.trimmed().split(u',');
        bool ok = false;
        const double at = f.value(1).toDouble(&ok);
        if (f.size() < 3 || !ok || !kinds.contains(f[0].toInt()))
            continue;
        const double end = at + f[2].toDouble();
        auto it = span.find(f[0].toInt());
        if (it == span.end())
            span.insert(f[0].toInt(), {at, end});
        else
            *it = {std::min(it->first, at), std::max(it->second, end)};
    }
    DecodedLengths lengths;
    for (auto it = span.begin(); it != span.end(); ++it) {
        double& kind = kinds[it.key()] == QLatin1String("video") ? lengths.video : lengths.audio;
        kind = std::max(kind, it->second - it->first);
    }
    return lengths;
}

namespace {

// The fields of /proc/PID/stat after the command's closing parenthesis,
// with the name in front.
QStringList statOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString line = QString::fromUtf8(f.readAll());
    const int open = line.indexOf('('), close = line.lastIndexOf(')');
    if (open < 0 || close < open)
        return {};
    return QStringList{line.mid(open + 1, close - open - 1)} + line.mid(close + 2).split(' ');
}

} // namespace

namespace {
const char kOwnerMark[] = "VARNEL_TEST_OWNER";
}

void markOwnProcesses()
{
    qputenv(kOwnerMark, QByteArray::number(::getpid()));
}

QList<qint64> ownProcesses(const QString& pattern)
{
    const QByteArray mark = QByteArray(kOwnerMark) + '=' + QByteArray::number(::getpid());
    std::multimap<qint64, qint64> children; // parent, child
    QSet<qint64> marked;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        const QStringList stat = isPid ? statOf(pid) : QStringList();
        if (stat.size() <= 2 || stat[1] == "Z")
            continue;
        children.emplace(stat[2].toLongLong(), pid);
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(mark))
            marked << pid;
    }
    QSet<qint64> ours = marked;
    for (QList<qint64> below{::getpid()}; !below.isEmpty();)
        for (auto [it, end] = children.equal_range(below.takeFirst()); it != end; ++it) {
            ours << it->second;
            below << it->second;
        }
    const QRegularExpression wanted(pattern);
    QList<qint64> found;
    for (const qint64 pid : ours) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (pid == ::getpid() || !cmdline.open(QIODevice::ReadOnly))
            continue;
        QByteArray text = cmdline.readAll();
        text.replace('\0', ' ');
        if (wanted.match(QString::fromUtf8(text.trimmed())).hasMatch())
            found << pid;
    }
    return found;
}

QList<qint64> childProcesses(qint64 parent, const QString& name)
{
    QList<qint64> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        const QStringList stat = isPid ? statOf(pid) : QStringList();
        // name, state, ppid
        if (stat.size() > 2 && stat[2].toLongLong() == parent && stat[1] != "Z" && (name.isEmpty() || stat[0] == name))
            found << pid;
    }
    return found;
}

bool processAlive(qint64 pid)
{
    const QStringList stat = statOf(pid);
    return stat.size() > 1 && stat[1] != "Z";
}

} // namespace varnel::test
