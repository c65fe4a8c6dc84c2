// The main window's structure: menus, pop-up menu, toolbar and regions.
#include "gui/app/MainWindow.h"

#include "gui/app/Artwork.h"
#include "gui/convert/ProgressPanel.h"
#include "gui/app/ToolbarImage.h"
#include "gui/preview/PlayerControls.h"
#include "gui/profiles/ProfileChooser.h"
#include "gui/profiles/OptionSheetView.h"
#include "gui/sources/SourceListView.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace varnel {

namespace {

struct MenuEntry {
    const char* name;     // control name; nullptr for a separator
    const char* caption;
    const char* shortcut;
    void (MainWindow::*slot)();
};

QAction* addEntry(QMenu* menu, MainWindow* window, const MenuEntry& e)
{
    if (!e.name) {
        menu->addSeparator();
        return nullptr;
    }
    QAction* a = menu->addAction(MainWindow::tr(e.caption));
    a->setObjectName(QLatin1String(e.name));
    if (e.shortcut)
        a->setShortcut(QKeySequence(QLatin1String(e.shortcut)));
    if (e.slot)
        QObject::connect(a, &QAction::triggered, window, e.slot);
    return a;
}

using W = MainWindow;
const MenuEntry kSeparator = {nullptr, "-", nullptr, nullptr};

} // namespace

void MainWindow::buildMenus()
{
    const struct { const char* title; std::vector<MenuEntry> entries; } menus[] = {
        {QT_TR_NOOP("File(&F)"), {{"AddFiles", QT_TR_NOOP("Add Files"), "Ctrl+A", &W::addFiles},
                      {"RemoveSelectedFile", QT_TR_NOOP("Remove Selected File"), "Ctrl+R", &W::removeSelectedFile},
                      {"ClearAllFiles", QT_TR_NOOP("Clear All Files"), "Ctrl+C", &W::clearAllFiles},
                      kSeparator,
                      {"Capture", QT_TR_NOOP("Capture Video From DV"), nullptr, &W::openCapture},
                      kSeparator,
                      {"importvideo", QT_TR_NOOP("Import Video From Youtube"), nullptr, &W::openDownloader},
                      kSeparator,
                      {"exit", QT_TR_NOOP("Exit"), "Ctrl+X", &W::exitProgram}}},
        {QT_TR_NOOP("Edit(&E)"), {{"UndoClear", QT_TR_NOOP("Undo Clear All Files"), "Ctrl+Z", &W::undoClear},
                      kSeparator,
                      {"options", QT_TR_NOOP("Video Settings"), "Ctrl+S", &W::openSettings},
                      kSeparator,
                      {"SaveAsPreset", QT_TR_NOOP("Save as Preset..."), nullptr, &W::savePreset},
                      {"RenamePreset", QT_TR_NOOP("Rename Preset..."), nullptr, &W::renamePreset},
                      {"DeletePreset", QT_TR_NOOP("Delete Preset..."), nullptr, &W::deletePreset},
                      {"ExportPreset", QT_TR_NOOP("Export Preset..."), nullptr, &W::exportPreset},
                      {"ImportPresets", QT_TR_NOOP("Import Presets..."), nullptr, &W::importPresets},
                      kSeparator,
                      {"checkupdate", QT_TR_NOOP("Check for Updates"), nullptr, &W::checkForUpdates}}},
        {QT_TR_NOOP("Action(&A)"), {{"BurnNow", QT_TR_NOOP("Convert Now!"), "Ctrl+N", &W::convertNow},
                        kSeparator,
                        {"play", QT_TR_NOOP("Play Selected File"), "Ctrl+P", &W::playSelectedFile},
                        kSeparator,
                        {"videoclip", QT_TR_NOOP("Video Clip"), "Ctrl+V", &W::openClipEditor}}},
        {QT_TR_NOOP("Help(&H)"), {{"helphelp", QT_TR_NOOP("Help"), "F1", &W::openHelp},
                      kSeparator,
                      {"About", QT_TR_NOOP("About"), nullptr, &W::openAbout}}},
    };
    for (const auto& m : menus) {
        QMenu* menu = menuBar()->addMenu(tr(m.title));
        for (const MenuEntry& e : m.entries)
            addEntry(menu, this, e);
    }

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popupmenu1"));
    const MenuEntry popup[] = {
        {"convertnow1", QT_TR_NOOP("Convert Now!"), nullptr, &W::convertNow},
        kSeparator,
        {"PlaySelectedFile", QT_TR_NOOP("Play Selected File"), nullptr, &W::playSelectedFile},
        kSeparator,
        {"cuttime", QT_TR_NOOP("Video Clip"), nullptr, &W::openClipEditor},
        {"SaveAsPreset1", QT_TR_NOOP("Save as Preset..."), nullptr, &W::savePreset},
        kSeparator,
        // "AddFiless" with two s is the entry's name as users' scripts know it: keep it.
        {"AddFiless", QT_TR_NOOP("Add Files"), nullptr, &W::addFiles},
        {"RemoveSelectedItem", QT_TR_NOOP("Remove Selected Item"), nullptr, &W::removeSelectedFile},
        {"ClearAllItems", QT_TR_NOOP("Clear All Items"), nullptr, &W::clearAllFiles},
        kSeparator,
        {"Capture1", QT_TR_NOOP("Capture Video From DV"), nullptr, &W::openCapture},
        kSeparator,
        {"Import1", QT_TR_NOOP("Import Video From Youtube"), nullptr, &W::openDownloader},
    };
    for (const MenuEntry& e : popup)
        addEntry(m_popup, this, e);
}

