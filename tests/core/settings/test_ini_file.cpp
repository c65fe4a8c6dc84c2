#include "core/settings/IniFile.h"
#include "core/settings/Settings.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
struct IniFileTest : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("settings.dat");

    void writeRaw(const QByteArray& text)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray raw()
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
} // namespace

TEST_F(IniFileTest, AbsentFileOrKeyReadsEmpty)
{
    EXPECT_EQ(readSetting(file, "set", "thread"), "");
    writeRaw("[set]\r\nprofile=3\r\n");
    EXPECT_EQ(readSetting(file, "set", "thread"), "");
    EXPECT_EQ(readSetting(file, "other", "profile"), "");
}

TEST_F(IniFileTest, SectionAndKeyNamesIgnoreCase)
{
    ASSERT_TRUE(writeSetting(file, "Set", "profile", "96"));
    EXPECT_EQ(readSetting(file, "set", "profile"), "96");
    EXPECT_EQ(readSetting(file, "SET", "PROFILE"), "96");
    ASSERT_TRUE(writeSetting(file, "set", "Profile", "2"));
    EXPECT_EQ(raw().count("profile="), 1) << raw().constData();
    EXPECT_EQ(readSetting(file, "set", "profile"), "2");
    EXPECT_EQ(raw().count('['), 1) << "one section, however it is spelt";
}

TEST_F(IniFileTest, ValuesAreTrimmedAndKeptLiterally)
{
    writeRaw("[set]\r\noutputfolder =   C:\\out;dir\\x   \r\n");
    EXPECT_EQ(readSetting(file, "set", "outputfolder"), "C:\\out;dir\\x");
    ASSERT_TRUE(writeSetting(file, "set", "outputfolder", "/tmp/a;b\\c"));
    EXPECT_EQ(readSetting(file, "set", "outputfolder"), "/tmp/a;b\\c");
}

TEST_F(IniFileTest, LongValueIsStoredTo128AndReadTo127Characters)
{
    const QString folder = QString("/") + QString(129, 'f');
    ASSERT_EQ(folder.size(), 130);
    ASSERT_TRUE(writeSetting(file, "set", "outputfolder", folder));
    EXPECT_TRUE(raw().contains(folder.left(128).toUtf8() + "\r\n"));
    EXPECT_FALSE(raw().contains(folder.left(129).toUtf8()));
    EXPECT_EQ(readSetting(file, "set", "outputfolder"), folder.left(127));
}

TEST_F(IniFileTest, WritingKeepsOtherSectionsKeysAndComments)
{
    writeRaw("; mine\r\n[other]\r\na=1\r\n\r\n[set]\r\nthread=2\r\n\r\n[last]\r\nb=2\r\n");
    ASSERT_TRUE(writeSetting(file, "set", "autoshut", "0"));
    ASSERT_TRUE(writeSetting(file, "new", "k", "v"));
    EXPECT_EQ(readSetting(file, "other", "a"), "1");
    EXPECT_EQ(readSetting(file, "last", "b"), "2");
    EXPECT_EQ(readSetting(file, "set", "thread"), "2");
    EXPECT_EQ(readSetting(file, "set", "autoshut"), "0");
    EXPECT_EQ(readSetting(file, "new", "k"), "v");
    EXPECT_TRUE(raw().startsWith("; mine\r\n"));
}

TEST_F(IniFileTest, NonAsciiValuesRoundTrip)
{
    ASSERT_TRUE(writeSetting(file, "set", "outputfolder", "/home/zoë/Видео"));
    EXPECT_EQ(readSetting(file, "set", "outputfolder"), "/home/zoë/Видео");
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFile)
{
    ASSERT_TRUE(writeSetting(file, "set", "thread", "2"));
    const QString inMissingFolder = dir.filePath("no/such/settings.dat");
    EXPECT_FALSE(writeSetting(inMissingFolder, "set", "thread", "3"));
    EXPECT_EQ(readSetting(file, "set", "thread"), "2");
}

TEST_F(IniFileTest, OutputFolderIsAlwaysAnAbsoluteFolder)
{
    const QString data = dir.path(), home = QDir::homePath();
    const struct { const char* stored; QString folder; } cases[] = {
        {"0", data}, {"", data}, {"  ", data}, {"~", home}, {"~/out", home + "/out"},
        {"rel/dir", data + "/rel/dir"}, {"/abs/./x/", "/abs/x"}};
    for (const auto& c : cases)
        EXPECT_EQ(outputFolderFor(c.stored, data), c.folder) << c.stored;

    const Settings s(data);
    EXPECT_EQ(s.outputFolder(), data) << "no setting at all";
    s.write(SettingKey::OutputFolder, "~/out");
    EXPECT_EQ(s.outputFolder(), home + "/out");
}

TEST_F(IniFileTest, AFullDiskLeavesTheOldFileAndSaysSo)
{
    writeRaw("[set]\r\nthread=2\r\noutputfolder=/videos\r\n");
    const QByteArray before = raw();
    // A child whose files may not grow past 16 bytes stands in for a full disk.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = writeSettings(file, "set", {{"thread", "4"}, {"autoshut", "1"}});
        ::_exit(written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reported success";
    EXPECT_EQ(raw(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.dat"}) << "no temporary left";
}

TEST_F(IniFileTest, SeveralKeysGoInOneReplacement)
{
    writeRaw("[Set]\r\nThread=2\r\n");
    ASSERT_TRUE(writeSettings(file, "set", {{"thread", "4"}, {"autoshut", "1"}, {"existedfile", "0"}}));
    EXPECT_EQ(raw(), "[Set]\r\nThread=4\r\nautoshut=1\r\nexistedfile=0\r\n");
}
