#pragma once
// Formyutobe: a borderless tool window that fetches a watch page, shows what
// it says, and downloads or previews its streams. A view on VideoDownloader.
#include "core/preview/PlayerJob.h"

#include <QDialog>
#include <QPoint>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QGroupBox;

namespace varnel {

class UserMessages;
class VideoDownloader;
class VideoSurface;
class Workspace;

class DownloaderWindow : public QDialog {
    Q_OBJECT
public:
    // askDownload: the "Download/Play" question, true for Yes; a message box
    // when left out.
    DownloaderWindow(Workspace& workspace, UserMessages& messages, std::function<bool(QWidget*)> askDownload,
                     QWidget* parent);
    ~DownloaderWindow() override;

    VideoDownloader& downloader() const { return *m_downloader; }
    // Twips of the design, in this screen's pixels.
    int twips(int value) const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    static QPixmap thumbnailAt(const QString& path, const QSize& shown);
    void getDirectLink();
    void streamButton(int format);
    void preview(int format, int leftTwips, int topTwips);
    void showFields();

    Workspace& m_workspace;
    std::function<bool(QWidget*)> m_askDownload;
    VideoDownloader* m_downloader;
    PlayerJob* m_flash; // the stand-in for the Flash component's player
    QLineEdit* m_url;
    QPushButton* m_get;
    QLabel* m_status;
    QLabel* m_picture;
    QLabel* m_title;
    QPlainTextEdit* m_description;
    QLabel *m_category, *m_author, *m_length, *m_published, *m_rating;
    QProgressBar* m_progress;
    QLabel* m_percent;
    QGroupBox* m_previewFrame;
    VideoSurface* m_swf;
    QPoint m_grab;
};

} // namespace varnel
