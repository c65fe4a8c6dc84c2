#include "core/profiles/Catalogue.h"

#include "core/profiles/TodaysFormats.h"

namespace varnel {

namespace {

struct Row { int number; const char* kind; const char* text; int icon; };

// No. | Kind | Text | Icon (headers only)
constexpr Row kTable[] = {
    {1, "header", "Apple iPad", 44},
    {2, "profile", "Apple iPad MPEG-4 Movie(*.mp4)", 0},
    {3, "profile", "Apple iPod Movie for 480p TV Out(*.mp4)", 0},
    {4, "profile", "Apple iPod Movie for 576p TV Out(*.mp4)", 0},
    {5, "profile", "Apple iPod Movie for 720p TV Out(*.mp4)", 0},
    {6, "header", "Apple iPod", 1},
    {7, "profile", "Apple iPod Video MPEG-4 Movie(*.mp4)", 0},
    {8, "profile", "Apple iPod Nano/Classic MPEG-4 Movie(*.mp4)", 0},
    {9, "profile", "Apple iPod Movie for 480p TV Out(*.mp4)", 0},
    {10, "profile", "Apple iPod Movie for 576p TV Out(*.mp4)", 0},
    {11, "profile", "Apple iPod Touch MPEG-4 Movie(*.mp4)", 0},
    {12, "header", "Apple iPhone", 10},
    {13, "profile", "Apple iPhone MPEG-4 Movie(*.mp4)", 0},
    {14, "profile", "Apple iPhone Movie for 480p TV Out(*.mp4)", 0},
    {15, "profile", "Apple iPhone Movie for 576p TV Out(*.mp4)", 0},
    {16, "header", "Apple TV", 2},
    {17, "profile", "Apple TV MPEG-4 Movie(*.mp4)", 0},
    {18, "profile", "Apple TV MPEG-4 AVC Movie(*.mp4)", 0},
    {19, "header", "Google Android", 9},
    {20, "profile", "Google Android MPEG-4 Movie(*.mp4)", 0},
    {21, "profile", "Google Nexus One MPEG-4 Movie(*.mp4)", 0},
    {22, "profile", "Sony Ericsson Xperia MPEG-4 Movie(*.mp4)", 0},
    {23, "profile", "HTC Desire MPEG-4 Movie(*.mp4)", 0},
    {24, "profile", "IS01 MPEG-4 Movie(*.mp4)", 0},
    {25, "header", "Sony PSP", 15},
    {26, "profile", "Sony PSP MPEG-4 Movie(*.mp4)", 0},
    {27, "profile", "Sony PSP MPEG-4 AVC Movie(*.mp4)", 0},
    {28, "header", "Sony PS3", 38},
    {29, "profile", "Sony PS3 MPEG-4 AVC Movie(480p)(*.mp4)", 0},
    {30, "profile", "Sony PS3 MPEG-4 AVC Movie(720p)(*.mp4)", 0},
    {31, "profile", "Sony PS3 MPEG-4 AVC Movie(1080p)(*.mp4)", 0},
    {32, "header", "Sony Walkman", 17},
    {33, "profile", "Sony Walkman MPEG-4 Movie(*.mp4)", 0},
    {34, "profile", "Sony Walkman MPEG-4 AVC Movie(*.mp4)", 0},
    {35, "profile", "Sony Walkman WMV9 Movie(*.wmv)", 0},
    {36, "header", "Microsoft Zune", 22},
    {37, "profile", "Microsoft Zune WMV Movie(*.wmv)", 0},
    {38, "profile", "Microsoft Zune MPEG-4 Movie(*.mp4)", 0},
    {39, "profile", "Microsoft Zune HD WMV Movie(*.wmv)", 0},
    {40, "profile", "Microsoft Zune HD MPEG-4 Movie(*.mp4)", 0},
    {41, "header", "Archos", 3},
    {42, "profile", "Archos 105 Movie(*.wmv)", 0},
    {43, "profile", "Archos 404/405 Movie(*.wmv)", 0},
    {44, "profile", "Archos 504/604 Movie(*.wmv)", 0},
    {45, "profile", "Archos 605/705/TV+ Movie(*.wmv)", 0},
    {46, "profile", "Archos AV500 Movie(*.wmv)", 0},
    {47, "profile", "Archos AV700 Movie(*.wmv)", 0},
    {48, "header", "Creative Zen", 21},
    {49, "profile", "Creative Zen X-Fi Movie(*.avi)", 0},
    {50, "profile", "Creative Zen Vison Movie(*.avi)", 0},
    {51, "profile", "Creative Zen Vison M Movie(*.avi)", 0},
    {52, "profile", "Creative Zen Vison W Movie(*.avi)", 0},
    {53, "header", "iRiver", 31},
    {54, "profile", "iRiver E10 Movie(*.avi)", 0},
    {55, "profile", "iRiver U10/Clix Movie(*.avi)", 0},
    {56, "profile", "iRiver B20/X20/Clix 2/E100/Lplayer Movie(*.avi)", 0},
    {57, "profile", "iRiver Spinn/D28/DICPLE D30 Movie(*.avi)", 0},
    {58, "profile", "iRiver P10/P20 Movie(*.avi)", 0},
    {59, "profile", "iRiver PMP-120/140/IMP-1000/1100 Movie(*.avi)", 0},
    {60, "header", "Sandisk Sansa", 16},
    {61, "profile", "Sandisk Sansa AVI Movie(*.avi)", 0},
    {62, "profile", "Sandisk Sansa WMV Movie(*.wmv)", 0},
    {63, "profile", "Sandisk Sansa MPEG-4 Movie(*.mp4)", 0},
    {64, "header", "Microsoft Xbox 360", 20},
    {65, "profile", "Xbox WMV Movie(*.wmv)", 0},
    {66, "profile", "Xbox AVI Movie(*.avi)", 0},
    {67, "profile", "Xbox MPEG-4 Movie(*.mp4)", 0},
    {68, "header", "Nintendo Wii", 18},
    {69, "profile", "Nintendo Wii AVI Movie(*.avi)", 0},
    {70, "header", "Mobile Phone", 12},
    {71, "profile", "Mobile Phone 3GP Movie(*.3gp)", 0},
    {72, "profile", "Mobile Phone 3GP2 Movie(*.3g2)", 0},
    {73, "profile", "Mobile Phone MPEG-4 Movie(*.mp4)", 0},
    {74, "profile", "Nokia N-series MPEG-4 Movie(*.mp4)", 0},
    {75, "header", "BlackBerry", 11},
    {76, "profile", "BlackBerry MPEG-4 Movie(*.mp4)", 0},
    {77, "header", "Nokia", 30},
    {78, "profile", "Nokia N-Series MPEG-4 Movie(*.mp4)", 0},
    {79, "header", "Windows Mobile", 31},
    {80, "profile", "Palm Treo Series Movie(*.wmv)", 0},
    {81, "profile", "General Pocket PC Movie(*.wmv)", 0},
    {82, "header", "Flash Video", 5},
    {83, "profile", "Flash Video Movie(*.flv)", 0},
    {84, "profile", "Flash SWF(*.swf)", 0},
    {85, "header", "Toshiba Gigabeat", 8},
    {86, "profile", "Toshiba Gigabeat WMV Movie(*.wmv)", 0},
    {87, "header", "Common Used Video Formats", 41},
    {88, "profile", "DVD Video NTSC Movie(*.mpg)", 0},
    {89, "profile", "DVD Video PAL Movie(*.mpg)", 0},
    {90, "profile", "MPEG-I Movie(*.mpg)", 0},
    {91, "profile", "MPEG-II Movie(*.mpg)", 0},
    {92, "profile", "Customized AVI Movie(*.avi)", 0},
    {93, "profile", "Customized WMV Movie(*.wmv)", 0},
    {94, "profile", "Customized MP4 Movie(*.mp4)", 0},
    {95, "header", "Common Used Audio Formats", 6},
    {96, "profile", "MP3 Audio(*.mp3)", 0},
    {97, "profile", "OGG Vorbis Audio(*.ogg)", 0},
    {98, "profile", "WAVE Audio(*.wav)", 0},
    {99, "profile", "AAC Audio(*.aac)", 0},
    {100, "profile", "WMA Audio(*.wma)", 0},
    {101, "profile", "M4A Audio(*.m4a)", 0},
};

std::vector<CatalogueEntry> build()
{
    std::vector<CatalogueEntry> out;
    out.reserve(std::size(kTable) + std::size(tables::kTodayEntries));
    auto add = [&](int number, const char* kind, const char* text, int icon, const char* extension) {
        out.push_back({number, QString::fromLatin1(kind) == QLatin1String("header"), QString::fromUtf8(text), icon,
                       QString::fromUtf8(extension)});
    };
    for (const Row& r : kTable)
        add(r.number, r.kind, r.text, r.icon, "");
    for (const tables::EntryRow& r : tables::kTodayEntries)
        add(r.number, r.kind, r.text, r.icon, r.extension);
    return out;
}

} // namespace

QString extensionOfText(const QString& text)
{
    const int dot = text.indexOf(u'.');
    return dot < 0 ? QString() : text.mid(dot, 4);
}

QString CatalogueEntry::extension() const
{
    if (isHeader)
        return {};
    return ownExtension.isEmpty() ? extensionOfText(text) : ownExtension;
}

const std::vector<CatalogueEntry>& Catalogue::entries()
{
    static const std::vector<CatalogueEntry> all = build();
    return all;
}

const CatalogueEntry* Catalogue::entry(int number)
{
    if (number < 1 || number > static_cast<int>(entries().size()))
        return nullptr;
    return &entries()[static_cast<size_t>(number - 1)];
}

QString Catalogue::category(int number)
{
    for (int n = number; n >= 1; --n)
        if (const CatalogueEntry* e = entry(n); e && e->isHeader)
            return e->text;
    return {};
}

} // namespace varnel
