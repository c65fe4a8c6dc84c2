// make package as a user's system meets it: the .deb that cpack builds from
// this build, checked by Debian's own tools.
#include "TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

// What lintian reports at level error or warning.
QStringList errorsAndWarnings(const QString& report)
{
    return report.split(u'\n').filter(QRegularExpression(QStringLiteral("^[EW]: ")));
}

} // namespace

TEST(Package, TheDebIsLintianCleanWithValidMetainfoAndDesktopEntry)
{
    for (const char* tool : {"cpack", "dpkg-deb", "lintian", "appstreamcli", "desktop-file-validate"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    QTemporaryDir out;
    QString log;
    ASSERT_EQ(test::run("cpack", {"-G", "DEB", "--config", VARNEL_BUILD_DIR "/CPackConfig.cmake", "-B", out.path()}, &log,
                        300000),
              0)
        << log.toStdString();
    const QStringList debs = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << log.toStdString();
    const QString deb = out.filePath(debs.first());

    QString report;
    test::run("lintian", {deb}, &report, 300000);
    EXPECT_EQ(errorsAndWarnings(report), QStringList()) << report.toStdString();

    const QString root = out.filePath("root");
    ASSERT_EQ(test::run("dpkg-deb", {"-x", deb, root}, &log), 0) << log.toStdString();
    const QString metainfo = root + "/usr/share/metainfo/io.github.varnel.VideoConverter.metainfo.xml";
    // The file alone, then with the desktop entry and icon it names.
    for (const QStringList& args : {QStringList{"validate", "--no-net", metainfo}, {"validate-tree", "--no-net", root}}) {
        EXPECT_EQ(test::run("appstreamcli", args, &report), 0) << report.toStdString();
        EXPECT_EQ(errorsAndWarnings(report), QStringList()) << report.toStdString();
    }
    EXPECT_EQ(test::run("desktop-file-validate", {root + "/usr/share/applications/varnel-video-converter.desktop"}, &report), 0);
    EXPECT_EQ(report, "");

    // Software centres show the newest release: it is the version packaged.
    QString version;
    test::run("dpkg-deb", {"-f", deb, "Version"}, &version);
    QFile xml(metainfo);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    const QString newest =
        QRegularExpression(R"re(<release version="([^"]+)")re").match(QString::fromUtf8(xml.readAll())).captured(1);
    EXPECT_EQ(newest + "-1", version.trimmed());
    // The program reads this to keep out of its installed folder.
    EXPECT_TRUE(QFile::exists(root + "/usr/lib/varnel-video-converter/installed"));
}
