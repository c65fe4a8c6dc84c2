#include "core/profiles/OptionSheet.h"
#include "core/profiles/Presets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace varnel;

namespace {

Preset preset(const QString& name, int entry, std::map<QString, QString> values = {})
{
    return {name, entry, std::move(values)};
}

} // namespace

TEST(Presets, ThoseThatCannotBeUsedSayWhy)
{
    const struct {
        Preset preset;
        const char* reason; // empty: usable
    } cases[] = {
        {preset("Small", 103, {{"Video Options/Video Size", "854x480"}}), ""},
        {preset("Old", 7, {{"Video Options/Video Codec", "mpeg4"}}), ""},
        {preset("Gone", 9999), "its entry 9999 is not in the catalogue"},
        {preset("Header", 102), "its entry 102 is a category header, not a profile"},
        {preset("Odd", 103, {{"Video Options/Video Size", "999x1"}}),
         "Video Options/Video Size 999x1 is not one of MP4 H.264 / AAC \u2014 plays everywhere (*.mp4)'s choices"},
        {preset("Row", 103, {{"General/Item Name", "x"}}), "General/Item Name is not a video or audio row of the sheet"},
        {preset("", 103), "a preset needs a name"},
        {preset("holiday\u202e4pm", 103), "a preset's name holds no control, direction or invisible characters"},
        {preset(" padded", 103), "a preset's name neither starts nor ends with a blank"},
        {preset("mine\u3164", 103), "a preset's name holds no control, direction or invisible characters"},
        {preset("mine\U000E0041", 103), "a preset's name holds no control, direction or invisible characters"},
        {preset(QString("cafe\u0301"), 103),
         "a preset's name is written in composed form (NFC), so that one name looks like one name"},
        {preset(QString(50, QChar(0x263A)) + QString::fromUcs4(U"\U0001F600", 1).repeated(50), 103), ""},
    };
    for (const auto& c : cases) {
        const auto refused = presets::refusal(c.preset);
        EXPECT_EQ(refused.value_or(QString()), QString::fromUtf8(c.reason)) << c.preset.name.toStdString();
    }
}

TEST(Presets, ADamagedFileIsKeptAsideAndAFreshOneStarts)
{
    QTemporaryDir dir;
    QFile damaged(dir.filePath("presets.json"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{\"format\":\"varnel-presets\",\"version\":1,\"presets\":[{\"name\":\"Mine\"");
    damaged.close();

    PresetStore store(dir.path());
    const QString message = store.load();
    EXPECT_TRUE(message.startsWith("presets.json could not be read (it is not JSON")) << message.toStdString();
    const QStringList aside = QDir(dir.path()).entryList({"presets.json.damaged-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(message.endsWith(dir.filePath(aside[0]) + ", and no presets are loaded"));
    EXPECT_TRUE(store.all().empty());

    // Saving starts a clean file; the damaged one stays as it was.
    OptionSheet sheet;
    sheet.prolist();
    EXPECT_EQ(store.save(presets::fromSheet("Plain", 96, sheet)), "Audio Options/Audio Codec aac is not one of MP3 "
                                                                   "Audio(*.mp3)'s choices");
    Preset mp3 = preset("MP3", 96, {{"Audio Options/Audio Codec", "mp3"}});
    EXPECT_EQ(store.save(mp3), "");
    PresetStore again(dir.path());
    EXPECT_EQ(again.load(), "");
    ASSERT_EQ(again.all().size(), 1u);
    EXPECT_EQ(again.all()[0], mp3);
    EXPECT_EQ(QDir(dir.path()).entryList({"presets.json.damaged-*"}).size(), 1);
}

TEST(Presets, AFileWithSomeUnusablePresetsKeepsTheRestAndIsKeptWhole)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("presets.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(presets::toJson({preset("Good", 103), preset("Gone", 9999)}));
    file.close();
    PresetStore store(dir.path());
    const QString message = store.load();
    EXPECT_TRUE(message.startsWith("Some presets could not be used (Gone: its entry 9999 is not in the catalogue)"))
        << message.toStdString();
    ASSERT_EQ(store.all().size(), 1u);
    EXPECT_EQ(store.all()[0].name, "Good");
    EXPECT_EQ(QDir(dir.path()).entryList({"presets.json.damaged-*"}).size(), 1);
}

TEST(Presets, AHolderOfTheLockThatNeverLetsGoIsNotWaitedForForEver)
{
    QTemporaryDir dir;
    PresetStore store(dir.path());
    const Preset mp3 = preset("MP3", 96, {{"Audio Options/Audio Codec", "mp3"}});
    ASSERT_EQ(store.save(mp3), "");
    // Another program holds the lock (stopped, say): the window must not hang on it.
    const int holder = ::open(QFile::encodeName(dir.filePath(".presets.lock")).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(store.save(preset("Other", 96, {{"Audio Options/Audio Codec", "mp3"}})),
              "another program keeps presets.json locked and does not let go of it; nothing was changed");
    PresetStore later(dir.path());
    EXPECT_EQ(later.load(), "another program keeps presets.json locked and does not let go of it; no presets are loaded");
    ::close(holder);
    EXPECT_EQ(later.load(), "");
    ASSERT_EQ(later.all().size(), 1u) << "nothing was changed while it was held";
    EXPECT_EQ(later.all()[0], mp3);
}
