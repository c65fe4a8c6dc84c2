#pragma once
// Form3, "Capture Video From DV": a camera's live picture, its controls, and
// recording to an AVI file. A view on CaptureSession.
#include <QDialog>
#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace varnel {

class CaptureDevice;
class CaptureSession;

class CaptureWindow : public QDialog {
    Q_OBJECT
public:
    // chooseFile: the "Save Video File" dialog; empty when cancelled.
    CaptureWindow(std::unique_ptr<CaptureDevice> device, const QString& programFolder,
                  std::function<QString(QWidget*)> chooseFile, QWidget* parent);
    ~CaptureWindow() override;

    CaptureSession& session() const { return *m_session; }

    // Closing by any way finishes a recording first.
    void reject() override;

private:
    void refresh();

    std::unique_ptr<CaptureDevice> m_device;
    CaptureSession* m_session;
    std::function<QString(QWidget*)> m_chooseFile;
    QComboBox* m_devices;
    QLineEdit* m_file;
    QPushButton *m_start, *m_stop, *m_preview;
    QSlider* m_sliders[4];
    QLabel* m_statistics;
    QWidget* m_picture;
    QTimer* m_timer;
    bool m_closing = false;
};

// The default target: dvcapture.avi in the user's videos folder.
QString defaultCaptureFile();

// The name a recording chosen as this is written under: always .avi.
QString aviName(const QString& chosen);

// A terminate request while a capture window is open on top: that window
// closes first (its recording finishes its file), then the main window.
void closeCaptureFirst(QWidget& mainWindow);

} // namespace varnel
