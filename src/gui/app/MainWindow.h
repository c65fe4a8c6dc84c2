#pragma once
// Form1: the main window. A view on one workspace (list, sheet, tools,
// probe, run) that its owner (main) keeps for longer than the window; it
// wires every menu entry, pop-up entry and toolbar image to its command.
#include "core/workspace/Workspace.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QHBoxLayout;
class QLabel;
class QMenu;
class QTimer;

namespace varnel {

class CaptureDevice;
class DesktopSignals;
class OptionSheetView;
class PlayerControls;
class ProfileChooser;
class ProgressPanel;
class ShellServices;
class SourceListView;
class ToolbarImage;
class UserMessages;

// The desktop's services the window uses beside its workspace's shell and
// messages.
struct MainWindowServices {
    std::function<QStringList(QWidget*)> chooseFiles;  // the open-file dialog when left out
    int closeGraceMs = 3000;  // tools still running this long after the quit key are ended
    std::function<QString(QWidget*)> chooseFolder;     // the folder browser when left out
    std::function<void(QDialog*)> showModal;           // exec() when left out
    std::function<bool(QWidget*)> askDownload;         // the Download/Play question, a message box when left out
    std::function<std::unique_ptr<CaptureDevice>()> captureDevice; // the system's cameras when left out
    std::function<bool(QWidget*, const QString&)> askYesNo;        // a question box when left out
    // A question whose safe answer is No, which Enter gives: a box with No as
    // its default when left out (askYesNo, when only that is given).
    std::function<bool(QWidget*, const QString&)> askDefaultNo;
    std::function<std::unique_ptr<DesktopSignals>()> desktopSignals; // the session bus when left out
    // A line of text (a preset's name); empty when cancelled. An input box when left out.
    std::function<QString(QWidget*, const QString& question, const QString& suggested)> askText;
    // One of the items (a preset); empty when cancelled. A choice box when left out.
    std::function<QString(QWidget*, const QString& question, const QStringList& items)> askItem;
    // A file of presets to write (forSaving) or read; file dialogs when left out.
    std::function<QString(QWidget*, bool forSaving)> choosePresetFile;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Workspace& workspace, MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    Workspace& workspace() { return *m_workspace; }
    ProfileChooser* profileChooser() const { return m_chooser; }
    ProgressPanel* progressPanel() const { return m_panel; }
    SourceListView* sourceListView() const { return m_listView; }
    OptionSheetView* optionSheetView() const { return m_sheetView; }
    QMenu* popupMenu() const { return m_popup; }
    QList<ToolbarImage*> toolbarImages() const { return m_images; }

public slots:
    void addFiles();
    void addDroppedFiles(const QStringList& paths);
    void removeSelectedFile();
    void clearAllFiles();
    void undoClear();
    void convertNow();
    void openSettings();
    void openHelp();
    // What is installed and where updates come from: the program has no
    // site of its own to ask.
    void checkForUpdates();
    void openAbout();
    void exitProgram();
    void chooseProfile(int number);
    void savePreset();
    void renamePreset();
    void deletePreset();
    void exportPreset();
    void importPresets();
    void playSelectedFile();
    void openClipEditor();
    // Files named on the command line: added as Add Files adds them, the
    // first one's row selected.
    void openFiles(const QStringList& paths);
    // Files handed over by a second start: opened as above, the window
    // raised.
    void openHandedFiles(const QStringList& paths);
    // False while the window is closing: files handed over would be lost.
    bool takesHandedFiles() const { return !m_unloaded; }
    void openDownloader();
    void openCapture();

signals:
    // The window has closed and every tool it started has ended.
    void ended();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildWindow();
    void fitToScreen();
    void buildMenus();
    QWidget* buildToolbar();
    void connectRun();
    // What the user is told when a run ends, and the shutdown it may ask for.
    void reportRun(const RunResult& result);
    void load();
    // A list left by a run that did not end cleanly is offered back.
    void offerLastList();
    void unload();
    void showModal(QDialog* dialog);
    void sayIfNotOpened(bool opened, const QString& what);
    // The folder a run converted into, in the desktop's file manager.
    void showOutputFolder(const QString& folder);
    // Said once, in the status line, not in a box after every run.
    void sayNoFolderOpener(const QString& folder);
    // False when a run is active and the user would rather let it go on.
    bool mayEndRun();
    // The chooser's presets as the store has them.
    void showPresets();
    // The preset to act on: the chosen one, else one the user picks.
    QString presetToActOn(const QString& question);

    // The services as given, with the workspace's own beside them.
    struct Services : MainWindowServices {
        QString programFolder;
        ShellServices* shell = nullptr;
        UserMessages* messages = nullptr;
    };
    Services m_services;
    Workspace* m_workspace; // never null
    ProfileChooser* m_chooser = nullptr;
    ProgressPanel* m_panel = nullptr;
    SourceListView* m_listView = nullptr;
    OptionSheetView* m_sheetView = nullptr;
    PlayerControls* m_playerControls = nullptr;
    QWidget* m_toolbar = nullptr;
    QWidget* m_toolbarEnd = nullptr;
    QHBoxLayout* m_toolbarSecondRow = nullptr;
    QLabel* m_undoNote = nullptr;
    QLabel* m_folderNote = nullptr;
    bool m_noFolderOpener = false; // the desktop has no program that opens folders
    QMenu* m_popup = nullptr;
    QList<ToolbarImage*> m_images;
    bool m_unloaded = false;
    bool m_closing = false;  // hidden, waiting for the tools to end
    bool m_exiting = false;  // the window is closing: a run ends silently
    std::unique_ptr<DesktopSignals> m_desktop; // the taskbar's progress, the notification of a run's end
};

} // namespace varnel
