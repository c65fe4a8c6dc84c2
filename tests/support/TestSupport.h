#pragma once
// Shared helpers: program folders of the tests' own, clips made with ffmpeg,
// waiting on the event loop.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (const QString& s : l) {
        PrintTo(s, os);
        *os << ' ';
    }
    *os << '}';
}

namespace varnel::test {

// The build's program folder (fp.dll, mp.dll, varnel-convert).
QString binDir();

// A fresh program folder holding links to the real adapters.
class ProgramFolder {
public:
    ProgramFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A clip made once per build with ffmpeg from its arguments (lavfi sources),
// kept under a name derived from them. The returned path is shared: copy it
// before changing it.
QString makeMedia(const QString& name, const QStringList& ffmpegArgs);

// size "WxH", seconds long, H.264 video with AAC sound in MP4.
QString videoClip(int seconds, const QString& size = QStringLiteral("320x240"));
QString audioClip(int seconds);

// Writes an executable shell script (a stand-in for a tool) to path,
// replacing what was there; returns the path.
QString writeScript(const QString& path, const QByteArray& body);

// Copies a file to dir/name and returns the new path.
QString copyTo(const QString& from, const QString& dir, const QString& name);

// Runs the event loop until done() or the time-out; true when done.
bool waitFor(const std::function<bool()>& done, int timeoutMs);

// Runs a program to its end; returns its exit code, its output in *out.
int run(const QString& program, const QStringList& args, QString* out = nullptr, int timeoutMs = 120000);

// Puts this process's mark in its environment, which what it starts inherits.
void markOwnProcesses();
// Live processes of this test (its descendants, and those that carry its mark
// though their parent has died) whose command line, arguments joined by
// blanks, matches the regular expression pattern. Never another run's.
QList<qint64> ownProcesses(const QString& pattern);
// Whether one of them is running.
bool isRunning(const QString& pattern);
// Signals each of them; how many there were.
int signalOwnProcesses(const QString& pattern, int signal);

// ffprobe's answer: "codec_type=video" lines and the format name.
struct MediaInfo {
    QString formatName;
    bool hasVideo = false;
    bool hasAudio = false;
    int width = 0, height = 0;
    double duration = 0;
};
MediaInfo probeMedia(const QString& path);

// Each stream's length as a full decode by ffprobe finds it, from its first
// decoded frame to the end of its last; -1 for a kind it does not hold.
// Attached pictures are not video.
struct DecodedLengths {
    double video = -1, audio = -1;
};
DecodedLengths decodedLengths(const QString& path);

// Live (not zombie) processes whose parent is parent, and whose name (comm)
// is name when one is given.
QList<qint64> childProcesses(qint64 parent, const QString& name = {});
// Whether a process of that id still runs (a zombie does not).
bool processAlive(qint64 pid);

} // namespace varnel::test

#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"

namespace varnel::test {

// Records what the program asked of the desktop; opens and shuts nothing.
struct FakeShell : ShellServices {
    QStringList links, helps, folders;
    int shutdowns = 0;
    bool opens = true; // what every open answers
    bool openLink(const QString& url) override { links << url; return opens; }
    bool openHelp(const QString& file) override { helps << file; return opens; }
    bool openFolder(const QString& folder) override { folders << folder; return opens; }
    void shutdown() override { ++shutdowns; }
};

// Records the messages instead of showing them; "info: " or "error: " first.
struct RecordingMessages : UserMessages {
    QStringList shown;
    std::function<void()> onMessage;
    void information(const QString& text) override { record("info: " + text); }
    void error(const QString& text) override { record("error: " + text); }
    void warning(const QString& text, const QString& details) override
    {
        record("warning: " + text + (details.isEmpty() ? QString() : "\n\n" + details));
    }
    void record(const QString& m)
    {
        shown << m;
        if (onMessage)
            onMessage();
    }
};

} // namespace varnel::test
