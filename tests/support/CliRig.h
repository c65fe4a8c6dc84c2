#pragma once
// varnel-convert run as a user runs it, in a program folder of the test's own.
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <functional>
#include <gtest/gtest.h>

namespace varnel::test {

struct Cli : ::testing::Test {
    test::ProgramFolder folder;
    QString out, err;

    QProcessEnvironment env = [this] {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("VARNEL_PROGRAM_FOLDER", folder.path());
        return e;
    }();
    QString program = test::binDir() + "/varnel-convert";
    QString workingDir;

    int run(const QStringList& args, const std::function<void(QProcess&)>& during = {})
    {
        QProcess p;
        p.setProcessEnvironment(env);
        if (!workingDir.isEmpty())
            p.setWorkingDirectory(workingDir);
        p.start(program, args);
        EXPECT_TRUE(p.waitForStarted());
        p.closeWriteChannel();
        if (during)
            during(p);
        // Waited for with the event loop running: a test's own server answers meanwhile.
        EXPECT_TRUE(p.state() == QProcess::NotRunning ||
                    test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 180000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
};

} // namespace varnel::test
