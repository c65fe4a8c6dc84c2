// capture: the camera list, and a recording from any ffmpeg input through
// the capture window's recorder.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "cli/Terminal.h"

#include "core/capture/CaptureRecorder.h"
#include "core/common/TextNumbers.h"
#include "core/capture/CaptureSession.h"
#include "platform/V4l2CaptureDevice.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace varnel::cli {

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
    const auto milliseconds = isNumber ? toInt32(seconds * 1000) : std::nullopt;
    if (colon <= 0 || !QStringList{"v4l2", "x11grab", "lavfi"}.contains(format) || !a.last("--output") ||
        !milliseconds || *milliseconds <= 0)
        throw UsageError("capture needs --list, or --input v4l2|x11grab|lavfi:INPUT --output FILE --seconds S");

    Session session;
    CaptureRecorder recorder(session.workspace.programFolder());
    RecorderOptions options;
    options.aviPath = QFileInfo(*a.last("--output")).absoluteFilePath();
    if (!recorder.start({format, input.mid(colon + 1)}, options)) {
        err() << "cannot start the recorder\n";
        return 1;
    }
    QString reason;
    bool endedByItself = false;
    QEventLoop loop;
    QObject::connect(&recorder, &CaptureRecorder::ended, &loop, [&](bool asked, const QString& why) {
        endedByItself = !asked;
        reason = why;
        loop.quit();
    });
    QTimer::singleShot(*milliseconds, &recorder, &CaptureRecorder::stop);
    loop.exec();
    out() << statisticsLine(recorder.statistics()) << '\n';
    if (endedByItself) {
        err() << reason << '\n';
        return 1;
    }
    return 0;
}

} // namespace varnel::cli
