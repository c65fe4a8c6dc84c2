#include "core/capture/CaptureRecorder.h"

#include "core/media/AviIndex.h"
#include "core/media/MediaFacts.h"
#include "core/media/PooledWork.h"
#include "core/tools/ToolRegistry.h"
#include "core/tools/Process.h"

#include <QDir>
#include <QFileInfo>

#include <QProcess>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

namespace varnel {

Command recorderCommand(const QString& programFolder, const RecorderInput& input, const RecorderOptions& options)
{
    Command c;
    c.quoted(programFolder + QStringLiteral("/fp.dll"))
        .literal(QStringLiteral(" -loglevel error -nostats -progress pipe:2"));
    // A test pattern is read at its own rate, as a camera delivers.
    if (input.format == QLatin1String("lavfi"))
        c.literal(QStringLiteral(" -re"));
    c.literal(QStringLiteral(" -f ")).value(input.format).literal(QStringLiteral(" -i ")).quoted(input.source);
    if (!options.aviPath.isEmpty()) {
        c.literal(QStringLiteral(" -map 0:v -c:v mjpeg -q:v 3 -fps_mode cfr -r ")).value(QString::number(options.rate));
        // ffmpeg counts the length in the recording's own time, to the frame.
        if (options.lengthMs > 0)
            c.literal(QStringLiteral(" -t ")).value(QString::number(static_cast<double>(options.lengthMs) / 1000.0, 'f', 3));
        // The container never follows the name: the window and the AVI index rely on AVI.
        c.literal(QStringLiteral(" -f avi ")).path(options.aviPath);
    }
    if (options.preview)
        c.literal(QStringLiteral(" -map 0:v -f rawvideo -pix_fmt bgra -s "))
            .value(QStringLiteral("%1x%2").arg(options.previewWidth).arg(options.previewHeight))
            .literal(QStringLiteral(" pipe:1"));
    return c;
}

namespace {

// What a finished recording holds. An encoder that had to be killed (an
// input that stalled) wrote no index: it is written here first. Long for a
// long recording: it reads the whole file. Closes fd.
CaptureRecorder::RecordingRead readRecording(int fd, const QString& name)
{
    CaptureRecorder::RecordingRead read;
    if (fd < 0)
        return read;
    read.noFrame = completeAviIndex(fd) == AviCompletion::NoFrame;
    read.facts = readMedia(fd, name, MediaDepth::Streams);
    ::close(fd);
    return read;
}

} // namespace

CaptureRecorder::CaptureRecorder(QString programFolder, ToolRegistry& tools, QObject* parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_tools(tools), m_finishing(new PooledWork(this))
{
}

CaptureRecorder::~CaptureRecorder()
{
    // Only a preview is cut short here: a recording is stopped with q first
    // (its owner waits for ended()). The reader ends with the killed run.
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
    }
    joinReader();
    // Ended without being stopped, or gone while its file was being read:
    // what was recorded is still kept. Nothing waits on this any more.
    if (m_partials) {
        delete m_process; // reaped, so the file is all it will be
        const auto partials = std::exchange(m_partials, nullptr);
        placeRecording(*partials, readRecording(partials->openPartial(m_partial, true), m_partial.name));
    }
}

bool CaptureRecorder::isRunning() const
{
    return (m_process && m_process->isRunning()) || m_finishing->isRunning();
}

PreviewFrame CaptureRecorder::latestFrame() const
{
    const std::lock_guard lock(m_frameLock);
    return m_latest;
}

bool CaptureRecorder::start(const RecorderInput& input, const RecorderOptions& options)
{
    m_startError.clear();
    if (isRunning() || (options.aviPath.isEmpty() && !options.preview))
        return false;
    joinReader();
    m_options = options;
    m_progress = {};
    m_stopRequested = false;
    m_exitCode = -1;
    m_savedPath.clear();
    // Another camera's last picture is not this one's.
    if (input.format != m_input.format || input.source != m_input.source)
        clearFrame();
    m_input = input;
    RecorderOptions written = options;
    ToolStart run;
    if (!options.aviPath.isEmpty()) {
        // As a conversion writes: a partial in a private folder beside the
        // file, which a later start recovers if this run dies.
        const QString folder = QFileInfo(options.aviPath).absolutePath();
        // Known now, not after an hour of recording: the name the recording
        // would take as things stand.
        QString target = options.aviPath;
        for (int tries = 0; tries < 1000 && (QFileInfo(target).exists() || QFileInfo(target).isSymLink()); ++tries)
            target = output::nextNewName(target, QStringLiteral(".avi"));
        if (!output::nameFits(target)) {
            m_startError = output::kOutputNameTooLong();
            return false;
        }
        const auto self = output::RunIdentity::current();
        output::removeStalePartials(folder, self);
        m_partials = output::PartialFolder::create(folder, self, &m_startError);
        if (m_partials)
            m_partial = m_partials->createRecording(options.aviPath);
        if (!m_partials || m_partial.path.isEmpty()) {
            m_startError = tr("cannot write in %1: %2").arg(folder, m_partials ? m_partial.error : m_startError);
            m_partials.reset();
            return false;
        }
        written.aviPath = m_partial.path;
        run.environment << QStringLiteral("%1=%2").arg(QLatin1String(output::PartialFolder::kPathVariable), m_partials->path())
                        << QStringLiteral("%1=%2").arg(QLatin1String(output::PartialFolder::kDescriptorVariable)).arg(m_partials->descriptor())
                        // Should this program die, the encoder still finishes the file.
                        << QStringLiteral("VARNEL_FINISH_ON_PARENT_DEATH=1");
        run.passDescriptor = m_partials->descriptor();
    }

    // A picture comes on a pipe of our own, read by a thread of its own.
    int fds[2] = {-1, -1};
    // Neither end goes to a child: the encoder's output is opened anew from
    // the write end's name, and another child must not hold the pipe open.
    if (options.preview && ::pipe2(fds, O_CLOEXEC) != 0) {
        m_partials.reset();
        return false;
    }
    run.command = recorderCommand(m_programFolder, input, written);
    // A relative input (a movie= of a filter) is the user's, from where they
    // are: the encoder starts in this program's own folder, by descriptor
    // rather than by a name that may not read back as text.
    run.workingFolder.clear();
    run.outputFile = options.preview ? QStringLiteral("/dev/fd/%1").arg(fds[1]) : QProcess::nullDevice();
    run.keptBytes = 0; // its progress is read line by line
    Process* p = m_tools.run(run, this);
    m_process = p;
    m_lines.clear();
    if (options.preview)
        ::close(fds[1]);
    if (p->failedToStart()) {
        if (options.preview)
            ::close(fds[0]);
        delete p;
        m_partials.reset();
        return false;
    }
    connect(p, &Process::outputRead, this, &CaptureRecorder::readProgress);
    connect(p, &Process::finished, this, [this, p] {
        p->deleteLater();
        m_exitCode = p->exitCode();
        if (p->failedToStart()) {
            finishRecording([this](const QString&) {
                emit ended(m_stopRequested, m_stopRequested ? QString() : tr("cannot start the recorder"));
            });
            return;
        }
        // A recording given a length that ffmpeg ended cleanly ran as it was told.
        const qint64 oneFrameMs = 1000 / qMax(1, m_options.rate);
        const bool lengthReached = m_options.lengthMs > 0 && m_exitCode == 0 &&
                                   m_progress.statistics.elapsedMs + oneFrameMs >= m_options.lengthMs;
        bool asked = m_stopRequested || lengthReached;
        QString reason;
        if (!asked) {
            const QString said = m_progress.lastWords();
            reason = !said.isEmpty()   ? said
                     : p->crashed()    ? tr("the recorder stopped abnormally")
                     : m_exitCode == 0 ? tr("the input ended")
                                       : tr("the recording ended (exit code %1)").arg(m_exitCode);
        }
        if (!asked) { // a camera that failed shows black beside its reason
            joinReader(); // its pipe is at its end: nothing more comes
            clearFrame();
        }
        finishRecording([this, asked, reason](const QString& why) {
            if (why.isEmpty())
                emit ended(asked, reason);
            else
                emit ended(false, asked ? why : why + QStringLiteral(" (") + reason + u')');
        });
    });
    if (options.preview) {
        const int frameBytes = options.previewWidth * options.previewHeight * 4;
        m_reader = std::thread([this, fd = fds[0], frameBytes] { drain(fd, frameBytes); });
    }
    return true;
}

void CaptureRecorder::drain(int fd, int frameBytes)
{
    // Reads whole frames for as long as the run writes, keeping the newest.
    QByteArray frame(frameBytes, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        const ssize_t n = ::read(fd, frame.data() + filled, static_cast<size_t>(frameBytes - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        filled += n;
        if (filled < frameBytes)
            continue;
        filled = 0;
        {
            const std::lock_guard lock(m_frameLock);
            m_latest.bgra = frame; // a copy; the buffer is reused
            m_latest.width = m_options.previewWidth;
            m_latest.height = m_options.previewHeight;
        }
        if (!m_notifyPending.exchange(true))
            QMetaObject::invokeMethod(this, [this] {
                m_notifyPending = false;
                emit frameReady();
            }, Qt::QueuedConnection);
    }
    ::close(fd);
}

void CaptureRecorder::clearFrame()
{
    {
        const std::lock_guard lock(m_frameLock);
        m_latest = {};
    }
    emit frameReady();
}

void CaptureRecorder::joinReader()
{
    if (m_reader.joinable())
        m_reader.join();
}

void CaptureRecorder::readProgress(const QString& text)
{
    m_lines += text;
    qsizetype end;
    while ((end = m_lines.indexOf(u'\n')) >= 0) {
        m_progress.read(m_lines.left(end + 1).toUtf8());
        m_lines.remove(0, end + 1);
    }
}

void CaptureRecorder::finishRecording(std::function<void(const QString& why)> then)
{
    const auto partials = std::exchange(m_partials, nullptr); // the folder goes when this ends
    if (!partials) {
        then({});
        return;
    }
    // Should this recorder go while the file is read, the file stays in its
    // folder, and the next start into that folder places it.
    struct KeptUnlessPlaced {
        std::shared_ptr<output::PartialFolder> folder;
        output::PartialFile partial;
        bool placing = false;
        ~KeptUnlessPlaced()
        {
            if (!placing && folder)
                folder->keep(partial);
        }
    };
    auto kept = std::make_shared<KeptUnlessPlaced>();
    kept->folder = partials;
    kept->partial = m_partial;
    const int fd = partials->openPartial(m_partial, true);
    m_finishing->start([this, kept, fd, then](const std::atomic_bool*) -> PooledWork::Continuation {
        return [this, kept, read = readRecording(fd, kept->partial.name), then] {
            kept->placing = true;
            // Gone when this ends, whichever thread lets go of kept last.
            const auto folder = std::move(kept->folder);
            then(placeRecording(*folder, read));
        };
    });
}

QString CaptureRecorder::placeRecording(output::PartialFolder& partials, const RecordingRead& read)
{
    // Nothing but a file that holds a picture is kept. One that did not end
    // well is kept too (a camera that failed after an hour leaves an hour),
    // but said to be so.
    const StreamFacts* video = read.facts.chosenVideo();
    if (m_progress.statistics.framesCaptured <= 0 || read.noFrame || !read.facts.hasVideo() || !video ||
        !video->hadPackets) {
        partials.removePartial(m_partial);
        return m_progress.statistics.framesCaptured <= 0 ? tr("nothing was recorded: no frame came from the input")
                                                         : tr("nothing was recorded: the file holds no picture");
    }
    output::PlacedOutput placed = partials.place(m_partial, m_options.aviPath, true, QStringLiteral(".avi"));
    // The name taken meanwhile, and no room for a "_New": the partial's shorter name.
    if (placed.error == output::kOutputNameTooLong())
        placed = partials.place(m_partial, QFileInfo(m_options.aviPath).path() + u'/' + output::recordingNameIn(m_partial.name),
                                true, QStringLiteral(".avi"));
    if (placed.path.isEmpty()) {
        partials.keep(m_partial);
        return placed.error + tr("; the recording is kept there, and a later start that records into this folder puts it in place");
    }
    m_savedPath = placed.path;
    const bool ended = m_exitCode == 0 || (m_stopRequested && m_exitCode == 255); // 255: finished on SIGTERM
    return ended ? QString() : tr("the recording did not end well (exit code %1); what came is in %2")
                                   .arg(m_exitCode)
                                   .arg(m_savedPath);
}

void CaptureRecorder::stop()
{
    if (!m_process || !m_process->isRunning()) // ended, or its file being read: ended() comes anyway
        return;
    m_stopRequested = true;
    // SIGTERM after the grace time still finishes the file.
    m_process->end(m_graceMs);
}

} // namespace varnel
