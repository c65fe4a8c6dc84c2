// The downloader against a server on 127.0.0.1: a page, its thumbnail, and
// streams that arrive whole, short, late or not at all.
#include "core/convert/OutputFiles.h"
#include "core/download/VideoDownloader.h"
#include "core/tools/ToolRegistry.h"

#include "HttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>
#include <sys/mount.h>

using namespace varnel;

namespace {

QByteArray pageFor(const test::HttpServer& server, const QByteArray& table, const QByteArray& title = "Clip",
                   const QByteArray& id = "vid42")
{
    const QByteArray thumb = QUrl::toPercentEncoding(server.url("/thumb.jpg"));
    return "'VIDEO_ID': '" + id + "', 'VIDEO_TITLE': '" + title + "',"
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
    ToolRegistry tools;
    VideoDownloader downloader{data.path(), messages, tools};
    QStringList status;

    Download()
    {
        QDir(data.path()).mkdir("Cache");
        QObject::connect(&downloader, &VideoDownloader::statusText, [this](const QString& s) { status << s; });
        server.route("/thumb.jpg", {200, "OK", "JPEGDATA"});
    }
    void fetch(const QString& path, VideoDownloader* other = nullptr)
    {
        VideoDownloader& d = other ? *other : downloader;
        QSignalSpy done(&d, &VideoDownloader::fetchFinished);
        d.fetch(server.url(path));
        ASSERT_TRUE(done.count() > 0 || done.wait(30000));
    }
    // Downloads a format; true when it ended well.
    bool download(int format, VideoDownloader* other = nullptr)
    {
        VideoDownloader& d = other ? *other : downloader;
        QSignalSpy ok(&d, &VideoDownloader::downloaded);
        QSignalSpy bad(&d, &VideoDownloader::downloadFailed);
        d.download(format);
        EXPECT_TRUE(test::waitFor([&] { return ok.count() + bad.count() > 0; }, 30000));
        return ok.count() > 0;
    }
    QByteArray contents(const QString& name)
    {
        QFile f(data.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    void writeOlder(const QString& path)
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older file");
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
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "no partial file anywhere";
}

TEST_F(Download, AStreamThatStallsIsEndedAndSaysSo)
{
    downloader.setLimits({.streamStallMs = 800});
    server.route("/stalls", {200, "OK", "", "video/mp4", true, 1000, true});
    server.route("/watch", {200, "OK", pageFor(server, entry(22, server.url("/stalls")))});
    fetch("/watch");
    EXPECT_FALSE(download(22));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith("error: Error-no answer within 0.8 s")) << messages.shown[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(data.filePath("Clip.mp4")));
}

TEST_F(Download, AStreamOfNoStatedLengthIsSavedWithItsBytesTold)
{
    server.route("/nolength", {200, "OK", QByteArray(3000, 'c'), "video/x-flv", false});
    server.route("/watch", {200, "OK", pageFor(server, entry(5, server.url("/nolength")))});
    fetch("/watch");
    QStringList labels;
    QObject::connect(&downloader, &VideoDownloader::progress, [&](int, const QString& l) { labels << l; });
    ASSERT_TRUE(download(5)) << messages.shown.join('|').toStdString();
    EXPECT_EQ(contents("Clip.flv"), QByteArray(3000, 'c'));
    EXPECT_EQ(labels.value(0), "0.0 MB ");
}

TEST_F(Download, ASlowOrMissingPageSaysSo)
{
    downloader.setLimits({.silenceMs = 700});
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

    // A page that is never silent, but never done, has its time for all of it.
    messages.shown.clear();
    downloader.setLimits({.silenceMs = 700, .pageMs = 1500, .fileMs = 1500});
    test::HttpResponse trickle{200, "OK", QByteArray(100000, 'x'), "text/html"};
    trickle.trickleMs = 50;
    server.route("/trickle", trickle);
    fetch("/trickle");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains("the page did not arrive within 1.5 s")) << messages.shown[0].toStdString();
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

TEST_F(Download, NamesFromAPageStayOneNameInTheirFolder)
{
    // Deep enough that any "../" that got through would still land in data.
    const QString folder = data.filePath("a/b/c/d/e");
    ASSERT_TRUE(QDir().mkpath(folder + "/Cache"));
    VideoDownloader deep{folder, messages, tools};
    server.route("/s.mp4", {200, "OK", "stream"});
    const QByteArray link = entry(22, server.url("/s.mp4"));
    const QString e98 = QString(98, QChar(0xE9));
    const struct { QByteArray title, id; QString file, thumbnail; } cases[] = {
        {"", "../../../../x/pwned", "_.._.._.._x_pwned.mp4", "_.._.._.._x_pwned.jpg"},
        {"", "/etc/passwd", "_etc_passwd.mp4", "_etc_passwd.jpg"},
        {"Clip", QByteArray("../evil.desktop\0", 16), "Clip.mp4", "_evil.desktop_.jpg"},
        {QByteArray("a\0b", 3), "v1", "a_b.mp4", "v1.jpg"},
        {"two\nlines", "v2", "two_lines.mp4", "v2.jpg"},
        {QString(500, QChar(0xE9)).toUtf8(), "v3", e98 + ".mp4", "v3.jpg"}, // 1000 bytes, cut to 200 whole
        {"...", "..", "video.mp4", "video.jpg"},
    };
    QStringList expected;
    for (const auto& c : cases) {
        server.route("/watch", {200, "OK", pageFor(server, link, c.title, c.id)});
        QSignalSpy saved(&deep, &VideoDownloader::downloaded);
        fetch("/watch", &deep);
        ASSERT_TRUE(download(22, &deep)) << c.file.toStdString() << messages.shown.join('|').toStdString();
        EXPECT_EQ(saved.first().at(0).toString(), folder + "/" + c.file) << "the name reported is the name saved";
        EXPECT_TRUE(QFile::exists(folder + "/Cache/" + c.thumbnail)) << c.thumbnail.toStdString();
        expected << "a/b/c/d/e/" + c.file << "a/b/c/d/e/Cache/" + c.thumbnail;
    }
    QStringList found;
    for (QDirIterator it(data.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        found << QDir(data.path()).relativeFilePath(it.next());
    found.sort();
    expected.sort();
    EXPECT_EQ(found, expected) << "nothing written anywhere else";
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Download, PagesAndThumbnailsAreCapped)
{
    // Told in the headers, or found out while reading: the same end, and no page.
    for (const bool toldFirst : {true, false}) {
        server.route("/big", {200, "OK", QByteArray(kPageLimit + 1, ' '), "text/html", toldFirst});
        messages.shown.clear();
        fetch("/big");
        EXPECT_EQ(messages.shown, QStringList{"error: Something Went Wrong\nthe page is larger than 8 MiB"});
        EXPECT_TRUE(downloader.info().id.isEmpty());
    }
    const QByteArray page = pageFor(server, "");
    server.route("/full", {200, "OK", page + QByteArray(kPageLimit - page.size(), ' ')});
    server.route("/thumb.jpg", {200, "OK", QByteArray(kThumbnailLimit + 1, 'j'), "image/jpeg", false});
    QSignalSpy thumbnail(&downloader, &VideoDownloader::thumbnailShown);
    messages.shown.clear();
    fetch("/full");
    EXPECT_EQ(downloader.info().id, "vid42") << "a page of exactly the limit is read";
    EXPECT_EQ(thumbnail.count(), 0);
    EXPECT_TRUE(QDir(data.filePath("Cache")).isEmpty()) << "nothing of a thumbnail too large";
    EXPECT_TRUE(messages.shown.isEmpty());

    // A thumbnail off the web is never read (nor a pipe waited on).
    server.route("/local", {200, "OK", "'VIDEO_ID': 'loc', \"rv.2.thumbnailUrl\": \"file%3A%2F%2Flocalhost%2Fetc%2Fpasswd\","});
    fetch("/local");
    EXPECT_EQ(downloader.info().id, "loc");
    EXPECT_TRUE(QDir(data.filePath("Cache")).isEmpty());
}

TEST_F(Download, StreamsFollowRedirectsButNotInCircles)
{
    test::HttpServer other;
    other.route("/final.mp4", {200, "OK", "moved twice"});
    // Another host: the same machine by another name.
    const QByteArray elsewhere = other.url("/final.mp4").replace("127.0.0.1", "localhost").toUtf8();
    server.route("/r1", {301, "Moved Permanently", "", "text/html", true, -1, false, "Location: /r2\r\n"});
    server.route("/r2", {302, "Found", "<html>moved</html>", "text/html", true, -1, false, "Location: " + elsewhere + "\r\n"});
    server.route("/loop", {302, "Found", "", "text/html", true, -1, false, "Location: /loop\r\n"});
    server.route("/watch", {200, "OK", pageFor(server, entry(5, server.url("/r1")) + "%2C" + entry(22, server.url("/loop")))});
    fetch("/watch");
    ASSERT_TRUE(download(5)) << messages.shown.join('|').toStdString();
    EXPECT_EQ(contents("Clip.flv"), "moved twice");
    EXPECT_FALSE(download(22));
    EXPECT_EQ(messages.shown, QStringList{"error: Error-Too many redirects"});
    EXPECT_EQ(server.requests.count("/loop"), 1 + kMaxRedirects);
    EXPECT_FALSE(QFile::exists(data.filePath("Clip.mp4")));
}

TEST_F(Download, StreamsComeAsTheServerHoldsThem)
{
    server.route("/empty", {200, "OK", ""});
    server.route("/packed", {200, "OK", "\x1f\x8b packed", "video/mp4", true, -1, false, "Content-Encoding: gzip\r\n"});
    server.route("/watch", {200, "OK", pageFor(server, entry(5, server.url("/empty")) + "%2C" + entry(22, server.url("/packed")))});
    fetch("/watch");
    EXPECT_FALSE(download(5)) << "a length of 0 is no video";
    EXPECT_FALSE(QFileInfo::exists(data.filePath("Clip.flv")));
    EXPECT_EQ(messages.shown.value(0), "error: Error-the server sent an empty file");
    messages.shown.clear();
    EXPECT_EQ(server.acceptEncodings.at(server.requests.indexOf("/empty")), "identity");
    EXPECT_NE(server.acceptEncodings.at(server.requests.indexOf("/watch")), "identity") << "a page may come packed";
    EXPECT_FALSE(download(22));
    EXPECT_EQ(messages.shown, QStringList{"error: Error-the server sent the file packed (gzip), not as it is"});
}

TEST_F(Download, WriteErrorsSayTheSystemsReasonAndKeepTheOlderFile)
{
    // A name the folder cannot hold: refused before anything is asked for.
    HttpTransfer transfer;
    QSignalSpy failed(&transfer, &HttpTransfer::failed);
    transfer.download(QUrl(server.url("/s.mp4")), data.filePath(QString(300, u'n')));
    ASSERT_TRUE(failed.wait(30000));
    EXPECT_TRUE(failed.first().at(0).toString().endsWith("is longer than this folder holds (300 bytes, at most 255)"))
        << failed.first().at(0).toString().toStdString();
    EXPECT_TRUE(server.requests.isEmpty());

    // A full disk: a tmpfs of 64 KiB.
    QTemporaryDir small;
    const QByteArray mountPoint = QFile::encodeName(small.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0)
        GTEST_SKIP() << "no small file system to fill: mount: " << std::strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
    VideoDownloader full{small.path(), messages, tools};
    server.route("/s.mp4", {200, "OK", QByteArray(256 << 10, 's')});
    server.route("/watch", {200, "OK", pageFor(server, entry(22, server.url("/s.mp4")))});
    fetch("/watch", &full);
    writeOlder(small.filePath("Clip.mp4"));
    EXPECT_FALSE(download(22, &full));
    EXPECT_EQ(messages.shown, QStringList{"error: Error-cannot write " + small.filePath("Clip.mp4") +
                                          ": No space left on device"});
    QFile kept(small.filePath("Clip.mp4"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "an older file");
    EXPECT_EQ(QDir(small.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Clip.mp4"}) << "no partial file";
}

TEST_F(Download, ACancelSaysNothingAndKeepsTheOlderFile)
{
    server.route("/slow.mp4", {200, "OK", "", "video/mp4", true, 5000, true}); // headers, then nothing
    server.route("/watch", {200, "OK", pageFor(server, entry(22, server.url("/slow.mp4")))});
    fetch("/watch");
    writeOlder(data.filePath("Clip.mp4"));
    QSignalSpy failed(&downloader, &VideoDownloader::downloadFailed);
    status.clear();
    downloader.download(22);
    ASSERT_TRUE(test::waitFor([&] { return status.contains("Receiving Response.."); }, 30000));
    downloader.cancel();
    test::waitFor([] { return false; }, 300); // anything late would come now
    EXPECT_EQ(failed.count(), 0);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    EXPECT_EQ(contents("Clip.mp4"), "an older file");
    EXPECT_EQ(QDir(data.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Clip.mp4"}) << "no partial file";
}

TEST_F(Download, ADownloadNeverReplacesAFileItDidNotMakeNorSavesNothing)
{
    server.route("/watch", {200, "OK", pageFor(server, entry(22, server.url("/video")) + "%2C" + entry(5, server.url("/empty")), "Holiday")});
    server.route("/video", {200, "OK", "the page's video"});
    server.route("/empty", {200, "OK", ""});
    writeOlder(data.filePath("Holiday.mp4"));
    writeOlder(data.filePath("Holiday.flv"));
    fetch("/watch");
    QSignalSpy saved(&downloader, &VideoDownloader::downloaded);
    ASSERT_TRUE(download(22));
    EXPECT_EQ(contents("Holiday.mp4"), "an older file");
    EXPECT_EQ(contents("Holiday (2).mp4"), "the page's video");
    EXPECT_EQ(saved.value(0).value(0).toString(), data.filePath("Holiday (2).mp4")) << "the name taken is the one told";
    EXPECT_EQ(status.last(), "Saved as " + data.filePath("Holiday (2).mp4"));
    ASSERT_TRUE(download(22));
    EXPECT_EQ(contents("Holiday (3).mp4"), "the page's video");

    EXPECT_FALSE(download(5)) << "an empty body is no video";
    EXPECT_EQ(status.last(), "Failed: the server sent an empty file");
    EXPECT_EQ(contents("Holiday.flv"), "an older file");
    EXPECT_FALSE(QFile::exists(data.filePath("Holiday (2).flv")));
}

TEST_F(Download, APartOfAFileOrALinkOffTheWebIsNoStream)
{
    server.route("/part", {206, "Partial Content", QByteArray(1000, 'p'), "video/mp4", true, -1, false,
                           "Content-Range: bytes 0-999/5000\r\n"});
    server.route("/watch", {200, "OK", pageFor(server, entry(22, server.url("/part")) + "%2C" + entry(5, "file:///etc/passwd") +
                                                       "%2C" + entry(34, "tv://"))});
    fetch("/watch");
    EXPECT_FALSE(download(22));
    EXPECT_EQ(messages.shown.value(0), "error: Error-the server answered 206 Partial Content");
    EXPECT_FALSE(QFileInfo::exists(data.filePath("Clip.mp4")));
    // The preview and the transfer get no link but a web one.
    EXPECT_TRUE(downloader.streamUrl(5).isEmpty());
    EXPECT_TRUE(downloader.streamUrl(34).isEmpty());
    EXPECT_FALSE(download(5));
    EXPECT_FALSE(QFileInfo::exists(data.filePath("Clip.flv")));
}

TEST_F(Download, ALookUpForAnEarlierPageIsEndedAndNeverFillsALaterOne)
{
    QTemporaryDir bin;
    // yt-dlp slow for one page, quick for the other; each names its page.
    test::writeScript(bin.filePath("yt-dlp"),
                      "case \"$3\" in *slow*) sleep 600; t=Slow ;; *) t=Quick ;; esac\n"
                      "echo '{\"title\": \"'$t'\", \"id\": \"'$t'\", \"formats\": [{\"format_id\": \"18\", \"ext\": \"mp4\","
                      " \"vcodec\": \"avc1\", \"acodec\": \"mp4a\", \"height\": 360, \"url\": \"http://x/'$t'\"}]}'\n");
    qputenv("VARNEL_YTDLP", bin.filePath("yt-dlp").toUtf8());
    server.route("/slow", {200, "OK", "<html>no table</html>"});
    server.route("/quick", {200, "OK", "<html>no table</html>"});
    downloader.fetch(server.url("/slow"));
    ASSERT_TRUE(test::waitFor([&] { return tools.runningCount() == 1; }, 30000)) << "the slow look-up runs";
    fetch("/quick");
    qunsetenv("VARNEL_YTDLP");
    EXPECT_EQ(downloader.info().title, "Quick");
    EXPECT_EQ(downloader.streamUrl(22), QUrl("http://x/Quick"));
    EXPECT_EQ(tools.runningCount(), 0) << "the earlier look-up was ended, so it can never answer";
}

TEST_F(Download, YtDlpWritesANameOfOursPlacedOnlyWhenWholeAndNeverOverAFile)
{
    QTemporaryDir bin;
    const QString mode = bin.filePath("mode");
    test::writeScript(bin.filePath("yt-dlp"),
                      "if [ \"$1\" = -J ]; then\n"
                      "  echo '{\"title\": \"Holiday\", \"id\": \"h1\", \"formats\": [{\"format_id\": \"18\", \"ext\": \"mp4\","
                      " \"vcodec\": \"avc1\", \"acodec\": \"mp4a\", \"height\": 360, \"url\": \"http://x/18\"}]}'; exit 0\n"
                      "fi\nwhile [ \"$1\" != -o ]; do shift; done\necho video > \"$2\"\n"
                      "case $(cat " + mode.toUtf8() + ") in fail) exit 1 ;; hang) exec sleep 600 ;; esac\n");
    auto setMode = [&](const QByteArray& m) {
        QFile f(mode);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(m);
    };
    qputenv("VARNEL_YTDLP", bin.filePath("yt-dlp").toUtf8());
    server.route("/watch", {200, "OK", "<html>no table</html>"});
    writeOlder(data.filePath("Holiday.mp4"));
    fetch("/watch");
    auto leftovers = [&] { return QDir(data.path()).entryList({".varnel-*"}, QDir::Files | QDir::Dirs | QDir::Hidden); };

    setMode("ok");
    ASSERT_TRUE(download(22));
    EXPECT_EQ(contents("Holiday.mp4"), "an older file");
    EXPECT_EQ(contents("Holiday (2).mp4"), "video\n");

    setMode("fail");
    EXPECT_FALSE(download(22));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();

    setMode("hang");
    downloader.download(22);
    ASSERT_TRUE(test::waitFor([&] { return !leftovers().isEmpty(); }, 30000));
    downloader.cancel();
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(data.filePath("Holiday (3).mp4")));
    qunsetenv("VARNEL_YTDLP");
}

TEST_F(Download, WhatADeadDownloadLeftIsRemovedAndNothingElse)
{
    QProcess gone;
    gone.start("true");
    ASSERT_TRUE(gone.waitForFinished(30000));
    output::RunIdentity dead = output::RunIdentity::current();
    dead.pid = gone.processId() > 0 ? gone.processId() : 999999;
    const QString live = output::RunIdentity::current().text();
    const QStringList names = {".varnel-" + dead.text() + ".1f.part", ".varnel-" + dead.text() + ".2e.download",
                               ".varnel-" + live + ".3d.part", ".varnel-notours.part", "Clip.mp4"};
    for (const QString& name : names)
        writeOlder(data.filePath(name));
    EXPECT_EQ(removeDeadDownloads(data.path()), 2);
    for (const QString& name : names)
        EXPECT_EQ(QFile::exists(data.filePath(name)), !name.contains(dead.text())) << name.toStdString();
}
