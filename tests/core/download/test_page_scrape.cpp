#include "core/download/PageScrape.h"
#include "core/download/StreamResolver.h"

#include "core/common/SafeName.h"
#include "core/common/StagedFile.h"
#include "core/download/HttpTransfer.h"
#include <gtest/gtest.h>

using namespace varnel;

TEST(PageScrape, TextBetweenCountsFromOne)
{
    const struct { const char* text; const char* start; const char* end; const char* expected; } cases[] = {
        {"a[x]b", "[", "]", "x"},
        {"a[x]b[y]", "[", "]", "x"},
        {"a[xb", "[", "]", ""},               // no end marker after the start: nothing
        {"abcdef]", "<<", "]", "bcdef"},      // no start marker: from position 2 (its length), 1-based
        {"ab", "<<<<<<", "]", ""},            // past the end of the text
        {"", "'VIDEO_ID': '", "'", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textBetween(c.text, c.start, c.end), c.expected) << c.text;
}

TEST(PageScrape, UrlDecodeWorksInBytes)
{
    EXPECT_EQ(urlDecode("a+b%41"), QByteArray("a bA")) << "an escape at the very end";
    EXPECT_EQ(urlDecode("%E9t%C3%A9"), QByteArray("\xE9t\xC3\xA9")) << "one byte each, never through a code page";
    EXPECT_EQ(urlDecode("50%"), QByteArray("50"));
    EXPECT_EQ(urlDecode("50%4"), QByteArray("504")) << "a % with one character after it is dropped";
    EXPECT_EQ(urlDecode("%zz"), std::nullopt);
    EXPECT_EQ(urlDecode("%4g"), std::nullopt);
}

namespace {
const char* kPage =
    "<script>'VIDEO_ID': 'abc123', 'VIDEO_TITLE': 'My (new): clip/\\\\it\\'s',</script>"
    "<a data-discoverbox-username=\"someone\" >"
    "<span class=\"watch-video-added post-date\">Dec 7, 2026</span>"
    "<a onclick=\"VideoCategoryLink');\">Music</a>"
    "<span class=\"watch-video-desc description\"><span >Hello there</span>"
    "\"rv.2.thumbnailUrl\": \"http%3A%2F%2Fhost%2Fthumb.jpg\","
    "\"length_seconds\": \"42\","
    "<div class=\"master-sprite ratingL ratingL-4.5\">"
    "\"fmt_url_map\": \"5%7Chttp%253A%252F%252Fh%252Fa.flv%2C18%7Cskip%2C22%7Chttp%253A%252F%252Fh%252Fb.mp4%2C5%7Cfirst\"";
}

TEST(PageScrape, AFullPage)
{
    VideoPageInfo info;
    ASSERT_TRUE(parseVideoPage(kPage, info));
    EXPECT_EQ(info.title, "My new clipits") << "loses / \\ ' : ( ) and nothing else";
    EXPECT_EQ(info.author, "someone");
    EXPECT_EQ(info.id, "abc123");
    EXPECT_EQ(info.published, "Dec 7, 2026");
    EXPECT_EQ(info.category, "Music");
    EXPECT_EQ(info.description, "Hello there");
    EXPECT_EQ(info.thumbnail, "http://host/thumb.jpg");
    EXPECT_EQ(info.length, "42");
    EXPECT_EQ(info.rating, "4.5");

    FormatLinks links;
    EXPECT_EQ(getUrls(kPage, links), (std::vector<int>{5, 22, 5}));
    EXPECT_EQ(links.size(), 2u) << "format 18 is skipped";
    EXPECT_EQ(links[5], "first") << "a later entry overwrites an earlier one";
    EXPECT_EQ(links[22], "http%3A%2F%2Fh%2Fb.mp4") << "stored still encoded";
}

TEST(PageScrape, DescriptionsAndBrokenTables)
{
    VideoPageInfo info;
    parseVideoPage("watch-video-desc description\">123456Plain text</span>", info);
    EXPECT_EQ(info.description, "Plain text") << "from the seventh character without <span >";

    FormatLinks links;
    EXPECT_EQ(getUrls("\"fmt_url_map\": \"34%7Cone%2Cnobar%2C35%7Ctwo\"", links), std::vector<int>{34})
        << "an entry without | ends the scan; those before it stay";
    EXPECT_EQ(getUrls("\"fmt_url_map\": \"x%7Cone%2C35%7Ctwo\"", links), std::vector<int>{});
    EXPECT_TRUE(getUrls("no table here", links).empty());

    VideoPageInfo kept;
    kept.rating = "old";
    EXPECT_FALSE(parseVideoPage("\"length_seconds\": \"%zz\",", kept)) << "a bad escape ends the step";
    EXPECT_EQ(kept.rating, "old");
}

TEST(PageScrape, FileNames)
{
    VideoPageInfo info;
    info.title = "Clip";
    EXPECT_EQ(downloadFileName(info, 5), "Clip.flv");
    EXPECT_EQ(downloadFileName(info, 34), "Clip_Full_HD.flv");
    EXPECT_EQ(downloadFileName(info, 35), "Clip_HD.flv");
    EXPECT_EQ(downloadFileName(info, 22), "Clip.mp4");
    info.title.clear();
    info.id = "abc";
    EXPECT_EQ(downloadFileName(info, 5), "abc.flv") << "never a hidden .flv";
    info.id.clear();
    EXPECT_EQ(downloadFileName(info, 22), "video.mp4");
    // yt-dlp's answer is from outside too.
    EXPECT_EQ(downloadFileName(parseResolverJson(R"({"id": "../x"})").info, 5), "_x.flv");
    EXPECT_EQ(thumbnailFileName(parseResolverJson(R"({"id": "../x"})").info), "_x.jpg");
}

TEST(PageScrape, SafeNamesShowWhatTheyAreAndNeverHide)
{
    const struct { QString given, name; } cases[] = {
        {QString::fromUtf8("holiday\u202e4pm.exe"), "holiday4pm.exe"},          // shown reversed otherwise
        {QString::fromUtf8("a\u200bb\u200dc\ufeffd\u2066e\u2069"), "abcde"},  // zero-width, BOM, isolates
        {QString::fromUtf8("x\u009by"), "x_y"},                                 // C1 control
        {".. . ..x", "x"},                                                       // dots and blanks, in any order
        {" . ", "video"},
        {QString("a").repeated(300), QString("a").repeated(200)},
        {QString::fromUtf8("\u00e9").repeated(150), QString::fromUtf8("\u00e9").repeated(100)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(safeFileName(c.given), c.name) << c.given.toStdString();
    // Linear: a 2 MB title is named at once (it took minutes, a character at a time).
    EXPECT_EQ(safeFileName(QString(2 << 20, u'x')).size(), 200);
}

TEST(PageScrape, PagesAreReadInTheirOwnCharset)
{
    const QString cafe = QString::fromUtf8("Caf\u00e9 cr\u00e8me");
    QByteArray utf16 = "\xff\xfe";
    for (const QChar c : cafe)
        utf16 += QByteArray(1, char(c.unicode() & 0xff)) + QByteArray(1, char(c.unicode() >> 8));
    const struct { QByteArray bytes, contentType; } cases[] = {
        {"Caf\xe9 cr\xe8me", "text/html; charset=iso-8859-1"},
        {"Caf\xe9 cr\xe8me", "text/html; Charset=\"windows-1252\""},
        {utf16, "text/html"},                            // a byte-order mark
        {cafe.toUtf8(), "text/html"},                    // UTF-8 unless told
        {cafe.toUtf8(), "text/html; charset=no-such-set"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodePage(c.bytes, c.contentType), cafe) << c.contentType.toStdString();
}

TEST(PageScrape, TheLengthIsTheFinalAnswersOwn)
{
    const struct { QByteArray header; bool known; qint64 length; } cases[] = {
        {"3000", true, 3000}, {"0, 3000", true, 3000}, {" 12 , 0 ", true, 0}, {"", false, 0}, {"x", false, 0},
    };
    for (const auto& c : cases) {
        bool known = false;
        const qint64 length = finalContentLength(c.header, &known);
        EXPECT_EQ(known, c.known) << c.header.toStdString();
        if (c.known) {
            EXPECT_EQ(length, c.length) << c.header.toStdString();
        }
    }
}

TEST(PageScrape, APathNoSystemHoldsIsRefusedBeforeAnythingIsAsked)
{
    QString deep = "/tmp";
    while (deep.size() < 4200)
        deep += "/" + QString(200, 'x');
    EXPECT_TRUE(StagedFile::nameRefusal(deep + "/Clip.mp4").contains("is longer than this system holds"));
    EXPECT_EQ(StagedFile::nameRefusal("/tmp/Clip.mp4"), "");
}
