// Probing 50 files through the source list against bare player runs on the
// same files, and the longest time the event loop was kept from running.
#include "BenchSupport.h"

#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"
#include "adapters/AdapterArgs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString programFolder = QCoreApplication::applicationDirPath() + "/../bin";
    const QStringList files = bench::makeClips(QCoreApplication::applicationDirPath() + "/media", 50, 10);

    // Three rounds each, alternating, so that a busy moment of the machine
    // does not land on one side only; the medians are reported.
    std::vector<double> bareRounds, listRounds;
    qint64 longestGapNs = 0;
    int filled = 0;
    for (int round = 0; round < 3; ++round) {
    // The bare player, with exactly the arguments the adapter hands it.
    double bare = 0;
    for (const QString& f : files) {
        std::vector<std::string> given = {"-identify", "-benchmark", "-nosound", "-vo", "null", "-vf", "cropdetect",
                                          "-endpos", "1", f.toStdString()};
        QStringList args;
        for (const std::string& a : varnel::adapter::playerArgs(given))
            args << QString::fromStdString(a);
        bare += bench::timedRun("mplayer", args);
    }

    varnel::SourceList list;
    varnel::ToolRegistry tools;
    varnel::MediaProbe probe(list, programFolder, tools);
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapNs = std::max(longestGapNs, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    QEventLoop loop;
    QObject::connect(&probe, &varnel::MediaProbe::idle, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    sinceTick.start();
    ticker.start(5);
    for (const QString& f : files)
        probe.addSource(f);
    loop.exec();
    const double listMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    ticker.stop();

    filled = 0;
    for (int r = 0; r < list.count(); ++r)
        filled += list.cell(r, varnel::SourceItem::Size) == "640x480";
    bareRounds.push_back(bare / files.size());
    listRounds.push_back(listMs / files.size());
    }
    std::sort(bareRounds.begin(), bareRounds.end());
    std::sort(listRounds.begin(), listRounds.end());
    const double perBare = bareRounds[1], perList = listRounds[1];
    std::printf("files probed: %d (%d with their size)\n", static_cast<int>(files.size()), filled);
    std::printf("bare player:  %.1f ms per file\n", perBare);
    std::printf("source list:  %.1f ms per file (%+.1f %%)\n", perList, 100.0 * (perList - perBare) / perBare);
    std::printf("longest event-loop block: %.1f ms (5 ms timer; gap minus interval)\n",
                static_cast<double>(longestGapNs) / 1e6 - 5.0);
    return 0;
}
