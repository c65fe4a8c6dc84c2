// Measuring a two-hour film's streams from its packets, against decoding
// the whole film (what a player or ffprobe -count_frames does).
#include "BenchSupport.h"

#include "core/media/MediaFacts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Two hours of 640x480 H.264 and AAC, made once by repeating a minute.
QString twoHourFilm(const QString& dir)
{
    const QString film = dir + "/film-2h-640x480.mp4";
    if (QFileInfo::exists(film))
        return film;
    const QStringList minute = bench::makeClips(dir, 1, 60, "640x480");
    if (minute.isEmpty())
        return {};
    const QString part = film + ".part.mp4";
    if (QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-stream_loop", "119", "-i", minute.first(),
                                     "-c", "copy", part}) != 0 ||
        !QFile::rename(part, film))
        return {};
    return film;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString film = twoHourFilm(QCoreApplication::applicationDirPath() + "/media");
    if (film.isEmpty()) {
        std::fprintf(stderr, "bench_measure: ffmpeg could not make the film\n");
        return 1;
    }
    std::vector<double> measuring;
    varnel::MediaFacts facts;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        facts = varnel::readMedia(film, varnel::MediaDepth::Lengths);
        measuring.push_back(t.nsecsElapsed() / 1e9);
    }
    const varnel::StreamFacts* video = facts.chosenVideo();
    const varnel::StreamFacts* audio = facts.chosenAudio();
    if (!facts.readable || !video || !audio || video->seconds < 7190 || audio->seconds < 7190) {
        std::fprintf(stderr, "bench_measure: the film measured wrong: %s\n", qPrintable(facts.error));
        return 1;
    }
    // The full decode, as fast as ffmpeg goes on this machine's cores.
    const double decoding = bench::timedRun("ffmpeg", {"-nostdin", "-v", "error", "-i", film, "-f", "null", "-"}) / 1000;
    std::printf("2-hour film (%lld MB): measured from its packets in %.2f s (median of 3; video %.2f s, sound %.2f s),\n"
                "decoded whole in %.2f s: %.2f %% (goal <= 2 %%)\n",
                QFileInfo(film).size() / 1000000, median(measuring), video->seconds, audio->seconds, decoding,
                100 * median(measuring) / decoding);
    return 0;
}
