// Formyutobe against a server of the test's own: the fetch fills the window
// and enables the buttons found; the stream buttons download or preview.
#include "gui/download/DownloaderWindow.h"

#include "HttpServer.h"
#include "TestSupport.h"
#include "core/download/VideoDownloader.h"
#include "core/workspace/Workspace.h"

#include <QBuffer>
#include <QImage>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Window : ::testing::Test {
    test::HttpServer server;
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    Workspace workspace{folder.path(), shell, messages};
    int asked = 0;
    bool answer = true;
    DownloaderWindow window{workspace, messages, [this](QWidget*) { ++asked; return answer; }, nullptr};

    Window()
    {
        QDir(folder.path()).mkdir("Cache");
        auto twice = [](const QString& link) { return QUrl::toPercentEncoding(QUrl::toPercentEncoding(link)); };
        server.route("/thumb.jpg", {200, "OK", "not really a picture"});
        server.route("/watch", {200, "OK",
                                "'VIDEO_ID': 'v9', 'VIDEO_TITLE': 'Sample',\"length_seconds\": \"42\","
                                "\"rv.2.thumbnailUrl\": \"" + QUrl::toPercentEncoding(server.url("/thumb.jpg")) + "\","
                                "\"fmt_url_map\": \"5%7C" + twice(server.url("/s5")) + "%2C35%7C" + twice(server.url("/s35")) +
                                "%2C22%7C" + twice(server.url("/s22")) + "\""});
        server.route("/s5", {200, "OK", QByteArray(5000, '5')});
        server.route("/s22", {200, "OK", QByteArray(2200, '2')});
        window.show();
    }
    template <typename T>
    T* find(const char* name) { return window.findChild<T*>(QLatin1String(name)); }
    void getDirectLink() { getDirectLinkOf("/watch"); }
    void getDirectLinkOf(const QString& path)
    {
        find<QLineEdit>("txtWatchUrl")->setText(server.url(path));
        QSignalSpy done(&window.downloader(), &VideoDownloader::fetchFinished);
        find<QPushButton>("cmdG")->click();
        ASSERT_TRUE(done.count() > 0 || done.wait(30000));
    }
    bool downloadWith(const char* button)
    {
        QSignalSpy done(&window.downloader(), &VideoDownloader::downloaded);
        find<QPushButton>(button)->click();
        return done.count() > 0 || done.wait(30000);
    }
};

} // namespace

TEST_F(Window, TheFetchFillsTheWindowAndEnablesWhatItFound)
{
    EXPECT_TRUE(find<QLineEdit>("txtWatchUrl")->text().endsWith("watch?v=XXXXX"));
    EXPECT_TRUE(find<QPushButton>("cmdG")->isEnabled()) << "enabled when the window opens";
    EXPECT_EQ(window.size(), QSize(window.twips(7170), window.twips(4845)));
    getDirectLink();
    EXPECT_FALSE(find<QPushButton>("cmdG")->isEnabled()) << "not twice for one address";
    EXPECT_EQ(find<QLabel>("lblTitle1")->text(), "Sample");
    EXPECT_EQ(find<QLabel>("lblDur")->text(), "42 Sec.");
    EXPECT_EQ(find<QLabel>("lblTitle")->text(), "Complete!");
    EXPECT_TRUE(QFile::exists(folder.file("Cache/v9.jpg")));
    const struct { const char* button; bool enabled; } buttons[] = {
        {"getFlv", true}, {"getHDH", false}, {"getHDL", true}, {"getMp4", true}};
    for (const auto& b : buttons)
        EXPECT_EQ(find<QPushButton>(b.button)->isEnabled(), b.enabled) << b.button;
    find<QLineEdit>("txtWatchUrl")->setText(server.url("/watch?again"));
    EXPECT_TRUE(find<QPushButton>("cmdG")->isEnabled());
}

TEST_F(Window, StreamButtonsDownloadOrPreview)
{
    getDirectLink();
    ASSERT_TRUE(downloadWith("getMp4"));
    EXPECT_EQ(asked, 0) << "Get MP4 downloads at once";
    EXPECT_EQ(QFileInfo(folder.file("Sample.mp4")).size(), 2200);
    EXPECT_EQ(find<QProgressBar>("pbDownload")->value(), 100);
    EXPECT_EQ(find<QLabel>("Label2")->text(), "100 % ");
    EXPECT_EQ(find<QLabel>("lblTitle")->text(), "Saved as " + folder.file("Sample.mp4"));

    ASSERT_TRUE(downloadWith("getFlv"));
    EXPECT_EQ(asked, 1) << "Get FLV asks first";
    EXPECT_EQ(QFileInfo(folder.file("Sample.flv")).size(), 5000);

    auto* frame = find<QGroupBox>("frmPR");
    EXPECT_GE(frame->x(), window.width()) << "out of view at first";
    answer = false;
    find<QPushButton>("getHDL")->click();
    EXPECT_EQ(frame->pos(), QPoint(window.twips(240), window.twips(120)));
    EXPECT_EQ(find<QWidget>("SWF")->toolTip(), "Preview of Sample");
    EXPECT_TRUE(messages.shown.isEmpty());
    QTest::mouseClick(find<QLabel>("Label6"), Qt::LeftButton);
    EXPECT_EQ(frame->x(), window.twips(8000));
    find<QPushButton>("cmdPR")->click();
    EXPECT_EQ(frame->pos(), QPoint(window.twips(300), window.twips(450)));
    EXPECT_TRUE(messages.shown.isEmpty());

    // Only a web link plays: a page's file:// link is handed to no player.
    server.route("/local", {200, "OK", "'VIDEO_TITLE': 'Local',\"fmt_url_map\": \"35%7C" +
                                           QUrl::toPercentEncoding(QUrl::toPercentEncoding("file:///etc/passwd")) + "\""});
    getDirectLinkOf("/local");
    // Get MP4 stays enabled from the page before, but that page's stream
    // is not this one's.
    QSignalSpy noLink(&window.downloader(), &VideoDownloader::downloadFailed);
    server.requests.clear();
    find<QPushButton>("getMp4")->click();
    ASSERT_TRUE(noLink.count() > 0 || noLink.wait(30000));
    EXPECT_EQ(noLink.first().at(0).toString(), "no link for this format");
    EXPECT_TRUE(server.requests.isEmpty());
    messages.shown.clear();
    find<QPushButton>("getHDL")->click();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
    EXPECT_FALSE(test::isRunning("/etc/passwd"));

    // A failure says why on the status line.
    server.route("/gone", {200, "OK", "'VIDEO_TITLE': 'Gone',\"fmt_url_map\": \"22%7C" +
                                           QUrl::toPercentEncoding(QUrl::toPercentEncoding(server.url("/nothing"))) + "\""});
    getDirectLinkOf("/gone");
    QSignalSpy failed(&window.downloader(), &VideoDownloader::downloadFailed);
    find<QPushButton>("getMp4")->click();
    ASSERT_TRUE(failed.count() > 0 || failed.wait(30000));
    EXPECT_TRUE(find<QLabel>("lblTitle")->text().startsWith("Failed: ")) << find<QLabel>("lblTitle")->text().toStdString();
}

