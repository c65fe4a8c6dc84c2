#pragma once
// Form1: the main window. It owns the source list, the option sheet, the
// chooser and the progress panel for its whole life, and wires every menu
// entry, pop-up entry and toolbar image to its command.
#include "preview/PreviewState.h"
#include "sources/OptionSheet.h"
#include "sources/SourceList.h"
#include "tools/ToolRegistry.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QMenu;
class QTimer;

namespace varnel {

class ConversionRun;
class MediaProbe;
class OptionSheetView;
class ProfileChooser;
class ProgressPanel;
class ShellServices;
class SourceListView;
class ToolbarImage;
class UserMessages;

struct MainWindowServices {
    QString programFolder;
    ShellServices* shell = nullptr;           // required
    UserMessages* messages = nullptr;         // message boxes when left out
    std::function<QStringList(QWidget*)> chooseFiles;  // the open-file dialog when left out
    std::function<QString(QWidget*)> chooseFolder;     // the folder browser when left out
    std::function<void(QDialog*)> showModal;           // exec() when left out
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    SourceList& sourceList() { return m_list; }
    OptionSheet& optionSheet() { return m_sheet; }
    PreviewState& previewState() { return m_preview; }
    ToolRegistry& tools() { return m_tools; }
    MediaProbe& probe() { return *m_probe; }
    ConversionRun& conversionRun() { return *m_run; }
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
    void convertNow();
    void openSettings();
    void openHelp();
    void openHomePage();
    void openSupportPage();
    void openAbout();
    void exitProgram();
    void chooseProfile(int number);
    // Filled by the preview, clip, capture and download windows.
    void playSelectedFile() {}
    void openClipEditor() {}
    void openCapture() {}
    void openDownloader() {}

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildWindow();
    void buildMenus();
    QWidget* buildToolbar();
    void connectRun();
    void load();
    void unload();
    void showModal(QDialog* dialog);

    MainWindowServices m_services;
    std::unique_ptr<UserMessages> m_ownMessages;
    SourceList m_list;
    OptionSheet m_sheet;
    PreviewState m_preview;
    ToolRegistry m_tools;
    MediaProbe* m_probe = nullptr;
    ConversionRun* m_run = nullptr;
    ProfileChooser* m_chooser = nullptr;
    ProgressPanel* m_panel = nullptr;
    SourceListView* m_listView = nullptr;
    OptionSheetView* m_sheetView = nullptr;
    QWidget* m_toolbar = nullptr;
    QMenu* m_popup = nullptr;
    QTimer* m_timer1 = nullptr;
    QList<ToolbarImage*> m_images;
    bool m_unloaded = false;
};

} // namespace varnel
