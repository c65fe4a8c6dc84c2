// Every fuzz target over its seed corpus: the findings of earlier fuzzing
// live there as seeds, so a fixed finding stays fixed without clang.
#include "FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(FuzzCorpora, EverySeedKeepsEveryPromise)
{
    for (const varnel::fuzz::Target& t : varnel::fuzz::targets()) {
        const QDir corpus(QStringLiteral(VARNEL_FUZZ_CORPUS_DIR "/") + QLatin1String(t.name));
        const QStringList seeds = corpus.entryList(QDir::Files);
        EXPECT_FALSE(seeds.isEmpty()) << t.name << " has no seeds";
        for (const QString& seed : seeds) {
            QFile f(corpus.filePath(seed));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << seed.toStdString();
            const QByteArray bytes = f.readAll();
            // A broken promise aborts, and names its seed first.
            std::fprintf(stderr, "%s/%s\n", t.name, qPrintable(seed));
            EXPECT_EQ(t.entry(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())), 0);
        }
    }
}
