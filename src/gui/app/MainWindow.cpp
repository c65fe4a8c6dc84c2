#include "gui/app/MainWindow.h"

#include "gui/app/AboutDialog.h"
#include "gui/convert/ProgressPanel.h"
#include "core/common/ShellServices.h"
#include "core/common/UserMessages.h"
#include "gui/app/Skin.h"
#include "gui/app/ToolbarImage.h"
#include "gui/app/Artwork.h"
#include "core/common/TextNumbers.h"
#include "core/convert/ConversionRun.h"
#include "core/convert/EncoderList.h"
#include "core/profiles/Catalogue.h"
#include "core/convert/ProgressMonitor.h"
#include "gui/profiles/ProfileChooser.h"
#include "core/settings/Settings.h"
#include "core/sources/MediaProbe.h"
#include "core/settings/SettingsForm.h"
#include "core/sources/FileSelection.h"
#include "gui/settings/SettingsDialog.h"
#include "gui/profiles/OptionSheetView.h"
#include "gui/capture/CaptureWindow.h"
#include "gui/download/DownloaderWindow.h"
#include "platform/DesktopSignals.h"
#include "platform/V4l2CaptureDevice.h"
#include "gui/preview/ClipEditor.h"
#include "gui/sources/OpenFilesDialog.h"
#include "gui/sources/SourceListView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QPushButton>
#include <QTimer>

