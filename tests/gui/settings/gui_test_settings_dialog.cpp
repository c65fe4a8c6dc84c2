#include "gui/settings/SettingsDialog.h"

#include "TestSupport.h"
#include "core/settings/Settings.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
struct Dialog : ::testing::Test {
    QTemporaryDir dir;
    Settings settings{dir.path()};
    test::RecordingMessages messages;
    QString folderToPick;
    std::unique_ptr<SettingsDialog> d;

    void open()
    {
        d = std::make_unique<SettingsDialog>(settings, messages, [this](QWidget*) { return folderToPick; }, nullptr);
    }
    template <typename T>
    T* find(const char* name) { return d->findChild<T*>(QLatin1String(name)); }
    void click(const char* button) { find<QPushButton>(button)->click(); }
    bool fileExists() { return QFile::exists(settings.filePath()); }
};
}

TEST_F(Dialog, ControlsAndCaptions)
{
    open();
    EXPECT_EQ(d->windowTitle(), "Video Options");
    EXPECT_EQ(find<QPushButton>("Command4")->text(), "Browse...");
    EXPECT_EQ(find<QRadioButton>("Option1")->text(), "Add \"New\" after filename");
    EXPECT_EQ(find<QRadioButton>("Option2")->text(), "Overwrite the existed file");
    EXPECT_EQ(find<QCheckBox>("Check1")->text(), "Automatically Shutdown Computer After Conversion");
    EXPECT_EQ(find<QLabel>("SkinLabel1")->text(), "Output Folder");
    EXPECT_EQ(find<QLabel>("SkinLabel2")->text(), "Number of threads to use for");
    EXPECT_EQ(find<QLabel>("SkinLabel3")->text(), "(0-8), 0 - Disable multi-thread");
    EXPECT_EQ(find<QPushButton>("Command1")->text(), "OK");
    EXPECT_EQ(find<QPushButton>("Command2")->text(), "Cancel");
}

TEST_F(Dialog, NoSettingsFileThenOk)
{
    open();
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), dir.path()) << "an empty setting means the program folder";
    EXPECT_TRUE(find<QRadioButton>("Option1")->isChecked()) << "nothing of the user's is replaced unless chosen";
    EXPECT_FALSE(find<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), "");
    click("Command1");
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(settings.read("outputfolder"), dir.path());
    EXPECT_TRUE(fileExists());
    EXPECT_EQ(settings.read("existedfile"), "0");
    EXPECT_EQ(settings.read("autoshut"), "0");
    EXPECT_EQ(settings.read("thread"), "0");
}

TEST_F(Dialog, StoredValuesAreShownAndZeroFolderBecomesTheProgramFolder)
{
    settings.write("outputfolder", "0");
    settings.write("existedfile", "0");
    settings.write("autoshut", "yes");
    settings.write("thread", "3");
    open();
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), dir.path());
    EXPECT_TRUE(find<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("Check1")->isChecked()) << "yes is not the number 1";
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), "3");
    find<QCheckBox>("Check1")->setChecked(true);
    find<QLineEdit>("Text2")->setText("  " + dir.filePath("videos/out") + "  ");
    click("Command1");
    EXPECT_EQ(settings.read("outputfolder"), dir.filePath("videos/out"));
    EXPECT_EQ(settings.read("existedfile"), "0");
    EXPECT_EQ(settings.read("autoshut"), "1");
}

TEST_F(Dialog, AStoredPolicyForExistingFilesIsShownAsItIs)
{
    const struct { const char* stored; const char* checked; } cases[] = {
        {"1", "Option2"}, {"0", "Option1"}, {" 0.0 ", "Option1"}, {"", "Option1"}, {"2", "Option2"}, {"yes", "Option2"}};
    for (const auto& c : cases) {
        settings.write("existedfile", c.stored);
        open();
        EXPECT_TRUE(find<QRadioButton>(c.checked)->isChecked()) << '"' << c.stored << '"';
    }
}

TEST_F(Dialog, ThreadCountIsChecked)
{
    const struct { const char* typed; const char* stored; } accepted[] = {{"8", "8"}, {"abc", "0"}, {"-2", "-2"}, {"3x", "3"}};
    for (const auto& c : accepted) {
        open();
        find<QLineEdit>("Text1")->setText(c.typed);
        click("Command1");
        EXPECT_EQ(settings.read("thread"), c.stored) << c.typed;
    }
    EXPECT_TRUE(messages.shown.isEmpty());

    QFile::remove(settings.filePath());
    open();
    find<QLineEdit>("Text1")->setText("9");
    click("Command1");
    EXPECT_EQ(messages.shown, QStringList{"error: Thread error!"});
    EXPECT_FALSE(fileExists()) << "nothing is written";
    EXPECT_TRUE(d->result() != QDialog::Accepted);
}

TEST_F(Dialog, CancelWritesNothingAndBrowseFillsTheFolder)
{
    open();
    folderToPick = "";
    click("Command4");
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), dir.path()) << "a cancelled browse changes nothing";
    folderToPick = "/media/videos";
    click("Command4");
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "/media/videos");
    click("Command2");
    EXPECT_FALSE(fileExists());
}

TEST_F(Dialog, AFailedWriteSaysSoAndKeepsTheDialogOpen)
{
    ASSERT_TRUE(QDir().mkdir(settings.filePath())) << "a folder where the file should be: no write can succeed";
    open();
    find<QLineEdit>("Text2")->setText(dir.filePath("out"));
    find<QLineEdit>("Text1")->setText("4");
    click("Command1");
    EXPECT_EQ(messages.shown, QStringList{"error: The settings could not be saved to " + settings.filePath() + "."});
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), dir.filePath("out")) << "what the user typed is kept";
    EXPECT_EQ(find<QLineEdit>("Text1")->text(), "4");
}

TEST_F(Dialog, OkStoresTheFolderTheTextMeansAndMakesIt)
{
    // A home of the test's own: OK makes the folder it names.
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("HOME", realHome); });
    const struct { const char* typed; QString stored; } cases[] = {
        {"~/out-7f3a", home.path() + "/out-7f3a"}, {"sub/dir", dir.filePath("sub/dir")}, {" 0 ", "0"}};
    for (const auto& c : cases) {
        open();
        find<QLineEdit>("Text2")->setText(c.typed);
        QTest::mouseClick(find<QPushButton>("Command1"), Qt::LeftButton);
        EXPECT_EQ(d->result(), QDialog::Accepted) << c.typed;
        EXPECT_EQ(settings.read("outputfolder"), c.stored);
    }
    EXPECT_TRUE(QFileInfo(home.path() + "/out-7f3a").isDir());
    EXPECT_TRUE(QFileInfo(dir.filePath("sub/dir")).isDir());
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(Dialog, AFolderThatCannotBeMadeIsRefused)
{
    settings.write("thread", "2");
    const auto settingsText = [&] { QFile f(settings.filePath()); return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(); };
    const QByteArray before = settingsText();
    // Below a regular file no folder can ever be made, even by root.
    QFile file(dir.filePath("afile"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    open();
    find<QLineEdit>("Text2")->setText("afile/sub");
    QTest::mouseClick(find<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(messages.shown, QStringList{"error: The folder " + dir.filePath("afile/sub") + " cannot be created or written to."});
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(find<QLineEdit>("Text2")->text(), "afile/sub") << "what the user typed is kept";
    EXPECT_EQ(settingsText(), before);
}
