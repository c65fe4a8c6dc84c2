// The gain of parallel jobs: 4 short files converted with --jobs 2 against
// --jobs 1, both with --threads 1, three alternating rounds, medians.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString tool = QCoreApplication::applicationDirPath() + "/../bin/varnel-convert";
    const QStringList clips = bench::makeClips(QCoreApplication::applicationDirPath() + "/media", 4, 10);
    std::vector<double> serial, parallel;
    for (int round = 0; round < 3; ++round)
        for (int jobs : {1, 2}) {
            QTemporaryDir out;
            const double ms = bench::timedRun(tool, QStringList{"convert", "--choose", "2", "--threads", "1", "--jobs",
                                                                QString::number(jobs), "--output-folder", out.path()} +
                                                        clips);
            (jobs == 1 ? serial : parallel).push_back(ms);
        }
    std::sort(serial.begin(), serial.end());
    std::sort(parallel.begin(), parallel.end());
    std::printf("--jobs 1: %.0f ms\n--jobs 2: %.0f ms\nspeed-up: %.2f\n", serial[1], parallel[1], serial[1] / parallel[1]);
    return 0;
}
