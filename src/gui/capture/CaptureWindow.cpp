#include "gui/capture/CaptureWindow.h"

#include "core/capture/CaptureSession.h"
#include "gui/app/Named.h"
#include "gui/app/Skin.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace varnel {

namespace {

// The device's newest preview picture, fitted into the widget.
class PreviewPicture : public QWidget {
public:
    PreviewPicture(CaptureDevice& device, QWidget* parent) : QWidget(parent), m_device(device)
    {
        setMinimumSize(320, 240);
        connect(&m_device, &CaptureDevice::frameReady, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (m_device.deviceCount() == 0) {
            p.setPen(QColor(0x9a, 0xa7, 0xb6));
            p.drawText(rect(), Qt::AlignCenter, CaptureWindow::tr("No camera found"));
            return;
        }
        const PreviewFrame f = m_device.previewFrame();
        if (f.width <= 0 || f.bgra.size() < qsizetype(f.width) * f.height * 4)
            return;
        const QImage image(reinterpret_cast<const uchar*>(f.bgra.constData()), f.width, f.height, QImage::Format_ARGB32);
        const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
        p.drawImage(QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted), image);
    }

private:
    CaptureDevice& m_device;
};

} // namespace

QString defaultCaptureFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return folder + QStringLiteral("/dvcapture.avi");
}

CaptureWindow::CaptureWindow(std::unique_ptr<CaptureDevice> device, const QString& programFolder,
                             std::function<QString(QWidget*)> chooseFile, QWidget* parent)
    : QDialog(parent), m_device(std::move(device)), m_session(new CaptureSession(*m_device, this)),
      m_chooseFile(std::move(chooseFile))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(tr("Capture Video From DV"));
    setModal(true);
    if (!m_chooseFile)
        m_chooseFile = [](QWidget* owner) {
            return QFileDialog::getSaveFileName(owner, tr("Save Video File"), QString(),
                                                tr("Avi Video file (*.avi)"));
        };

    m_devices = named(new QComboBox(this), QStringLiteral("Combo1"));
    m_file = named(new QLineEdit(defaultCaptureFile(), this), QStringLiteral("Text1"));
    m_file->setReadOnly(true);
    auto* browse = named(new QPushButton(tr("Browse..."), this), QStringLiteral("Command5"));
    m_start = named(new QPushButton(tr("Start capture"), this), QStringLiteral("Command1"));
    m_stop = named(new QPushButton(tr("Stop capture"), this), QStringLiteral("Command2"));
    m_preview = named(new QPushButton(tr("Preview"), this), QStringLiteral("Command3"));
    auto* exit = named(new QPushButton(tr("Exit"), this), QStringLiteral("Command4"));
    m_statistics = named(new QLabel(QStringLiteral("00:00:00"), this), QStringLiteral("Label2"));
    // A long reason wraps in its column instead of pushing the picture aside.
    m_statistics->setWordWrap(true);
    m_statistics->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_picture = named(new PreviewPicture(*m_device, this), QStringLiteral("vcx"));

    auto* controls = new QGroupBox(tr("Camera Control"), this);
    auto* grid = new QGridLayout(controls);
    const char* captions[] = {QT_TR_NOOP("Pan:"), QT_TR_NOOP("Tilt:"), QT_TR_NOOP("Roll:"), QT_TR_NOOP("Zoom:")};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(tr(captions[i]), controls), i, 0);
        m_sliders[i] = named(new QSlider(Qt::Horizontal, controls), QStringLiteral("Slider%1").arg(i));
        grid->addWidget(m_sliders[i], i, 1);
        // The camera follows the user's every change once the handle is let
        // go: the end of a drag, or a click on the track, a key, the wheel.
        connect(m_sliders[i], &QSlider::sliderReleased, this,
                [this, i] { m_session->releaseSlider(i, m_sliders[i]->value()); });
        connect(m_sliders[i], &QSlider::valueChanged, this, [this, i](int value) {
            if (!m_sliders[i]->isSliderDown())
                m_session->releaseSlider(i, value);
        });
    }

    auto* deviceRow = new QHBoxLayout;
    deviceRow->addWidget(new QLabel(tr("Camera"), this));
    deviceRow->addWidget(m_devices, 1);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("Capture File:"), this));
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(new QLabel(tr("Capture Time:"), this));
    timeRow->addWidget(m_statistics, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_start, m_stop, m_preview, exit})
        buttons->addWidget(b);
    auto* side = new QVBoxLayout;
    side->addLayout(deviceRow);
    side->addWidget(controls);
    side->addLayout(timeRow);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(m_picture, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(fileRow);
    layout->addLayout(buttons);

    m_timer = named(new QTimer(this), QStringLiteral("Timer1"));
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, m_session, &CaptureSession::tick);
    connect(m_session, &CaptureSession::changed, this, &CaptureWindow::refresh);
    connect(m_session, &CaptureSession::readyToClose, this, [this] {
        m_closing = true;
        QDialog::reject();
    });
    connect(m_devices, &QComboBox::activated, m_session, &CaptureSession::selectDevice);
    connect(m_start, &QPushButton::clicked, this, [this] { m_session->startCapture(m_file->text()); });
    connect(m_stop, &QPushButton::clicked, m_session, &CaptureSession::stopCapture);
    connect(m_preview, &QPushButton::clicked, m_session, &CaptureSession::preview);
    connect(exit, &QPushButton::clicked, this, &CaptureWindow::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        QString chosen = m_chooseFile(this);
        if (!chosen.isEmpty())
            m_file->setText(aviName(chosen));
    });

    // Load, in its order. The display switches of the original component
    // are this view's defaults: a black picture, fitted, nothing else.
    applySkin(this, programFolder);
    m_session->load();
    m_devices->addItems(m_session->deviceNames());
    refresh();
    m_timer->start();
    resize(760, 460);
}

