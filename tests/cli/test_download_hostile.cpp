// What hostile or careless servers, pages and yt-dlp answers once got past
// the downloader, tried again through the real executable against a server
// of the test's own on 127.0.0.1.
#include "HttpServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace varnel;

namespace {

QByteArray twice(const QString& link)
{
    return QUrl::toPercentEncoding(QUrl::toPercentEncoding(link));
}

struct Hostile : ::testing::Test {
    test::HttpServer server;
    QTemporaryDir data;
    QTemporaryDir bin;
    QString out, err;

    ~Hostile() override { qunsetenv("VARNEL_YTDLP"); }
    // A watch page with this title, offering its stream as format 5 and 22.
    void page(const QByteArray& title, const test::HttpResponse& stream, const QByteArray& extra = {})
    {
        server.route("/s", stream);
        server.route("/watch", {200, "OK",
                                "'VIDEO_ID': 'v1', 'VIDEO_TITLE': '" + title + "'," + extra +
                                    "\"fmt_url_map\": \"5%7C" + twice(server.url("/s")) + "%2C22%7C" +
                                    twice(server.url("/s")) + "\""});
    }
    // A yt-dlp of the test's own: lookUp runs for "-J"; a download writes
    // "made by yt-dlp" to its -o name (or what $YTMODE says), then runs after.
    void ytdlp(const QByteArray& lookUp, const QByteArray& after = {})
    {
        test::writeScript(bin.filePath("yt-dlp"),
                          "if [ \"$1\" = -J ]; then " + lookUp + "\nexit 0; fi\n"
                          "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && out=$2; shift; done\n"
                          "case \"$YTMODE\" in link) ln -s /etc/passwd \"$out\";; hard) ln \"$0\" \"$out\";;\n"
                          "dir) mkdir \"$out\"; printf x > \"$out.part\";; suid) printf x > \"$out\"; chmod 6777 \"$out\";;\n"
                          "*) printf 'made by yt-dlp' > \"$out\";; esac\n"
                          "echo '[download]  50.0% of 1MiB'\n" + after + "\n");
        qputenv("VARNEL_YTDLP", bin.filePath("yt-dlp").toUtf8());
    }
    QStringList args(const char* verb, int format = 0) const
    {
        QStringList a{verb, server.url("/watch"), "--program-folder", data.path()};
        if (format)
            a << "--format" << QString::number(format);
        return a;
    }
    int run(const QStringList& arguments)
    {
        QProcess p;
        p.start(test::binDir() + "/varnel-convert", arguments);
        EXPECT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 90000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList files() const { return QDir(data.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(data.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray contents(const QString& name) const
    {
        QFile f(data.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
};

} // namespace

TEST_F(Hostile, AStreamIsSavedWholeUnderAFreeNameOrNotAtAll)
{
    const test::HttpResponse whole{200, "OK", QByteArray(3000, 'v'), "video/mp4"};
    test::HttpResponse part{206, "Partial Content", QByteArray(1000, 'p'), "video/mp4"};
    part.headers = "Content-Range: bytes 0-999/5000\r\n";
    const struct {
        const char* what;
        QByteArray title;
        test::HttpResponse stream;
        int format;
        QString saved; // empty: a failure whose message holds why
        QString why;
    } cases[] = {
        {"a user's file stays", "Holiday", whole, 22, "Holiday (2).mp4", {}},
        {"an empty body is no file", "Holiday", {200, "OK", ""}, 5, {}, "Error-the server sent an empty file"},
        {"a part is not the whole", "Holiday", part, 22, {}, "Error-the server answered 206 Partial Content"},
        {"a short body is no file", "Holiday", {200, "OK", "short", "video/mp4", true, 5000}, 22, {},
         "Error-the transfer ended after 5 of 5000 bytes"},
        {"direction marks leave names", "\u034f\ufe0fholiday\u202e4pm.exe\u200b\u2066\ufeff\u180b", whole, 22, "holiday4pm.exe.mp4", {}},
        {"no name is hidden", ". . .. .", whole, 22, "v1.mp4", {}},
        {"two lengths that differ are no length", "Holiday",
         {200, "OK", QByteArray(3000, 'v'), "video/mp4", false, -1, false, "Content-Length: 3000\r\nContent-Length: 10\r\n"},
         22, {}, "Error-the server gave two lengths"},
        {"two lengths in one header", "Holiday",
         {200, "OK", QByteArray(3000, 'v'), "video/mp4", false, -1, false, "Content-Length: 10,3000\r\n"}, 22, {},
         "Error-the server gave two lengths"},
        {"a length that is no number", "Holiday",
         {200, "OK", QByteArray(3000, 'v'), "video/mp4", false, -1, false, "Content-Length: 6000abc\r\n"}, 22, {},
         "Error-the server gave a length that is no number"},
        {"a body of no stated length is saved", "Chunks", {200, "OK", QByteArray(3000, 'c'), "video/mp4", false}, 22,
         "Chunks.mp4", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& f : files())
            QFile::remove(data.filePath(f));
        put("Holiday.mp4", "the user's own");
        put("Holiday.flv", QByteArray(5000, 'u'));
        ::chmod(QFile::encodeName(data.filePath("Holiday.mp4")).constData(), 04777);
        page(c.title, c.stream);
        const int rc = run(args("download", c.format));
        EXPECT_EQ(contents("Holiday.mp4"), "the user's own");
        EXPECT_EQ(contents("Holiday.flv"), QByteArray(5000, 'u'));
        if (c.saved.isEmpty()) {
            EXPECT_EQ(rc, 1);
            EXPECT_TRUE(err.contains(c.why)) << err.toStdString();
            EXPECT_TRUE(out.isEmpty());
            EXPECT_EQ(files().size(), 2) << files().join('|').toStdString();
        } else {
            EXPECT_EQ(rc, 0) << err.toStdString();
            EXPECT_EQ(out, data.filePath(c.saved) + "\n");
            EXPECT_EQ(contents(c.saved), c.stream.body);
            struct stat st {};
            ::stat(QFile::encodeName(data.filePath(c.saved)).constData(), &st);
            EXPECT_EQ(st.st_mode & 07111, 0u) << "a new file takes no user's file's mode";
            EXPECT_EQ(files().size(), 3) << files().join('|').toStdString();
        }
    }
}

TEST_F(Hostile, RedirectsAreJudgedByTheFinalAnswerEveryTime)
{
    server.route("/r1", {302, "Found", "", "text/html", true, -1, false, "Location: /r2\r\n"});
    server.route("/r2", {302, "Found", "", "text/html", true, -1, false, "Location: /r3\r\n"});
    server.route("/r3", {302, "Found", "", "text/html", true, -1, false, "Location: /final\r\n"});
    server.route("/final", {200, "OK", QByteArray(3000, 'f'), "video/mp4"});
    server.route("/watch", {200, "OK", "'VIDEO_TITLE': 'Moved',\"fmt_url_map\": \"22%7C" + twice(server.url("/r1")) + "\""});
    // Joined headers came now and then: many tries find them.
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(run(args("download", 22)), 0) << "try " << i << ": " << err.toStdString();
        EXPECT_EQ(QFileInfo(out.trimmed()).size(), 3000);
        QFile::remove(out.trimmed());
    }
}

TEST_F(Hostile, PagesAreReadInTheirOwnCharsetAndPrintedSafely)
{
    server.route("/watch", {200, "OK", "'VIDEO_ID': 'v1', 'VIDEO_TITLE': 'Caf\xe9 cr\xe8me',", "text/html; charset=iso-8859-1"});
    ASSERT_EQ(run(args("fetch")), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("title\tCafé crème\n")) << out.toStdString();

    QString utf16 = QStringLiteral("\ufeff'VIDEO_ID': 'v2', 'VIDEO_TITLE': 'Wide',");
    server.route("/watch", {200, "OK", QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2), "text/html"});
    ASSERT_EQ(run(args("fetch")), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("\nid\tv2\n")) << out.toStdString();

    server.route("/watch", {200, "OK", "'VIDEO_ID': 'v3', 'VIDEO_TITLE': 'Esc\xc2\x9b" "31mape',"});
    ASSERT_EQ(run(args("fetch")), 0);
    EXPECT_TRUE(out.startsWith("title\tEsc\\x9b31mape\n")) << out.toStdString();
    ASSERT_EQ(run(args("fetch") << "--json"), 0);
    EXPECT_TRUE(out.contains("Esc\\u009b31mape")) << out.toStdString();
    server.route("/watch", {404, "Not\x1b[2J Found\xc2\x9b"});
    EXPECT_EQ(run(args("fetch")), 1);
    EXPECT_TRUE(err.contains("Not\\x1b[2J Found")) << err.toStdString();
    EXPECT_FALSE(err.contains(QChar(0x1b)) || err.contains(QChar(0x9b)));

    // A 2 MB id is named at once, not character by character.
    server.route("/watch", {200, "OK", "'VIDEO_ID': '" + QByteArray(2'000'000, 'i') + "', 'VIDEO_TITLE': 'Long',"});
    ASSERT_EQ(run(args("fetch")), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("title\tLong\n"));
}

TEST_F(Hostile, AThumbnailNeverHoldsTheStreamBack)
{
    test::HttpResponse endless{200, "OK", QByteArray(1'000'000, 'j'), "image/jpeg"};
    endless.trickleMs = 100; // never silent, never done
    server.route("/thumb.jpg", endless);
    QDir(data.path()).mkdir("Cache");
    page("Quick", {200, "OK", QByteArray(3000, 'q'), "video/mp4"},
         "\"rv.2.thumbnailUrl\": \"" + QUrl::toPercentEncoding(server.url("/thumb.jpg")) + "\",");
    ASSERT_EQ(run(args("download", 22)), 0) << err.toStdString();
    EXPECT_EQ(contents("Quick.mp4"), QByteArray(3000, 'q'));
}

TEST_F(Hostile, ADeadDownloadsLeftoverGoesAndALongPathIsRefusedBeforeAsking)
{
    page("Stuck", {200, "OK", "", "video/mp4", true, 5000, true});
    QProcess killed;
    killed.start(test::binDir() + "/varnel-convert", args("download", 22));
    ASSERT_TRUE(test::waitFor([&] { return !files().isEmpty(); }, 30000));
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(test::waitFor([&] { return killed.state() == QProcess::NotRunning; }, 30000));
    ASSERT_EQ(files().size(), 1) << "the hidden file of the killed run";
    EXPECT_TRUE(files().first().startsWith(".varnel-"));
    page("Next", {200, "OK", "next", "video/mp4"});
    ASSERT_EQ(run(args("download", 22)), 0) << err.toStdString();
    EXPECT_EQ(files(), QStringList{"Next.mp4"});

    // A folder deep enough that the name fits under it, but not the hidden
    // name it is written to first.
    QString deep = data.path();
    while (deep.size() < 3940)
        deep += "/" + QString(100, 'd');
    deep += "/" + QString(4040 - deep.size() - 1, 'e');
    ASSERT_TRUE(QDir().mkpath(deep));
    page("tttttttttt", {200, "OK", "never asked", "video/mp4"});
    server.requests.clear();
    ASSERT_EQ(run({"download", server.url("/watch"), "--format", "22", "--program-folder", deep}), 1);
    EXPECT_TRUE(err.contains("Error-")) << err.toStdString();
    EXPECT_EQ(server.requests, QList<QByteArray>{"/watch"}) << "the stream is never asked for";
}

TEST_F(Hostile, YtDlpNeverReplacesAFileAndCtrlCLeavesNothingRunning)
{
    ytdlp("echo '{\"title\": \"Holiday\", \"id\": \"h1\", \"formats\": [{\"format_id\": \"18\", \"ext\": \"mp4\","
          " \"vcodec\": \"avc1\", \"acodec\": \"mp4a\", \"height\": 360, \"url\": \"http://127.0.0.1:9/18\"}]}'",
          "if [ -n \"$SLOW\" ]; then exec sleep 6127; fi");
    server.route("/watch", {200, "OK", "<html>no table</html>"});
    put("Holiday.mp4", "the user's own");
    ASSERT_EQ(run(args("download", 22)), 0) << err.toStdString();
    EXPECT_EQ(out, data.filePath("Holiday (2).mp4") + "\n");
    EXPECT_EQ(contents("Holiday (2).mp4"), "made by yt-dlp");
    EXPECT_EQ(contents("Holiday.mp4"), "the user's own");

    // Only a file of its own is a download, with the modes of any new file.
    const auto all = [&] { return QDir(data.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };
    for (const char* mode : {"link", "hard", "dir"}) {
        qputenv("YTMODE", mode);
        EXPECT_EQ(run(args("download", 22)), 1) << mode;
        EXPECT_TRUE(err.contains("Error-yt-dlp saved nothing")) << mode << err.toStdString();
        EXPECT_EQ(all().size(), 2) << mode << all().join('|').toStdString();
    }
    qputenv("YTMODE", "suid");
    ASSERT_EQ(run(args("download", 22)), 0) << err.toStdString();
    qunsetenv("YTMODE");
    struct stat st {};
    ::stat(QFile::encodeName(data.filePath("Holiday (3).mp4")).constData(), &st);
    EXPECT_EQ(st.st_mode & 07111, 0u);
    QFile::remove(data.filePath("Holiday (3).mp4"));

    qputenv("SLOW", "1");
    QProcess p;
    p.start(test::binDir() + "/varnel-convert", args("download", 22));
    ASSERT_TRUE(test::waitFor([&] { return all().size() == 3; }, 30000)) << "yt-dlp's hidden folder";
    ASSERT_TRUE(test::waitFor([] { return test::isRunning("sleep 6127"); }, 30000));
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
    qunsetenv("SLOW");
    EXPECT_EQ(p.exitCode(), 3);
    EXPECT_EQ(all().size(), 2) << all().join('|').toStdString();
    EXPECT_FALSE(test::isRunning("sleep 6127"));
    EXPECT_FALSE(p.readAllStandardError().contains("QProcess")) << "no process is left to Qt's destructor";
}

TEST_F(Hostile, AHangingYtDlpIsEndedAndItsOnlyLinksAreWebLinks)
{
    server.route("/watch", {200, "OK", "'VIDEO_TITLE': 'Waiting', <html>no table</html>"});
    // What a yt-dlp that ended well left running ends with it.
    ytdlp("sleep 6129 >/dev/null 2>&1 & echo '{}'");
    ASSERT_EQ(run(args("fetch")), 0) << err.toStdString();
    EXPECT_FALSE(test::isRunning("sleep 6129"));

    ytdlp("exec sleep 6128");
    QProcess interrupted;
    interrupted.start(test::binDir() + "/varnel-convert", args("fetch"));
    ASSERT_TRUE(test::waitFor([] { return test::isRunning("sleep 6128"); }, 30000));
    ::kill(static_cast<pid_t>(interrupted.processId()), SIGINT);
    ASSERT_TRUE(test::waitFor([&] { return interrupted.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(interrupted.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(interrupted.exitCode(), 3);
    EXPECT_FALSE(test::isRunning("sleep 6128"));

    ASSERT_EQ(run(args("fetch")), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("title\tWaiting\n"));
    EXPECT_FALSE(out.contains("format ")) << out.toStdString();
    EXPECT_FALSE(test::isRunning("sleep 6128"));

    // Only a web link is a stream: none plays or is fetched from the disk.
    server.route("/watch", {200, "OK", "'VIDEO_TITLE': 'Local',\"fmt_url_map\": \"5%7C" + twice("file:///etc/passwd") + "\""});
    EXPECT_EQ(run(args("download", 5)), 1);
    EXPECT_TRUE(err.contains("Error-no link for this format")) << err.toStdString();
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(Hostile, AHugeYtDlpAnswerIsCutAndNeverHeld)
{
    // 100 MB of one JSON text.
    ytdlp("printf '{\"title\": \"'; head -c 100000000 /dev/zero | tr '\\0' a; printf '\"}'");
    server.route("/watch", {200, "OK", "'VIDEO_TITLE': 'Big', <html>no table</html>"});
    ASSERT_EQ(run(args("fetch")), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("title\tBig\n")) << out.left(200).toStdString();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "kB at most, in the largest program this test ran";
}
