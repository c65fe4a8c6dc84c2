// Power-off asks logind through busctl, then systemctl where that fails,
// here through stand-ins that only write down that they were asked: PATH
// names their folder alone, so no machine is ever shut down.
#include "platform/PowerOff.h"

#include "TestSupport.h"
#include "core/tools/ToolRegistry.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct StandIns {
    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");
    StandIns(const QByteArray& busctl)
    {
        test::writeScript(dir.filePath("busctl"), "echo \"$*\" >> " + QFile::encodeName(dir.filePath("asked")) + "\n" + busctl);
        test::writeScript(dir.filePath("systemctl"), "echo \"systemctl $*\" >> " + QFile::encodeName(dir.filePath("asked")) + "\n");
        qputenv("PATH", QFile::encodeName(dir.path()));
    }
    ~StandIns() { qputenv("PATH", oldPath); }
    QString asked() const
    {
        QFile f(dir.filePath("asked"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

const QString kLogind = "call org.freedesktop.login1 /org/freedesktop/login1 org.freedesktop.login1.Manager PowerOff b false\n";

} // namespace

TEST(PowerOff, LogindFirstThenSystemctlAndNothingAfterTheRunnerHasGone)
{
    const struct {
        const char* what;
        QByteArray busctl; // what busctl does after writing down its call
        bool runnerGoes;   // the runner is destroyed while busctl runs
        QString asked;
    } cases[] = {
        {"logind answers", "exit 0\n", false, kLogind},
        {"logind refuses", "exit 1\n", false, kLogind + "systemctl poweroff\n"},
        // The runner's end kills busctl: its end must not reach for the runner.
        {"the runner goes first", "exec /bin/sleep 600\n", true, kLogind},
    };
    for (const auto& c : cases) {
        StandIns standIns(c.busctl);
        auto tools = std::make_unique<ToolRegistry>();
        QPointer<QObject> request = requestPowerOff(*tools);
        if (c.runnerGoes) {
            ASSERT_TRUE(test::waitFor([&] { return standIns.asked() == kLogind; }, 30000)) << c.what;
            tools.reset();
        }
        EXPECT_TRUE(test::waitFor([&] { return request.isNull(); }, 30000)) << c.what << ": the request is over";
        EXPECT_EQ(standIns.asked(), c.asked) << c.what;
    }
}
