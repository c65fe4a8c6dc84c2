// The downloader against a server on 127.0.0.1: a page, its thumbnail, and
// streams that arrive whole, short, late or not at all.
#include "core/download/VideoDownloader.h"

#include "HttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

QByteArray pageFor(const test::HttpServer& server, const QByteArray& table, const QByteArray& title = "Clip")
{
    const QByteArray thumb = QUrl::toPercentEncoding(server.url("/thumb.jpg"));
    return "'VIDEO_ID': 'vid42', 'VIDEO_TITLE': '" + title + "',"
           "\"rv.2.thumbnailUrl\": \"" + thumb + "\",\"length_seconds\": \"42\","
           "<div class=\"master-sprite ratingL ratingL-4\">" +
           (table.isEmpty() ? QByteArray() : "\"fmt_url_map\": \"" + table + "\"");
}

// A stream table entry: the link encoded twice, as the page holds it.
QByteArray entry(int format, const QString& link)
{
    return QByteArray::number(format) + "%7C" + QUrl::toPercentEncoding(QUrl::toPercentEncoding(link));
}

struct Download : ::testing::Test {
    test::HttpServer server;
    QTemporaryDir data;
    test::RecordingMessages messages;
    VideoDownloader downloader{data.path(), messages};
    QStringList status;

    Download()
    {
        QDir(data.path()).mkdir("Cache");
        QObject::connect(&downloader, &VideoDownloader::statusText, [this](const QString& s) { status << s; });
        server.route("/thumb.jpg", {200, "OK", "JPEGDATA"});
    }
    void fetch(const QString& path)
    {
        QSignalSpy done(&downloader, &VideoDownloader::fetchFinished);
        downloader.fetch(server.url(path));
        ASSERT_TRUE(done.count() > 0 || done.wait(30000));
    }
    // Downloads a format; true when it ended well.
    bool download(int format)
    {
        QSignalSpy ok(&downloader, &VideoDownloader::downloaded);
        QSignalSpy bad(&downloader, &VideoDownloader::downloadFailed);
        downloader.download(format);
        EXPECT_TRUE(test::waitFor([&] { return ok.count() + bad.count() > 0; }, 30000));
        return ok.count() > 0;
    }
    QByteArray contents(const QString& name)
    {
        QFile f(data.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
};

} // namespace

TEST_F(Download, AFetchFillsTheFieldsButtonsAndThumbnail)
{
    server.route("/watch", {200, "OK", pageFor(server, entry(5, server.url("/a.flv")) + "%2C" + entry(35, server.url("/b.flv")))});
    QSignalSpy formats(&downloader, &VideoDownloader::formatsFound);
    QSignalSpy thumbnail(&downloader, &VideoDownloader::thumbnailShown);
    fetch("/watch?v=vid42");
    EXPECT_EQ(downloader.info().title, "Clip");
    EXPECT_EQ(downloader.info().length, "42");
    EXPECT_EQ(downloader.enabledFormats(), (std::set<int>{5, 35}));
    ASSERT_EQ(thumbnail.count(), 1);
    EXPECT_EQ(thumbnail.first().at(0).toString(), data.filePath("Cache/vid42.jpg"));
    EXPECT_EQ(contents("Cache/vid42.jpg"), "JPEGDATA");
    EXPECT_EQ(downloader.streamUrl(35), QUrl(server.url("/b.flv")));
    for (const char* s : {"Looking up IP address", "IP address found", "Connecting Host", "Connected.", "Request sent.",
                          "Receiving Response..", "Reading Data...", "Response received.", "Complete!"})
        EXPECT_TRUE(status.contains(s)) << s << " in " << status.join('|').toStdString();
    EXPECT_TRUE(messages.shown.isEmpty());

    // A second page without those formats disables nothing.
    server.route("/other", {200, "OK", pageFor(server, entry(22, server.url("/c.mp4")))});
    fetch("/other");
    EXPECT_EQ(downloader.enabledFormats(), (std::set<int>{5, 22, 35}));
}

TEST_F(Download, StreamsArriveInPiecesWithProgress)
{
    const QByteArray kb(1024, 'a'), kbAndOne = QByteArray(1025, 'b');
    server.route("/watch", {200, "OK", pageFor(server, entry(5, server.url("/1024")) + "%2C" + entry(22, server.url("/1025")))});
    server.route("/1024", {200, "OK", kb});
    server.route("/1025", {200, "OK", kbAndOne});
    fetch("/watch");
    QList<QString> labels;
    QObject::connect(&downloader, &VideoDownloader::progress, [&](int, const QString& l) { labels << l; });
    ASSERT_TRUE(download(5));
    EXPECT_EQ(labels, QStringList{"100 % "}) << "1024 bytes are one piece";
    labels.clear();
    ASSERT_TRUE(download(22));
    EXPECT_EQ(labels, (QStringList{"100 % "})) << "1024 of 1025 rounds to 100 too";
    EXPECT_EQ(contents("Clip.flv"), kb);
    EXPECT_EQ(contents("Clip.mp4"), kbAndOne);

    // A decoded link reaches the server byte for byte: the byte E9 stays one
    // byte, never a character of some code page.
    const QByteArray raw = server.url("/caf").toLatin1() + "\xE9";
    server.route("/caf%E9", {200, "OK", "bytes"});
    server.route("/raw", {200, "OK", pageFor(server, "34%7C" + raw.toPercentEncoding().toPercentEncoding())});
    fetch("/raw");
    ASSERT_TRUE(download(34)) << server.requests.join(" ").toStdString();
    EXPECT_TRUE(server.requests.contains("/caf%E9")) << server.requests.join(" ").toStdString();
}

TEST_F(Download, EveryFailureSaysSoAndLeavesNoPartialFile)
{
    QByteArray table;
    const struct { int format; const char* path; test::HttpResponse response; const char* says; } cases[] = {
        {5, "/nolength", {200, "OK", "data", "video/x-flv", false}, "Error-the server did not say how long the file is"},
        {34, "/short", {200, "OK", "only half", "video/x-flv", true, 1000}, "Error-the transfer ended after 9 of 1000 bytes"},
        {35, "/missing", {404, "Not Found", "<html>not here</html>"}, "Error-the server answered 404 Not Found"},
    };
    for (const auto& c : cases) {
        server.route(c.path, c.response);
        table += (table.isEmpty() ? "" : "%2C") + entry(c.format, server.url(c.path));
    }
    server.route("/watch", {200, "OK", pageFor(server, table)});
    fetch("/watch");
    for (const auto& c : cases) {
        const QString name = downloadFileName(downloader.info(), c.format);
        QFile old(data.filePath(name));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older file");
        old.close();
        messages.shown.clear();
        EXPECT_FALSE(download(c.format)) << c.path;
        EXPECT_EQ(messages.shown, QStringList{QString("error: ") + c.says}) << c.path;
        EXPECT_EQ(contents(name), "an older file") << c.path << ": kept whole";
    }
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden).size(), 3) << "no partial file anywhere";
}