QWidget* MainWindow::buildToolbar()
{
    auto* bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("Picture3"));
    bar->setMouseTracking(true);
    bar->installEventFilter(this);
    auto* rows = new QVBoxLayout(bar);
    rows->setContentsMargins(10, 6, 10, 6);
    rows->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    rows->addLayout(row);
    m_toolbarSecondRow = new QHBoxLayout;
    m_toolbarSecondRow->setSpacing(4);
    rows->addLayout(m_toolbarSecondRow);

    using artwork::ToolbarImage;
    const struct { const char* name; ToolbarImage image; const char* caption; void (MainWindow::*slot)(); } images[] = {
        {"Image1", ToolbarImage::AddFiles, QT_TR_NOOP("Add Files"), &W::addFiles},
        {"Image2", ToolbarImage::RemoveFile, QT_TR_NOOP("Remove File"), &W::removeSelectedFile},
        {"Image9", ToolbarImage::ClearAll, QT_TR_NOOP("Clear All"), &W::clearAllFiles},
        {"Image10", ToolbarImage::Settings, QT_TR_NOOP("Settings"), &W::openSettings},
        {"Image8", ToolbarImage::Help, QT_TR_NOOP("Help"), &W::openHelp},
        {"Image7", ToolbarImage::Exit, QT_TR_NOOP("EXIT"), &W::exitProgram},
        {"Image11", ToolbarImage::Convert, QT_TR_NOOP("CONVERT NOW"), &W::convertNow},
    };
    for (const auto& i : images) {
        auto* image = new varnel::ToolbarImage(QLatin1String(i.name), artwork::toolbarImage(i.image),
                                               tr(i.caption), bar);
        connect(image, &varnel::ToolbarImage::clicked, this, i.slot);
        connect(image, &varnel::ToolbarImage::hovered, image, [image] { image->setBorder(true); });
        m_images << image;
    }
    for (int i = 0; i < 6; ++i)
        row->addWidget(m_images[i]);
    row->addStretch(1);

    auto* profileLabel = new QLabel(tr("Profile:"), bar);
    profileLabel->setObjectName(QStringLiteral("lblProfile"));
    m_chooser = new ProfileChooser(bar);
    profileLabel->setBuddy(m_chooser); // a screen reader names the chooser by it
    m_toolbarEnd = new QWidget(bar); // the chooser and CONVERT NOW, moved below on a narrow screen
    auto* end = new QHBoxLayout(m_toolbarEnd);
    end->setContentsMargins(0, 0, 0, 0);
    end->setSpacing(4);
    profileLabel->setParent(m_toolbarEnd);
    m_chooser->setParent(m_toolbarEnd);
    m_images[6]->setParent(m_toolbarEnd);
    end->addWidget(profileLabel);
    end->addWidget(m_chooser, 1);
    end->addSpacing(8);
    end->addWidget(m_images[6]);
    row->addWidget(m_toolbarEnd);
    return bar;
}