CaptureWindow::~CaptureWindow()
{
    // What refers to the device goes before it: children would outlive it.
    delete m_picture;
    delete m_session;
}

void CaptureWindow::refresh()
{
    m_start->setEnabled(m_session->startEnabled());
    m_stop->setEnabled(m_session->stopEnabled());
    m_preview->setEnabled(m_session->previewEnabled());
    for (int i = 0; i < 4; ++i) {
        const SliderState& s = m_session->slider(i);
        // Showing the camera's value is no change of the user's to send back.
        const QSignalBlocker quiet(m_sliders[i]);
        m_sliders[i]->setEnabled(s.enabled);
        if (s.enabled && !m_sliders[i]->isSliderDown()) {
            m_sliders[i]->setRange(s.minimum, s.maximum);
            m_sliders[i]->setValue(s.value);
        }
    }
    m_statistics->setText(m_session->statisticsText());
}

void CaptureWindow::reject()
{
    if (m_closing) {
        QDialog::reject();
        return;
    }
    m_session->exit(); // closes through readyToClose once the file is finished
}

QString aviName(const QString& chosen)
{
    // The recording is AVI whatever the name: a bare name gets the
    // extension, another one is put right, so that the name says what the
    // file is.
    const QFileInfo info(chosen);
    if (info.suffix().compare(QLatin1String("avi"), Qt::CaseInsensitive) == 0)
        return chosen;
    if (info.suffix().isEmpty())
        return chosen + QStringLiteral(".avi");
    return info.path() + u'/' + info.completeBaseName() + QStringLiteral(".avi");
}

void closeCaptureFirst(QWidget& mainWindow)
{
    CaptureWindow* capture = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* c = qobject_cast<CaptureWindow*>(w); c && c->isVisible())
            capture = c;
    if (!capture) {
        mainWindow.close();
        return;
    }
    // A dialog over it (Browse..., a message) runs a loop of its own that
    // holds the capture window's: it goes first, as a Cancel would.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || top == capture)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(top))
            dialog->reject();
        else
            top->close();
    }
    // Its close waits for the recording's file; its end closes the main window.
    QObject::connect(capture, &QDialog::finished, &mainWindow, &QWidget::close,
                     static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
    capture->close();
}

} // namespace varnel
