#include "core/profiles/Catalogue.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace varnel;

TEST(Catalogue, Holds23HeadersAnd78ProfilesNumberedInOrderThenOurOwn)
{
    const auto& all = Catalogue::entries();
    ASSERT_EQ(all.size(), 109u);
    int headers = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].number, static_cast<int>(i + 1));
        headers += all[i].isHeader;
    }
    EXPECT_EQ(headers, 24);
    EXPECT_EQ(Catalogue::category(101), "Common Used Audio Formats");
    EXPECT_EQ(Catalogue::category(103), "Today's Formats");
    EXPECT_EQ(Catalogue::entry(0), nullptr);
    EXPECT_EQ(Catalogue::entry(110), nullptr);
}

TEST(Catalogue, HeadersCarryIconsWithinTheImageListAndNoDot)
{
    const struct { int number; const char* text; int icon; } headers[] = {
        {1, "Apple iPad", 44}, {6, "Apple iPod", 1}, {12, "Apple iPhone", 10}, {16, "Apple TV", 2},
        {19, "Google Android", 9}, {25, "Sony PSP", 15}, {28, "Sony PS3", 38}, {32, "Sony Walkman", 17},
        {36, "Microsoft Zune", 22}, {41, "Archos", 3}, {48, "Creative Zen", 21}, {53, "iRiver", 31},
        {60, "Sandisk Sansa", 16}, {64, "Microsoft Xbox 360", 20}, {68, "Nintendo Wii", 18},
        {70, "Mobile Phone", 12}, {75, "BlackBerry", 11}, {77, "Nokia", 30}, {79, "Windows Mobile", 31},
        {82, "Flash Video", 5}, {85, "Toshiba Gigabeat", 8}, {87, "Common Used Video Formats", 41},
        {95, "Common Used Audio Formats", 6},
    };
    for (const auto& h : headers) {
        const CatalogueEntry* e = Catalogue::entry(h.number);
        ASSERT_TRUE(e && e->isHeader) << h.number;
        EXPECT_EQ(e->text, h.text);
        EXPECT_EQ(e->icon, h.icon);
        EXPECT_LE(e->icon, Catalogue::kImageCount);
        EXPECT_EQ(e->extension(), "");
        EXPECT_FALSE(e->text.contains('.'));
    }
}

TEST(Catalogue, EveryProfileHasOneDotAndAFourCharacterExtension)
{
    const QSet<QString> known = {".mp4", ".wmv", ".avi", ".3gp", ".3g2", ".flv", ".swf",
                                 ".mpg", ".mp3", ".ogg", ".wav", ".aac", ".wma", ".m4a"};
    for (const CatalogueEntry& e : Catalogue::entries()) {
        if (e.isHeader || e.number > Catalogue::kEntryCount)
            continue;
        EXPECT_EQ(e.text.count('.'), 1) << e.number;
        EXPECT_TRUE(e.text.endsWith(")")) << e.number;
        EXPECT_TRUE(known.contains(e.extension())) << e.number << " " << e.extension().toStdString();
        EXPECT_EQ(e.text.right(e.extension().size() + 1), e.extension() + ")");
        EXPECT_EQ(e.icon, 0);
    }
}

TEST(Catalogue, TextsThatLookAlikeStayDistinctEntries)
{
    EXPECT_EQ(Catalogue::entry(3)->text, Catalogue::entry(9)->text);
    EXPECT_EQ(Catalogue::entry(4)->text, Catalogue::entry(10)->text);
    EXPECT_EQ(Catalogue::entry(74)->text, "Nokia N-series MPEG-4 Movie(*.mp4)");
    EXPECT_EQ(Catalogue::entry(78)->text, "Nokia N-Series MPEG-4 Movie(*.mp4)");
    EXPECT_EQ(Catalogue::entry(50)->text, "Creative Zen Vison Movie(*.avi)");
    EXPECT_EQ(Catalogue::entry(65)->text, "Xbox WMV Movie(*.wmv)");
    EXPECT_EQ(Catalogue::entry(2)->extension(), ".mp4");
    EXPECT_EQ(Catalogue::category(9), "Apple iPod");
    EXPECT_EQ(Catalogue::category(3), "Apple iPad");
    EXPECT_EQ(Catalogue::category(101), "Common Used Audio Formats");
}
