#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"

#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Expected { int number; const char* row; const char* value; const char* choices; };
const Expected kExpected[] = {
#include "expected_option_sets.inc"
};

QString groupOf(const QString& row) { return row.startsWith("Video") ? Group::Video : Group::Audio; }

struct Sheet : OptionSheet {
    Sheet() { prolist(); }
    QString v(const char* row) const { return value(groupOf(row), row); }
    QString choices(const char* row) const { return findRow(groupOf(row), row)->choices.join('|'); }
};

} // namespace

class EveryEntry : public ::testing::TestWithParam<int> {};

TEST_P(EveryEntry, GivesItsTableValuesOnAFreshSheet)
{
    Sheet s;
    OptionSets::apply(s, GetParam());
    int checked = 0;
    for (const Expected& e : kExpected) {
        if (e.number != GetParam())
            continue;
        EXPECT_EQ(s.v(e.row), e.value) << e.row;
        EXPECT_EQ(s.choices(e.row), e.choices) << e.row;
        ++checked;
    }
    EXPECT_EQ(checked, 7);
    // Rows that no option set governs keep what the sheet started with.
    EXPECT_EQ(s.value(Group::Video, "Aspect Ratio"), "4:3");
    EXPECT_EQ(s.value(Group::Audio, "Audio Channel"), "2");
    EXPECT_EQ(s.value(Group::Audio, "Disable Audio"), "No");
    EXPECT_EQ(s.value(Group::General, "Item Name"), "Auto");
}

INSTANTIATE_TEST_SUITE_P(OptionSets, EveryEntry, ::testing::Range(1, 102));

TEST(OptionSets, ValueGivenWithReplacedChoicesIsOneOfThem)
{
    for (int n = 1; n <= 101; ++n) {
        for (const RowAction& a : OptionSets::actionsFor(n)) {
            if (a.kind == RowAction::Kind::ReplaceChoices) {
                EXPECT_TRUE(a.choices.contains(a.value)) << n << " " << a.row.toStdString();
            }
        }
    }
}

TEST(OptionSets, RowsLeftAloneKeepWhatWasChosenBefore)
{
    Sheet s;
    OptionSets::apply(s, 26);
    OptionSets::apply(s, 37);
    EXPECT_EQ(s.v("Video Framerate"), "29.97");
    EXPECT_EQ(s.v("Audio Bitrate"), "64");
    EXPECT_EQ(s.v("Sample Rate"), "24000");
    EXPECT_EQ(s.v("Video Codec"), "WMV V9");

    Sheet t;
    OptionSets::apply(t, 2);
    OptionSets::apply(t, 96);
    EXPECT_EQ(t.v("Video Codec"), "x264");
    EXPECT_EQ(t.v("Video Size"), "1024x768");
    EXPECT_EQ(t.choices("Video Size"), "480x320|640x480|1024x768|1280x720");
    EXPECT_EQ(t.v("Audio Codec"), "mp3");
    EXPECT_EQ(t.choices("Audio Codec"), "mp3");
}

TEST(OptionSets, HeadersActOnTheirBlock)
{
    Sheet s;
    OptionSets::apply(s, 2);
    Sheet before;
    OptionSets::apply(before, 2);
    OptionSets::apply(s, 1);
    for (const char* row : {"Video Codec", "Video Size", "Video Bitrate", "Audio Codec", "Sample Rate"}) {
        EXPECT_EQ(s.v(row), before.v(row));
        EXPECT_EQ(s.choices(row), before.choices(row));
    }

    OptionSets::apply(s, 41);
    EXPECT_EQ(s.v("Video Codec"), "x264");
    EXPECT_EQ(s.choices("Video Codec"), "");
    EXPECT_EQ(s.choices("Video Size"), "");
    EXPECT_EQ(s.choices("Audio Codec"), "");

    EXPECT_EQ(OptionSets::actionsFor(95), OptionSets::actionsFor(96));
}

TEST(OptionSets, AddedChoicesAreNotRepeatedWhenChosenAgain)
{
    Sheet s;
    OptionSets::apply(s, 29);
    const QString once = s.choices("Video Bitrate");
    EXPECT_TRUE(once.endsWith("2500|2000|3000")) << once.toStdString();
    OptionSets::apply(s, 30);
    OptionSets::apply(s, 29);
    EXPECT_EQ(s.choices("Video Bitrate"), once);

    Sheet t;
    OptionSets::apply(t, 91);
    EXPECT_EQ(t.v("Audio Codec"), "mp2");
    EXPECT_EQ(t.choices("Audio Codec"), "ac3|mp2");
    EXPECT_TRUE(t.choices("Video Bitrate").endsWith("|1800"));
}

TEST(OptionSets, NumbersOutsideTheCatalogueChangeNothing)
{
    EXPECT_TRUE(OptionSets::actionsFor(0).empty());
    EXPECT_TRUE(OptionSets::actionsFor(102).empty());
    EXPECT_TRUE(OptionSets::actionsFor(1).empty());
}
