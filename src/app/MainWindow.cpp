#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/GuiMessages.h"
#include "app/ProgressPanel.h"
#include "app/ShellServices.h"
#include "app/Skin.h"
#include "app/ToolbarImage.h"
#include "app/Artwork.h"
#include "common/TextNumbers.h"
#include "convert/ConversionRun.h"
#include "convert/ProgressMonitor.h"
#include "profiles/OptionSets.h"
#include "profiles/ProfileChooser.h"
#include "settings/Settings.h"
#include "settings/SettingsDialog.h"
#include "sources/FileSelection.h"
#include "sources/MediaProbe.h"
#include "sources/OptionSheetView.h"
#include "sources/SourceListView.h"
#include "tools/PlayerCommand.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace varnel {

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services))
{
    if (!m_services.messages) {
        m_ownMessages = std::make_unique<GuiMessages>(this);
        m_services.messages = m_ownMessages.get();
    }
    if (!m_services.chooseFiles)
        m_services.chooseFiles = [](QWidget* owner) {
            return QFileDialog::getOpenFileNames(owner, kOpenDialogTitle, QString(),
                                                 openDialogNameFilters().join(QStringLiteral(";;")));
        };
    if (!m_services.chooseFolder)
        m_services.chooseFolder = [](QWidget* owner) {
            return QFileDialog::getExistingDirectory(owner, kAppTitle);
        };
    if (!m_services.showModal)
        m_services.showModal = [](QDialog* d) { d->exec(); };

    m_probe = new MediaProbe(m_list, m_services.programFolder, this);
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);

    RunEnvironment env;
    env.list = &m_list;
    env.sheet = &m_sheet;
    env.tools = &m_tools;
    env.shell = m_services.shell;
    env.messages = m_services.messages;
    env.preview = &m_preview;
    env.programFolder = m_services.programFolder;
    env.entryNumber = [this] { return m_chooser->entryNumber(); };
    env.entryText = [this] { return m_chooser->currentText(); };
    m_run = new ConversionRun(env, this);

    buildWindow();
    connectRun();
    connect(m_listView, &SourceListView::filesDropped, this, &MainWindow::addDroppedFiles);
    connect(m_listView, &SourceListView::popupRequested, this, [this](const QPoint& at) { m_popup->popup(at); });
    connect(m_listView, &SourceListView::rowClicked, this,
            [this](int row) { showItemInSheet(m_sheet, m_preview, m_list, row); });
    connect(m_listView, &SourceListView::rowDoubleClicked, this, &MainWindow::openClipEditor);
    connect(m_chooser, &ProfileChooser::entryChosen, this, &MainWindow::chooseProfile);
    load();
}

MainWindow::~MainWindow() = default;

void MainWindow::load()
{
    applySkin(this, m_services.programFolder);
    m_chooser->setImageList(artwork::imageList());
    m_panel->hide();
    m_chooser->fill();
    m_sheet.prolist();
    const Settings settings(m_services.programFolder);
    const int stored = static_cast<int>(leadingNumber(settings.read(SettingKey::Profile)));
    m_chooser->selectEntry(stored);
    chooseProfile(m_chooser->entryNumber());
    m_sheetView->setDisplaySwitches(true, true, true);
}

void MainWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_chooser->entryNumber() > 0)
        Settings(m_services.programFolder)
            .write(SettingKey::Profile, QString::number(m_chooser->entryNumber()), QStringLiteral("Set"));
    // Nothing is left running behind the window: tools get the quit key and
    // a moment to finish their files.
    m_tools.quitAll(3000);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    unload();
    e->accept();
}

void MainWindow::exitProgram()
{
    postKeyToPlayer(m_tools, m_preview, Key::Quit);
    m_timer1->stop();
    close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_toolbar && e->type() == QEvent::MouseMove)
        for (ToolbarImage* image : m_images)
            image->setBorder(false);
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::connectRun()
{
    connect(m_run, &ConversionRun::panelVisible, this, [this](bool visible) {
        if (visible) {
            if (!m_panel->isVisible() && m_panel->pos() == QPoint(0, 0))
                m_panel->move((width() - m_panel->width()) / 2, (height() - m_panel->height()) / 2);
            m_panel->show();
            m_panel->raise();
        } else {
            m_panel->hide();
        }
    });
    connect(m_run, &ConversionRun::busy, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
    });
    connect(m_run, &ConversionRun::frameCaption, m_panel->frame14(), &QGroupBox::setTitle);
    connect(m_run, &ConversionRun::trackProgress, m_panel->trackBar(), &QProgressBar::setValue);
    connect(m_run, &ConversionRun::totalProgress, m_panel->totalBar(), &QProgressBar::setValue);
    connect(m_run->monitor(), &ProgressMonitor::elapsedText, m_panel->elapsedLabel(), &QLabel::setText);
    connect(m_panel->cancelButton(), &QPushButton::clicked, m_run, &ConversionRun::cancel);
}

void MainWindow::showModal(QDialog* dialog)
{
    m_services.showModal(dialog);
    delete dialog;
}

void MainWindow::addFiles()
{
    QString folder;
    const QString answer = dialogAnswer(m_services.chooseFiles(this), &folder);
    for (const QString& path : parseSelectedFiles(answer, folder).paths())
        m_probe->addSource(path);
}

void MainWindow::addDroppedFiles(const QStringList& paths)
{
    bool rejected = false;
    const QStringList taken = acceptedDrops(paths, &rejected);
    for (const QString& p : taken)
        m_probe->addSource(p);
    if (rejected)
        m_services.messages->information(kOnlyVideoMessage);
    unsetCursor();
}

void MainWindow::removeSelectedFile()
{
    m_list.removeItem(m_listView->selectedRow());
}

void MainWindow::clearAllFiles()
{
    m_list.clearItems();
}

void MainWindow::convertNow()
{
    m_run->start();
}

void MainWindow::chooseProfile(int number)
{
    OptionSets::apply(m_sheet, number);
}

void MainWindow::openSettings()
{
    const Settings settings(m_services.programFolder);
    showModal(new SettingsDialog(settings, *m_services.messages, m_services.chooseFolder, this));
}

void MainWindow::openHelp()
{
    m_services.shell->openHelp(m_services.programFolder + QStringLiteral("/help/index.html"));
}

void MainWindow::openHomePage()
{
    m_services.shell->openLink(kHomePage);
}

void MainWindow::openSupportPage()
{
    m_services.shell->openLink(kSupportPage);
}

void MainWindow::openAbout()
{
    showModal(new AboutDialog(m_services.programFolder, this));
}

} // namespace varnel