void MainWindow::buildWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Varnel Video Converter 3.70"));
    setWindowIcon(artwork::appIcon());
    buildMenus();

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolbar = buildToolbar();
    layout->addWidget(m_toolbar);

    auto* split = new QSplitter(Qt::Horizontal, central);
    split->setObjectName(QStringLiteral("mainSplitter"));
    auto* listFrame = new QGroupBox(tr("Video List"), split);
    listFrame->setObjectName(QStringLiteral("frameVideoList"));
    m_listView = new SourceListView(m_workspace->list(), listFrame);
    m_listView->setAccessibleName(tr("Video List"));
    (new QVBoxLayout(listFrame))->addWidget(m_listView);

    auto* side = new QSplitter(Qt::Vertical, split);
    m_sheetView = new OptionSheetView(m_workspace->sheet(), side);
    m_sheetView->setAccessibleName(tr("Options"));
    // "Privew" is the frame's caption as the program has always shown it: keep it.
    auto* preview = new QGroupBox(tr("Privew"), side);
    preview->setObjectName(QStringLiteral("framePreview"));
    preview->setMinimumHeight(150);
    m_playerControls = new PlayerControls(m_workspace->player(), QStringLiteral("Text2"), QStringLiteral("Slider1"), preview,
                                          m_services.messages);
    (new QVBoxLayout(preview))->addWidget(m_playerControls);
    connect(m_playerControls, &PlayerControls::playRequested, this, &MainWindow::playSelectedFile);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setSizes({600, 400});
    auto* body = new QWidget(central);
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(10, 10, 10, 10);
    bodyLayout->addWidget(split);
    layout->addWidget(body, 1);
    setCentralWidget(central);

    // Clear All Files says what went, with the way back.
    m_undoNote = new QLabel(statusBar());
    m_undoNote->setObjectName(QStringLiteral("UndoNote"));
    auto* undo = new QPushButton(tr("Undo"), statusBar());
    undo->setObjectName(QStringLiteral("UndoButton"));
    connect(undo, &QPushButton::clicked, this, &MainWindow::undoClear);
    statusBar()->addWidget(m_undoNote);
    statusBar()->addWidget(undo);
    m_undoNote->hide();
    undo->hide();
    // Where the outputs are, on a desktop where nothing opens folders.
    m_folderNote = new QLabel(statusBar());
    m_folderNote->setObjectName(QStringLiteral("FolderNote"));
    m_folderNote->hide();
    statusBar()->addPermanentWidget(m_folderNote);
    statusBar()->hide();

    m_panel = new ProgressPanel(this);
    m_panel->hide();
    fitToScreen();
}

void MainWindow::fitToScreen()
{
    // The window's own size where the screen has room for it, else the
    // screen's: the list, the sheet and the preview give way, never the
    // controls. Room is left for the window's frame and title.
    const QScreen* onScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize room = onScreen ? onScreen->availableGeometry().size() - QSize(16, 48) : QSize(1100, 700);
    if (m_toolbar->minimumSizeHint().width() > room.width()) {
        m_toolbar->layout()->itemAt(0)->layout()->removeWidget(m_toolbarEnd);
        m_toolbarSecondRow->addWidget(m_toolbarEnd);
        m_toolbar->layout()->activate();
        centralWidget()->layout()->activate();
        layout()->activate();
    }
    setMinimumSize(QSize(800, 600).boundedTo(room).expandedTo(minimumSizeHint()));
    resize(QSize(1100, 700).boundedTo(room).expandedTo(minimumSize()));
}

} // namespace varnel
