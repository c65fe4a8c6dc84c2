// fetch and download through the real executable, against a server of the
// test's own on 127.0.0.1.
#include "HttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

#include <csignal>

using namespace varnel;

namespace {

struct DownloadCli : ::testing::Test {
    test::HttpServer server;
    QTemporaryDir data;
    QString out, err;

    DownloadCli()
    {
        const QByteArray flv = QUrl::toPercentEncoding(QUrl::toPercentEncoding(server.url("/a.flv")));
        server.route("/watch", {200, "OK",
                                "'VIDEO_ID': 'v1', 'VIDEO_TITLE': 'Tab\there',"
                                "watch-video-desc description\"><span >two\nlines\\</span>"
                                "\"fmt_url_map\": \"5%7C" + flv + "%2C22%7Cnowhere\""});
        server.route("/a.flv", {200, "OK", QByteArray(3000, 'f')});
    }
    int run(const QStringList& args)
    {
        QProcess p;
        p.start(test::binDir() + "/varnel-convert", args);
        EXPECT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 60000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

} // namespace

TEST_F(DownloadCli, FetchPrintsTheFieldsAndTheStoredLinks)
{
    ASSERT_EQ(run({"fetch", server.url("/watch"), "--program-folder", data.path()}), 0) << err.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11) << out.toStdString();
    EXPECT_EQ(lines[0], "title\tTab\\there");
    EXPECT_EQ(lines[2], "id\tv1");
    EXPECT_EQ(lines[5], "description\ttwo\\nlines\\\\");
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(lines[i].section('\t', 0, 0), QStringList({"title", "author", "id", "published", "category",
                                                               "description", "thumbnail", "length", "rating"})[i]);
    EXPECT_EQ(lines[9], "format 5\t" + QString::fromLatin1(QUrl::toPercentEncoding(server.url("/a.flv"))));
    EXPECT_EQ(lines[10], "format 22\tnowhere");

    ASSERT_EQ(run({"fetch", "--json", server.url("/watch"), "--program-folder", data.path()}), 0);
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(out.count('\n'), 1);
    EXPECT_EQ(o.value("title").toString(), "Tab\there");
    EXPECT_EQ(o.value("description").toString(), "two\nlines\\");
    EXPECT_EQ(o.value("formats").toObject().value("22").toString(), "nowhere");

    EXPECT_EQ(run({"fetch", server.url("/gone")}), 1);
    EXPECT_TRUE(err.contains("Something Went Wrong")) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(DownloadCli, DownloadWritesTheFileOrNothing)
{
    ASSERT_EQ(run({"download", server.url("/watch"), "--format", "5", "--program-folder", data.path()}), 0)
        << err.toStdString();
    EXPECT_EQ(out, data.filePath("Tab_here.flv") + "\n") << "a title's TAB is no part of a file name";
    EXPECT_EQ(QFileInfo(data.filePath("Tab_here.flv")).size(), 3000);
    EXPECT_TRUE(err.contains("100 % ")) << err.toStdString();

    EXPECT_EQ(run({"download", server.url("/watch"), "--format", "22", "--program-folder", data.path()}), 1);
    EXPECT_TRUE(err.contains("Error-")) << err.toStdString();
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Tab_here.flv"});
    EXPECT_EQ(run({"download", server.url("/watch"), "--format", "7"}), 2) << "not a format of the window";
}

TEST_F(DownloadCli, CtrlCEndsADownloadWithoutALeftover)
{
    const QByteArray stall = QUrl::toPercentEncoding(QUrl::toPercentEncoding(server.url("/stall.flv")));
    server.route("/slow", {200, "OK", "'VIDEO_TITLE': 'Slow',\"fmt_url_map\": \"5%7C" + stall + "\""});
    server.route("/stall.flv", {200, "OK", "", "video/x-flv", true, 5000, true}); // headers, then nothing
    QProcess p;
    p.start(test::binDir() + "/varnel-convert", {"download", server.url("/slow"), "--format", "5", "--program-folder", data.path()});
    // The hidden file appears once the headers are taken.
    ASSERT_TRUE(test::waitFor([&] { return !QDir(data.path()).entryList(QDir::Files | QDir::Hidden).isEmpty(); }, 30000));
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_TRUE(QDir(data.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(DownloadCli, FetchListsTheStreamsYtDlpFinds)
{
    QTemporaryDir bin;
    test::writeScript(bin.filePath("yt-dlp"),
                      "echo '{\"title\": \"Found\", \"id\": \"f1\", \"formats\": [{\"format_id\": \"18\", \"ext\": \"mp4\","
                      " \"vcodec\": \"avc1\", \"acodec\": \"mp4a\", \"height\": 360, \"url\": \"http://x/18\"}]}'\n");
    qputenv("VARNEL_YTDLP", bin.filePath("yt-dlp").toUtf8());
    server.route("/today", {200, "OK", "<html>no table</html>"});
    const int rc = run({"fetch", server.url("/today"), "--program-folder", data.path()});
    qunsetenv("VARNEL_YTDLP");
    ASSERT_EQ(rc, 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("title\tFound\n")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("format 22\thttp://x/18\n")) << out.toStdString();
}
