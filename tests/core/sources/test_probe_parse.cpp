#include "core/sources/MediaProbe.h"
#include "core/sources/SourceList.h"

#include <gtest/gtest.h>

using namespace varnel;

namespace {
SourceItem applied(const QString& output)
{
    SourceList list;
    const int row = list.append("/v/a.avi");
    applyProbeResult(list, row, parseIdentifyOutput(output));
    return list.item(row);
}
}

TEST(ProbeParse, FillsSizeLengthAndFormat)
{
    for (const char* eol : {"\n", "\r\n"}) {
        const QString out = QString("MPlayer 1.5\nID_VIDEO_WIDTH=640%1ID_VIDEO_HEIGHT=480%1ID_LENGTH=83.47%1ID_VIDEO_FORMAT=XVID%1")
                                .arg(QString(eol));
        const SourceItem it = applied(out);
        EXPECT_EQ(it.cells[SourceItem::Size], "640x480");
        EXPECT_EQ(it.cells[SourceItem::End], "0:01:23");
        EXPECT_EQ(it.cells[SourceItem::VideoTime], "0:01:23");
        EXPECT_EQ(it.cells[SourceItem::Format], "XVID");
        EXPECT_EQ(it.cells[SourceItem::Start], "0:00:00");
        EXPECT_EQ(it.cells[SourceItem::Status], "");
        EXPECT_EQ(it.cells[SourceItem::FileName], "/v/a.avi");
        EXPECT_EQ(it.tag, "/v/a.avi");
    }
}

TEST(ProbeParse, AudioOnlyAndEmptyOutput)
{
    const SourceItem audio = applied("ID_AUDIO_CODEC=mp3\nID_LENGTH=5.00\n");
    EXPECT_EQ(audio.cells[SourceItem::Size], "0x0");
    EXPECT_EQ(audio.cells[SourceItem::Format], "");
    EXPECT_EQ(audio.cells[SourceItem::End], "0:00:05");

    const SourceItem nothing = applied("");
    EXPECT_EQ(nothing.cells[SourceItem::Size], "0x0");
    EXPECT_EQ(nothing.cells[SourceItem::Start], "0:00:00");
    EXPECT_EQ(nothing.cells[SourceItem::End], "");
    EXPECT_EQ(nothing.cells[SourceItem::VideoTime], "");
}

TEST(ProbeParse, ExactKeysLastOccurrenceAndSecondEquals)
{
    const ProbeResult r = parseIdentifyOutput(
        "id_length=99\nID_VIDEO_WIDTH=320\nID_VIDEO_WIDTH=640\nID_VIDEO_FORMAT=H264=extra\nID_LENGTH=10.5\nID_LENGTH=9.4\n");
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.format, "H264");
    EXPECT_EQ(r.length, "0:00:09");
    EXPECT_EQ(parseIdentifyOutput("ID_LENGTH=10.5\n").length, "0:00:11");
    EXPECT_EQ(parseIdentifyOutput("ID_LENGTH=90061\n").length, "1:01:01") << "a day wraps";
}

TEST(ProbeParse, NonNumericSizeStopsAtThatLine)
{
    const SourceItem it = applied("ID_LENGTH=3\nID_VIDEO_WIDTH=abc\nID_VIDEO_FORMAT=H264\n");
    EXPECT_EQ(it.cells[SourceItem::End], "0:00:03");
    EXPECT_EQ(it.cells[SourceItem::Format], "") << "lines after the bad one are not read";
    EXPECT_EQ(it.cells[SourceItem::Size], "");
}

TEST(ProbeParse, IdentifyCommandText)
{
    const QString tail = "-benchmark -nosound -vo null -vf cropdetect -endpos 1 \"/v/my clip.avi\"";
    EXPECT_EQ(identifyCommand("/opt/varnel", "/v/my clip.avi").text(), "/opt/varnel//mp.dll -identify " + tail);
    EXPECT_EQ(identifyCommand("/opt/varnel/", "/v/my clip.avi").text(), "/opt/varnel//mp.dll -identify " + tail);
    EXPECT_EQ(identifyCommand("/opt/my app", "/v/my clip.avi").argv(),
              (QStringList{"/opt/my app//mp.dll", "-identify", "-benchmark", "-nosound", "-vo", "null", "-vf",
                           "cropdetect", "-endpos", "1", "/v/my clip.avi"}));
}
