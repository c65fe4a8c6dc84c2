// The window in German: the catalogue the build lays out in the program
// folder, loaded the way the program loads it at start.
#include "gui/app/MainWindow.h"
#include "gui/app/Translations.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "core/convert/ConversionRun.h"
#include "gui/profiles/OptionSheetView.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

struct Language : ::testing::Test {
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    std::unique_ptr<MainWindow> w;

    void open()
    {
        w = std::make_unique<test::StandaloneWindow>(test::quietServices(folder.path(), shell, messages));
        w->show();
    }
    QString menuTitle() const { return w->menuBar()->actions().value(0)->text(); }
    QString caption(const char* image) const { return w->findChild<QLabel*>(QLatin1String(image) + "Caption")->text(); }
    void TearDown() override
    {
        w.reset();
        for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

} // namespace

TEST_F(Language, GermanCatalogueFromTheProgramFolderTurnsTheWindowGerman)
{
    ASSERT_TRUE(installTranslations(*qApp, QStringLiteral(VARNEL_BIN_DIR), QLocale(QLocale::German, QLocale::Germany)));
    open();
    EXPECT_EQ(menuTitle(), "Datei(&D)");
    EXPECT_EQ(caption("Image1"), "Dateien hinzufügen");
    EXPECT_EQ(caption("Image11"), "JETZT UMWANDELN");
    EXPECT_EQ(w->findChild<QGroupBox*>("frameVideoList")->title(), "Videoliste");

    // The list: headers and a status shown in German, kept in English.
    SourceList& list = w->workspace().list();
    EXPECT_EQ(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Dateiname");
    list.append(QStringLiteral("/nowhere/clip.mp4"));
    list.setStatus(0, RunText::Fail, {});
    EXPECT_EQ(list.data(list.index(0, SourceItem::Status), Qt::DisplayRole).toString(), "Fehlgeschlagen");
    EXPECT_EQ(list.cell(0, SourceItem::Status), "Fail");

    // The option sheet: German names, found by their English keys.
    auto* sheet = w->findChild<OptionSheetView*>("PS1");
    ASSERT_TRUE(sheet->editorOf(Group::Video, QStringLiteral("Video Size")));
    EXPECT_EQ(sheet->itemOf(Group::Video, QStringLiteral("Video Size"))->text(0), "Videogröße");
    EXPECT_EQ(sheet->itemOf(Group::Video, QStringLiteral("Video Size"))->parent()->text(0), "Videooptionen");

    // A message of the core, said through the window.
    w->findChild<QAction*>("BurnNow")->trigger();
    EXPECT_EQ(messages.shown,
              QStringList{"error: Kein Profil gewählt: Wählen Sie eines in der Liste der Profile und wandeln Sie dann um."});
}

TEST_F(Language, ALanguageWithoutACatalogueKeepsTheEnglishTexts)
{
    EXPECT_FALSE(installTranslations(*qApp, QStringLiteral(VARNEL_BIN_DIR), QLocale(QLocale::English, QLocale::UnitedStates)));
    open();
    EXPECT_EQ(menuTitle(), "File(&F)");
    EXPECT_EQ(caption("Image1"), "Add Files");
    w->workspace().list().append(QStringLiteral("/nowhere/clip.mp4"));
    w->findChild<QAction*>("BurnNow")->trigger();
    EXPECT_EQ(messages.shown, QStringList{"error: No profile is chosen: choose one in the list of profiles, then convert."});
}
