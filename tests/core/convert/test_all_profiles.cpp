// Every profile of the catalogue converts a short clip through the run, and
// the result is the container and frame size the profile promises.
#include "core/convert/ConversionRun.h"

#include "RunRig.h"
#include "core/convert/EncoderForms.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/settings/Settings.h"
#include "core/profiles/OptionSheet.h"
#include "core/sources/SourceList.h"
#include "core/tools/ToolRegistry.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

std::vector<int> profileNumbers()
{
    std::vector<int> out;
    for (const CatalogueEntry& e : Catalogue::entries())
        if (!e.isHeader)
            out.push_back(e.number);
    return out;
}

// What ffprobe calls the container each extension stands for.
QString containerOf(const QString& extension)
{
    static const std::map<QString, QString> names = {
        {".mp4", "mov,mp4,m4a,3gp,3g2,mj2"}, {".3gp", "mov,mp4,m4a,3gp,3g2,mj2"},
        {".3g2", "mov,mp4,m4a,3gp,3g2,mj2"}, {".m4a", "mov,mp4,m4a,3gp,3g2,mj2"},
        {".avi", "avi"}, {".wmv", "asf"}, {".wma", "asf"}, {".flv", "flv"}, {".swf", "swf"},
        {".mpg", "mpeg"}, {".mp3", "mp3"}, {".ogg", "ogg"}, {".wav", "wav"}, {".aac", "aac"},
        {".webm", "matroska,webm"}, {".mkv", "matroska,webm"}, {".opus", "ogg"}, {".flac", "flac"},
    };
    return names.at(extension);
}

} // namespace

class EveryProfile : public ::testing::TestWithParam<int> {};

TEST_P(EveryProfile, ConvertsAClipIntoItsContainer)
{
    const int entry = GetParam();
    test::RunRig rig;
    rig.choose(entry);
    const int row = rig.addRow(test::videoClip(3), "0:00:03");
    ASSERT_TRUE(rig.runToEnd(180000));
    const SourceList& list = rig.list;
    const ConversionRun& run = *rig.run;
    const OptionSheet& sheet = rig.sheet;

    const QString extension = Catalogue::entry(entry)->extension();
    EXPECT_EQ(list.cell(row, SourceItem::Status), "OK");
    const QString output = run.outputPath(list.item(row).id);
    EXPECT_TRUE(output.endsWith(extension)) << output.toStdString();
    const test::MediaInfo info = test::probeMedia(output);
    EXPECT_EQ(info.formatName, containerOf(extension)) << output.toStdString();
    const bool audioProfile = isAudioForm(formForEntry(entry)->form);
    EXPECT_EQ(info.hasVideo, !audioProfile);
    EXPECT_TRUE(info.hasAudio);
    if (!audioProfile) {
        // Today's formats keep the source's size unless asked for a box.
        const QString chosen = sheet.value(Group::Video, "Video Size");
        const QString size = chosen == "Original" ? QString("320x240") : chosen;
        EXPECT_EQ(QString("%1x%2").arg(info.width).arg(info.height), size);
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EveryProfile, ::testing::ValuesIn(profileNumbers()));
