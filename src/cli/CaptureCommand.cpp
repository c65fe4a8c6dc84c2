// capture: the camera list, and a recording from any ffmpeg input through
// the capture window's recorder (without its preview).
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/capture/CaptureRecorder.h"
#include "core/capture/CaptureSession.h"
#include "core/common/Interrupts.h"
#include "core/common/TextNumbers.h"
#include "core/settings/Settings.h"
#include "core/tools/ToolRegistry.h"
#include "platform/V4l2CaptureDevice.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

namespace varnel::cli {

namespace {

// Whether the current folder's name survives being read as text.
bool currentFolderNameable()
{
    char here[PATH_MAX + 1] = {};
    if (!::getcwd(here, sizeof here))
        return false;
    const QByteArray raw(here);
    return QFile::encodeName(QFile::decodeName(raw)) == raw && QDir::currentPath() == QFile::decodeName(raw);
}

} // namespace

int capture(const QStringList& args)
{
    const CliArgs a = CliArgs::parse(args, {"--input", "--output", "--seconds", "--devices"}, {"--list"});
    if (a.has("--list")) {
        const auto nodes = discoverCaptureNodes(a.last("--devices").value_or(QStringLiteral("/dev")));
        for (size_t i = 0; i < nodes.size(); ++i)
            out() << i << '\t' << nodes[i].card << '\t' << nodes[i].path << '\n';
        return 0;
    }
    const QString input = a.last("--input").value_or(QString());
    const int colon = input.indexOf(u':');
    const QString format = input.left(colon);
    bool isNumber = false;
    const double seconds = a.last("--seconds").value_or(QString()).toDouble(&isNumber);
    const int milliseconds = isNumber ? toInt32(seconds * 1000).value_or(0) : 0;
    if (colon <= 0 || !QStringList{"v4l2", "x11grab", "lavfi"}.contains(format) || !a.last("--output") ||
        milliseconds <= 0)
        throw UsageError("capture needs --list, or --input v4l2|x11grab|lavfi:INPUT --output FILE --seconds S");

    // Always AVI: a bare name gets the extension, another one is refused.
    QString output = *a.last("--output");
    if (const QString name = QFileInfo(output).fileName(); name.isEmpty() || name == u'.' || name == QLatin1String(".."))
        throw UsageError("capture needs a file name for --output, not a folder");
    // Where a relative name goes is the current folder, which must be
    // reachable by its name.
    if (QFileInfo(output).isRelative() && !currentFolderNameable())
        throw UsageError("the current folder's name cannot be read as text here: give --output as a full path");
    const QString suffix = QFileInfo(output).suffix();
    if (suffix.isEmpty())
        output += QStringLiteral(".avi");
    else if (suffix.compare(QLatin1String("avi"), Qt::CaseInsensitive) != 0)
        throw UsageError("capture records AVI: --output takes FILE.avi (or a name without an extension)");

    // ffmpeg counts the length itself, and nobody here looks at a picture.
    ToolRegistry tools;
    CaptureRecorder recorder(programFolder(), tools);
    RecorderOptions options;
    options.aviPath = QFileInfo(output).absoluteFilePath();
    options.lengthMs = milliseconds;
    options.preview = false;
    // Ctrl+C, a terminate request or a hang-up end the recording with q, so
    // that the file keeps its index; the event loop waits for it.
    Interrupts interrupts;
    QObject::connect(&interrupts, &Interrupts::interrupted, &recorder, &CaptureRecorder::stop);
    if (!recorder.start({format, input.mid(colon + 1)}, options)) {
        err() << escaped(recorder.startError().isEmpty() ? QStringLiteral("cannot start the recorder") : recorder.startError())
              << '\n';
        return 1;
    }
    QString reason;
    bool asked = false;
    QEventLoop loop;
    QObject::connect(&recorder, &CaptureRecorder::ended, &loop, [&](bool endAsked, const QString& why) {
        asked = endAsked;
        reason = why;
        loop.quit();
    });
    if (recorder.isRunning())
        loop.exec();
    out() << statisticsLine(recorder.statistics()) << '\n';
    // Where it went: a file already under the name stays, and the recording
    // takes the next "_New" name.
    if (!recorder.savedPath().isEmpty())
        out() << escaped(recorder.savedPath()) << '\n';
    out() << Qt::flush;
    if (!asked) {
        err() << escaped(reason) << '\n';
        return 1;
    }
    if (recorder.exitCode() != 0) {
        err() << "the recorder ended with exit code " << recorder.exitCode() << '\n';
        return 1;
    }
    return 0;
}

} // namespace varnel::cli