TEST_F(Download, ASlowOrMissingPageSaysSo)
{
    downloader.pageTransfer().setTimeoutMs(700);
    server.route("/stall", {200, "OK", "", "text/html", true, 100, true});
    fetch("/stall");
    EXPECT_TRUE(status.contains("Slow Connection")) << status.join('|').toStdString();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith("error: Something Went Wrong\n")) << messages.shown[0].toStdString();
    EXPECT_TRUE(downloader.enabledFormats().empty());

    status.clear();
    messages.shown.clear();
    fetch("/nowhere");
    EXPECT_FALSE(status.contains("Slow Connection"));
    EXPECT_TRUE(status.last().startsWith("Error 404 ")) << status.join('|').toStdString();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith("error: Something Went Wrong\n"));
}

TEST_F(Download, TheResolverFillsWhatThePageLacks)
{
    QTemporaryDir bin;
    test::writeScript(bin.filePath("yt-dlp"),
               "if [ \"$1\" = -J ]; then\n"
               "  echo '{\"title\": \"Res: olved\", \"id\": \"r1\", \"uploader\": \"u\", \"duration\": 12.4,"
               " \"thumbnail\": \"" + server.url("/thumb.jpg").toUtf8() + "\", \"formats\": ["
               " {\"format_id\": \"18\", \"ext\": \"mp4\", \"vcodec\": \"avc1\", \"acodec\": \"mp4a\", \"height\": 360, \"url\": \"http://x/18\"},"
               " {\"format_id\": \"137\", \"ext\": \"mp4\", \"vcodec\": \"avc1\", \"acodec\": \"none\", \"height\": 1080, \"url\": \"http://x/137\"}]}'\n"
               "  exit 0\nfi\n"
               "while [ \"$1\" != -o ]; do shift; done\n"
               "echo '[download]  50.0% of 1.00KiB'; echo '[download] 100% of 1.00KiB'; echo done > \"$2\"\n");
    qputenv("VARNEL_YTDLP", bin.filePath("yt-dlp").toUtf8());
    server.route("/watch", {200, "OK", "<html>a page of today, without a stream table</html>"});
    fetch("/watch");
    EXPECT_EQ(downloader.enabledFormats(), std::set<int>{22}) << "the best MP4 with sound and picture";
    EXPECT_EQ(downloader.info().title, "Res olved");
    EXPECT_EQ(downloader.info().length, "12");
    EXPECT_EQ(downloader.streamUrl(22), QUrl("http://x/18"));
    QList<int> percents;
    QObject::connect(&downloader, &VideoDownloader::progress, [&](int p, const QString&) { percents << p; });
    EXPECT_TRUE(download(22));
    EXPECT_EQ(percents, (QList<int>{50, 100}));
    EXPECT_EQ(contents("Res olved.mp4"), "done\n");

    qputenv("VARNEL_YTDLP", "/no/such/yt-dlp");
    server.route("/bare", {200, "OK", "<html></html>"});
    fetch("/bare");
    EXPECT_EQ(downloader.enabledFormats(), std::set<int>{22}) << "without yt-dlp nothing changes";
    qunsetenv("VARNEL_YTDLP");
}