namespace varnel {

MainWindow::MainWindow(Workspace& workspace, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      m_services{std::move(services), workspace.programFolder(), &workspace.shell(), &workspace.messages()},
      m_workspace(&workspace)
{
    if (!m_services.chooseFiles)
        m_services.chooseFiles = &chooseVideoFiles;
    if (!m_services.chooseFolder)
        m_services.chooseFolder = [](QWidget* owner) {
            return QFileDialog::getExistingDirectory(owner, kAppTitle);
        };
    if (!m_services.askText)
        m_services.askText = [](QWidget* owner, const QString& question, const QString& suggested) {
            return QInputDialog::getText(owner, kAppTitle, question, QLineEdit::Normal, suggested).trimmed();
        };
    if (!m_services.askItem)
        m_services.askItem = [](QWidget* owner, const QString& question, const QStringList& items) {
            bool ok = false;
            const QString item = QInputDialog::getItem(owner, kAppTitle, question, items, 0, false, &ok);
            return ok ? item : QString();
        };
    if (!m_services.choosePresetFile)
        m_services.choosePresetFile = [](QWidget* owner, bool forSaving) {
            const QString filter = tr("Presets (*.json)");
            return forSaving ? QFileDialog::getSaveFileName(owner, kAppTitle, QString(), filter)
                             : QFileDialog::getOpenFileName(owner, kAppTitle, QString(), filter);
        };
    if (!m_services.showModal)
        m_services.showModal = [](QDialog* d) { d->exec(); };
    if (!m_services.askDefaultNo)
        m_services.askDefaultNo = m_services.askYesNo ? m_services.askYesNo : [](QWidget* owner, const QString& question) {
            return QMessageBox::question(owner, kAppTitle, question, QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
        };
    if (!m_services.askYesNo)
        m_services.askYesNo = [](QWidget* owner, const QString& question) {
            return QMessageBox::question(owner, kAppTitle, question, QMessageBox::Yes | QMessageBox::No) ==
                   QMessageBox::Yes;
        };

    m_desktop = m_services.desktopSignals ? m_services.desktopSignals() : std::make_unique<DesktopSignals>();

    // The desktop may answer only later that nothing opened a page or folder.
    m_services.shell->notOpened = [this](const QString& what) {
        m_services.messages->error(kCannotOpen().arg(what));
    };
    m_services.shell->noFolderOpener = [this](const QString& folder) { sayNoFolderOpener(folder); };
    buildWindow();
    connectRun();
    connect(m_listView, &SourceListView::filesDropped, this, &MainWindow::addDroppedFiles);
    connect(m_listView, &SourceListView::popupRequested, this, [this](const QPoint& at) { m_popup->popup(at); });
    connect(m_listView, &SourceListView::rowClicked, this,
            [this](int row) { m_workspace->showItem(row); });
    connect(m_listView, &SourceListView::rowDoubleClicked, this, &MainWindow::openClipEditor);
    connect(m_chooser, &ProfileChooser::entryChosen, this, &MainWindow::chooseProfile);
    auto* undoAction = findChild<QAction*>(QStringLiteral("UndoClear"));
    undoAction->setEnabled(false);
    connect(m_workspace, &Workspace::undoableClear, this, [this, undoAction](int count) {
        undoAction->setEnabled(count > 0);
        m_undoNote->setText(count == 1 ? tr("Cleared 1 file from the list.")
                                       : tr("Cleared %1 files from the list.").arg(count));
        m_undoNote->setVisible(count > 0);
        findChild<QPushButton*>(QStringLiteral("UndoButton"))->setVisible(count > 0);
        statusBar()->setVisible(count > 0 || m_noFolderOpener);
    });
    load();
}

MainWindow::~MainWindow()
{
    m_services.shell->notOpened = nullptr;
    m_services.shell->noFolderOpener = nullptr;
}

void MainWindow::load()
{
    applySkin(this, m_services.programFolder);
    m_chooser->setImageList(artwork::imageList());
    m_panel->hide();
    m_chooser->fill();
    // Asked once, in the background: entries whose encoder is missing are greyed.
    EncoderList& encoders = m_workspace->encoders();
    connect(&encoders, &EncoderList::ready, m_chooser, [this, &encoders] {
        for (const CatalogueEntry& e : Catalogue::entries())
            if (const auto missing = encoders.missingFor(e.number))
                m_chooser->markUnavailable(e.number, *missing);
    });
    encoders.ask();
    m_workspace->sheet().prolist();
    showPresets();
    const Settings settings = m_workspace->settings();
    // A stored number out of range names no entry; it is never cast.
    const int stored = toInt32(leadingNumber(settings.read(SettingKey::Profile))).value_or(0);
    m_chooser->selectEntry(stored);
    chooseProfile(m_chooser->entryNumber());
    m_sheetView->setDisplaySwitches(true, true, true);
    offerLastList();
}

void MainWindow::offerLastList()
{
    const bool restored = m_workspace->offerLastList(
        [this](int rows) { return m_services.askYesNo(this, kRestoreQuestion().arg(rows)); });
    // The list brought its profile back.
    if (restored && m_workspace->entryNumber() > 0)
        m_chooser->selectEntry(m_workspace->entryNumber());
}

void MainWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_workspace->forgetList(); // a clean end: nothing to offer back
    const Settings settings = m_workspace->settings();
    // A preset is stored as its profile, whose options the list keeps.
    const int entry = m_chooser->presetAt(m_chooser->entryNumber()).isEmpty() ? m_chooser->entryNumber()
                                                                              : m_workspace->entryNumber();
    if (entry > 0 && !settings.write(SettingKey::Profile, QString::number(entry), QStringLiteral("Set")))
        m_services.messages->error(kSettingsNotSaved().arg(settings.filePath()));
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    // The window's close button asks as Exit does; a signal or the program's
    // own close does not.
    if (e->spontaneous() && !m_exiting && !mayEndRun()) {
        e->ignore();
        return;
    }
    unload();
    // Exit during a run is Cancel without its message: the running row ends
    // "Cancel", its partial file goes, and nothing of a finished run follows.
    m_exiting = true;
    if (m_workspace->run().isActive())
        m_workspace->run().cancel();
    m_workspace->probe().stop();
    if (m_workspace->tools().runningCount() == 0) {
        e->accept();
        emit ended();
        return;
    }
    // Nothing is left running behind the window: the tools get the quit key
    // and a moment to finish their files, with the window already gone.
    e->ignore();
    hide();
    if (m_closing)
        return;
    m_closing = true;
    connect(&m_workspace->tools(), &ToolRegistry::allEnded, this, &QWidget::close, Qt::QueuedConnection);
    m_workspace->tools().quitAll(m_services.closeGraceMs);
}

bool MainWindow::mayEndRun()
{
    return !m_workspace->run().isActive() || m_services.askYesNo(this, tr("A conversion is running. Cancel it and exit?"));
}

void MainWindow::exitProgram()
{
    if (!mayEndRun())
        return;
    m_workspace->quitPlayer();
    m_workspace->player().stopClock();
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
    ConversionRun* run = &m_workspace->run();
    connect(run, &ConversionRun::panelVisible, this, [this](bool visible) {
        if (visible) {
            if (!m_panel->isVisible() && m_panel->pos() == QPoint(0, 0))
                m_panel->move((width() - m_panel->width()) / 2, (height() - m_panel->height()) / 2);
            m_panel->show();
            m_panel->raise();
        } else {
            m_panel->hide();
        }
    });
    // The taskbar entry follows the run bar; the desktop hears of the end
    // before a message box waits for the user.
    connect(run, &ConversionRun::totalProgress, this, [this, run](int percent) {
        if (run->isActive()) // not the bar's reset after the end
            m_desktop->showProgress(percent);
    });
    connect(run, &ConversionRun::decided, this, [this](const RunResult& result) {
        m_desktop->hideProgress();
        if (!m_exiting && result.outcome != RunResult::Outcome::InvalidSource)
            m_desktop->notifyRunEnded(result);
    });
    connect(run, &ConversionRun::decided, this, &MainWindow::reportRun);
    connect(run, &ConversionRun::finished, this, [this](const RunResult& result) {
        // Only a folder that something was converted into is shown.
        if (result.outcome == RunResult::Outcome::Completed && result.converted > 0 && !m_exiting)
            showOutputFolder(result.outputFolder);
    });
    connect(run, &ConversionRun::busy, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
    });
    connect(run, &ConversionRun::frameCaption, m_panel, &ProgressPanel::setCaption);
    connect(run, &ConversionRun::trackProgress, m_panel->trackBar(), &QProgressBar::setValue);
    connect(run, &ConversionRun::totalProgress, m_panel->totalBar(), &QProgressBar::setValue);
    connect(run, &ConversionRun::secondsLeft, m_panel, &ProgressPanel::setSecondsLeft);
    connect(run->monitor(), &ProgressMonitor::elapsedText, m_panel->elapsedLabel(), &QLabel::setText);
    connect(m_panel->cancelButton(), &QPushButton::clicked, run, &ConversionRun::cancel);
}

void MainWindow::reportRun(const RunResult& result)
{
    if (!m_exiting)
        announceRunEnd(result, m_workspace->settings(), *m_services.shell, *m_services.messages);
}

void MainWindow::showModal(QDialog* dialog)
{
    m_services.showModal(dialog);
    delete dialog;
}

void MainWindow::addFiles()
{
    // A file that cannot be read, or that names other files, is said and not listed.
    m_workspace->addReadableSources(m_services.chooseFiles(this));
}

void MainWindow::addDroppedFiles(const QStringList& paths)
{
    m_workspace->addReadableSources(paths);
    unsetCursor();
}

void MainWindow::removeSelectedFile()
{
    m_workspace->list().removeItem(m_listView->selectedRow());
}

void MainWindow::clearAllFiles()
{
    m_workspace->clearList();
}

void MainWindow::undoClear()
{
    m_workspace->undoClear();
}

void MainWindow::convertNow()
{
    m_workspace->saveListNow();
    if (!m_workspace->list().isEmpty() && !m_workspace->run().isActive())
        if (const QString why = profileRefusal(m_workspace->entryNumber()); !why.isEmpty()) {
            m_services.messages->error(why);
            return;
        }
    // Files converted already, in this session or the last, are converted
    // again (over their outputs) only when the user says so.
    RunOptions options = m_workspace->run().options();
    const SourceList& list = m_workspace->list();
    int converted = 0;
    bool thisSession = false;
    for (int r = 0; r < list.count(); ++r) {
        converted += list.item(r).converted != SourceItem::Converted::No ? 1 : 0;
        thisSession = thisSession || list.item(r).converted == SourceItem::Converted::ThisSession;
    }
    const QString question = thisSession ? RunText::ConvertedAlreadyQuestion() : RunText::ConvertAgainQuestion();
    options.skipConvertedBefore = converted > 0 && !m_workspace->run().isActive() &&
                                  !m_services.askDefaultNo(this, question.arg(converted).arg(list.count()));
    m_workspace->run().setOptions(options);
    m_workspace->run().start();
}

void MainWindow::chooseProfile(int number)
{
    const int catalogue = static_cast<int>(Catalogue::entries().size());
    if (number <= catalogue) {
        m_workspace->chooseEntry(number);
        return;
    }
    const QString preset = m_chooser->presetAt(number);
    // "My Presets" itself, or a preset that cannot be used: the profile
    // chosen before stays, and says so in the chooser.
    if (preset.isEmpty()) {
        m_chooser->selectEntry(m_workspace->entryNumber());
        return;
    }
    if (const auto refused = m_workspace->choosePreset(preset)) {
        m_services.messages->error(refused->at(0).toUpper() + refused->mid(1) + u'.');
        m_chooser->selectEntry(m_workspace->entryNumber());
    }
}

void MainWindow::openSettings()
{
    const Settings settings = m_workspace->settings();
    showModal(new SettingsDialog(settings, *m_services.messages, m_services.chooseFolder, this));
}

void MainWindow::openHelp()
{
    const QString help = m_services.programFolder + QStringLiteral("/help/index.html");
    sayIfNotOpened(m_services.shell->openHelp(help), help);
}

void MainWindow::checkForUpdates()
{
    m_services.messages->information(tr("This is %1, in %2.\nIt does not look for updates itself: a copy installed as a "
                                 "package is updated by the system's package manager, and a copy built from its "
                                 "source by building a newer source.")
                                  .arg(kAppTitle, m_services.programFolder));
}

void MainWindow::playSelectedFile()
{
    m_workspace->playRow(m_listView->selectedRow());
}

void MainWindow::openClipEditor()
{
    const int row = m_listView->selectedRow();
    if (!m_workspace->beginClipEditing(row))
        return;
    showModal(new ClipEditor(*m_workspace, *m_services.messages, this));
}

void MainWindow::openCapture()
{
    auto device = m_services.captureDevice ? m_services.captureDevice()
                                           : std::make_unique<V4l2CaptureDevice>(m_services.programFolder, m_workspace->tools());
    showModal(new CaptureWindow(std::move(device), m_services.programFolder, {}, this));
}

void MainWindow::openDownloader()
{
    showModal(new DownloaderWindow(*m_workspace, *m_services.messages, m_services.askDownload, this));
}

void MainWindow::openFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    QStringList absolute;
    for (const QString& p : paths)
        absolute << QFileInfo(p).absoluteFilePath();
    // From the file manager or the command line: a missing or unreadable
    // file is said, not listed.
    const QList<quint64> added = m_workspace->addReadableSources(absolute);
    if (added.isEmpty())
        return;
    // The first readable file's row is selected and shown once its probe has
    // filled it, wherever rows removed meanwhile have moved it.
    auto* once = new QObject(this);
    connect(&m_workspace->probe(), &MediaProbe::probed, once, [this, once, added] {
        const SourceList& list = m_workspace->list();
        for (const quint64 id : added) {
            const int row = list.rowOf(id);
            if (row < 0 || (!m_workspace->probe().isProbing(id) && !list.item(row).media.readable))
                continue; // gone, or going
            if (m_workspace->probe().isProbing(id))
                return;
            m_listView->setCurrentIndex(list.index(row, 0));
            m_workspace->showItem(row);
            break;
        }
        once->deleteLater();
    });
    connect(&m_workspace->probe(), &MediaProbe::idle, once, &QObject::deleteLater);
}

void MainWindow::openHandedFiles(const QStringList& paths)
{
    openFiles(paths);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void MainWindow::showOutputFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir()) {
        m_services.messages->error(tr("Could not open %1: the folder does not exist.").arg(folder));
        return;
    }
    // Nothing opens folders here: the status line already says where the
    // outputs are.
    if (m_noFolderOpener) {
        sayNoFolderOpener(folder);
        return;
    }
    if (!m_services.shell->openFolder(folder))
        m_services.messages->error(kCannotOpen().arg(folder));
}

void MainWindow::sayNoFolderOpener(const QString& folder)
{
    m_noFolderOpener = true;
    m_folderNote->setText(tr("No program on this desktop opens folders: the converted files are in %1").arg(folder));
    m_folderNote->show();
    statusBar()->show();
}

void MainWindow::sayIfNotOpened(bool opened, const QString& what)
{
    if (!opened)
        m_services.messages->error(kCannotOpen().arg(what));
}

void MainWindow::openAbout()
{
    showModal(new AboutDialog(m_services.programFolder, this));
}

} // namespace varnel