TEST_F(Window, YtDlpAnswersOnlyItsOwnPageAndEndsWithTheWindow)
{
    // yt-dlp is slow for page A, quick for B; a download of it writes its
    // file, then waits.
    QTemporaryDir bin;
    test::writeScript(bin.filePath("yt-dlp"),
                      "if [ \"$1\" = -J ]; then case \"$3\" in *slow*) sleep 6134;; esac\n"
                      "echo '{\"title\": \"Page '\"${3##*/}\"'\", \"formats\": [{\"format_id\": \"18\", \"ext\": \"mp4\","
                      " \"vcodec\": \"avc1\", \"acodec\": \"mp4a\", \"url\": \"http://127.0.0.1:9/18\"}]}'; exit 0; fi\n"
                      "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && out=$2; shift; done\n"
                      "printf 'part' > \"$out\"; exec sleep 6135\n");
    qputenv("VARNEL_YTDLP", bin.filePath("yt-dlp").toUtf8());
    auto guard = qScopeGuard([] { qunsetenv("VARNEL_YTDLP"); });
    server.route("/slow", {200, "OK", "<html>no table</html>"});
    server.route("/quick", {200, "OK", "<html>no table</html>"});
    auto* status = find<QLabel>("lblTitle");
    find<QLineEdit>("txtWatchUrl")->setText(server.url("/slow"));
    find<QPushButton>("cmdG")->click();
    ASSERT_TRUE(test::waitFor([] { return test::isRunning("sleep 6134"); }, 30000));
    EXPECT_EQ(status->text(), "Asking yt-dlp for the streams...") << "not complete while yt-dlp is asked";

    getDirectLinkOf("/quick");
    EXPECT_EQ(find<QLabel>("lblTitle1")->text(), "Page quick");
    EXPECT_EQ(status->text(), "Complete!");
    EXPECT_TRUE(test::waitFor([] { return !test::isRunning("sleep 6134"); }, 30000)) << "the look-up for A is ended";
    EXPECT_FALSE(test::waitFor([&] { return find<QLabel>("lblTitle1")->text() != "Page quick"; }, 2000));

    // Closed mid-download: yt-dlp ends and its file goes with it.
    find<QPushButton>("getMp4")->click();
    ASSERT_TRUE(test::waitFor([] { return test::isRunning("sleep 6135"); }, 30000));
    auto entries = [&] { return QDir(folder.path()).entryList({"*.mp4", ".varnel-*"}, QDir::Files | QDir::Dirs | QDir::Hidden); };
    EXPECT_EQ(entries().size(), 1);
    QTest::mouseClick(find<QWidget>("cmdCLose"), Qt::LeftButton);
    EXPECT_TRUE(test::waitFor([] { return !test::isRunning("sleep 6135"); }, 30000));
    EXPECT_TRUE(entries().isEmpty()) << entries().join('|').toStdString();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('|').toStdString();
}

TEST_F(Window, AThumbnailIsHeldAtTheSizeShownAndAHugeOneNotAtAll)
{
    auto png = [](int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    auto* picture = find<QLabel>("picTitle");
    server.route("/thumb.jpg", {200, "OK", png(640, 480)});
    getDirectLink();
    ASSERT_TRUE(test::waitFor([&] { return !picture->pixmap().isNull() && picture->pixmap().width() < 640; }, 30000))
        << picture->pixmap().width() << "x" << picture->pixmap().height() << " " << picture->width();
    EXPECT_LE(picture->pixmap().width(), picture->width());
    EXPECT_LE(picture->pixmap().height(), picture->height());

    // 5600x5600 pixels in a few kilobytes: not unpacked.
    server.route("/thumb.jpg", {200, "OK", png(5600, 5600)});
    QSignalSpy shown(&window.downloader(), &VideoDownloader::thumbnailShown);
    find<QLineEdit>("txtWatchUrl")->setText(server.url("/watch?again"));
    find<QPushButton>("cmdG")->click();
    ASSERT_TRUE(shown.count() > 0 || shown.wait(30000));
    EXPECT_TRUE(picture->pixmap().isNull());
}
