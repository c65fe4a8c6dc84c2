#include "gui/download/DownloaderWindow.h"

#include "core/common/UserMessages.h"
#include "core/download/VideoDownloader.h"
#include "core/tools/PlayerCommand.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Named.h"
#include "gui/app/PlatformChoice.h"
#include "gui/app/Skin.h"
#include "gui/preview/PlayerControls.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QImageReader>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace varnel {

namespace {

constexpr int kDesignWidth = 7170, kDesignHeight = 4845;
constexpr int kHiddenLeft = 8000;

} // namespace

DownloaderWindow::DownloaderWindow(Workspace& workspace, UserMessages& messages,
                                   std::function<bool(QWidget*)> askDownload, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint), m_workspace(workspace),
      m_askDownload(std::move(askDownload)),
      m_downloader(new VideoDownloader(workspace.dataFolder(), messages, workspace.tools(), this)),
      m_flash(new PlayerJob(workspace.tools(), this))
{
    setObjectName(QStringLiteral("Formyutobe"));
    setModal(true);
    if (!m_askDownload)
        m_askDownload = [](QWidget* owner) {
            return QMessageBox::question(owner, kDownloadOrPlayCaption(), kDownloadOrPlay(),
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };

    auto* close = named(new QLabel(QStringLiteral("X"), this), "cmdCLose");
    close->setCursor(Qt::PointingHandCursor);
    close->installEventFilter(this);
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(new QLabel(tr("Enter YouTube video URL"), this), 1);
    captionRow->addWidget(close);
    auto* urlRow = new QHBoxLayout;
    m_url = named(new QLineEdit(QStringLiteral("https://www.youtube.com/watch?v=XXXXX"), this), "txtWatchUrl");
    m_url->installEventFilter(this);
    urlRow->addWidget(m_url, 1);
    m_get = named(new QPushButton(tr("Get Direct Link"), this), "cmdG");
    urlRow->addWidget(m_get);

    m_status = named(new QLabel(tr("Status  "), this), "lblTitle");
    m_picture = named(new QLabel(this), "picTitle");
    m_picture->setFixedSize(twips(1800), twips(1350));
    m_picture->setScaledContents(true);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_title = named(new QLabel(this), "lblTitle1");
    m_title->setWordWrap(true);
    auto* facts = new QGridLayout;
    facts->addWidget(m_title, 0, 0, 1, 4);
    const struct { const char* caption; QLabel** label; const char* name; int row, column; } factLabels[] = {
        {QT_TR_NOOP("Category:"), &m_category, "lblCat", 1, 0},        {QT_TR_NOOP("Author:"), &m_author, "lblAuthor", 1, 2},
        {QT_TR_NOOP("Length:"), &m_length, "lblDur", 2, 0},            {QT_TR_NOOP("Published:"), &m_published, "lblPublished", 2, 2},
        {QT_TR_NOOP("Rating"), &m_rating, "lblRating", 3, 0},
    };
    for (const auto& f : factLabels) {
        facts->addWidget(new QLabel(tr(f.caption), this), f.row, f.column);
        *f.label = named(new QLabel(this), f.name);
        facts->addWidget(*f.label, f.row, f.column + 1);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(m_picture);
    top->addLayout(facts, 1);
    m_description = named(new QPlainTextEdit(this), "txtDesc");
    m_description->setReadOnly(true);

    auto* streams = new QHBoxLayout;
    for (const StreamFormat& f : kStreamFormats) {
        auto* b = named(new QPushButton(QCoreApplication::translate("varnel::StreamFormat", f.caption), this), f.button);
        b->setEnabled(false);
        streams->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, number = f.number] { streamButton(number); });
    }
    auto* previewButton = named(new QPushButton(tr("Preview"), this), "cmdPR");
    streams->addWidget(previewButton);
    auto* progressRow = new QHBoxLayout;
    m_progress = named(new QProgressBar(this), "pbDownload");
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_percent = named(new QLabel(this), "Label2");
    m_percent->setMinimumWidth(48);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_percent);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->addLayout(captionRow);
    layout->addLayout(urlRow);
    layout->addWidget(m_status);
    layout->addLayout(top);
    layout->addWidget(m_description, 1);
    layout->addLayout(streams);
    layout->addLayout(progressRow);

    // The preview frame lies over the window and is moved in and out of view.
    m_previewFrame = named(new QGroupBox(tr("YouTube Preview"), this), "frmPR");
    m_previewFrame->resize(twips(kDesignWidth) - twips(600), twips(kDesignHeight) - twips(900));
    auto* hide = named(new QLabel(QStringLiteral("X"), m_previewFrame), "Label6");
    hide->setCursor(Qt::PointingHandCursor);
    hide->installEventFilter(this);
    m_swf = new VideoSurface(m_previewFrame);
    m_swf->setObjectName(QStringLiteral("SWF"));
    // The preview's player has ended: its last picture is painted over.
    connect(m_flash, &PlayerJob::ended, m_swf, [this] { m_swf->setPlaying(false); });
    auto* frameLayout = new QVBoxLayout(m_previewFrame);
    auto* frameTop = new QHBoxLayout;
    frameTop->addWidget(new QLabel(tr("Click and wait for video to Load..."), m_previewFrame), 1);
    frameTop->addWidget(hide);
    frameLayout->addLayout(frameTop);
    frameLayout->addWidget(m_swf, 1);
    m_previewFrame->move(twips(kHiddenLeft), 0);

    connect(m_url, &QLineEdit::textChanged, this, [this] { m_get->setEnabled(true); });
    connect(m_get, &QPushButton::clicked, this, &DownloaderWindow::getDirectLink);
    connect(previewButton, &QPushButton::clicked, this, [this] { preview(35, 300, 450); });
    connect(m_downloader, &VideoDownloader::statusText, m_status, &QLabel::setText);
    connect(m_downloader, &VideoDownloader::formatsFound, this, [this](const std::vector<int>& formats) {
        for (int f : formats)
            if (auto* b = findChild<QPushButton*>(QLatin1String(streamFormat(f)->button)))
                b->setEnabled(true);
    });
    connect(m_downloader, &VideoDownloader::pageShown, this, &DownloaderWindow::showFields);
    connect(m_downloader, &VideoDownloader::thumbnailShown, this,
            [this](const QString& path) { m_picture->setPixmap(thumbnailAt(path, m_picture->size())); });
    connect(m_downloader, &VideoDownloader::progress, this, [this](int percent, const QString& label) {
        m_progress->setValue(percent);
        m_percent->setText(label);
    });

    applySkin(this, workspace.programFolder());
    // The design size, set again on load.
    setFixedSize(twips(kDesignWidth), twips(kDesignHeight));
}

DownloaderWindow::~DownloaderWindow() = default;

int DownloaderWindow::twips(int value) const
{
    return value * logicalDpiX() / 1440;
}

void DownloaderWindow::getDirectLink()
{
    m_get->setEnabled(false);
    m_picture->setPixmap(QPixmap(m_workspace.programFolder() + QStringLiteral("/loading.jpg")));
    m_downloader->fetch(m_url->text());
}

void DownloaderWindow::showFields()
{
    const VideoPageInfo& info = m_downloader->info();
    m_title->setText(info.title);
    m_description->setPlainText(info.description);
    m_category->setText(info.category);
    m_author->setText(info.author);
    m_length->setText(info.length + tr(" Sec."));
    m_published->setText(info.published);
    m_rating->setText(info.rating);
}

void DownloaderWindow::streamButton(int format)
{
    if (streamFormat(format)->asksFirst && !m_askDownload(this)) {
        preview(format, 240, 120);
        return;
    }
    m_downloader->download(format);
}

QPixmap DownloaderWindow::thumbnailAt(const QString& path, const QSize& shown)
{
    // Decoded at the size it is shown: a small file may unpack to a picture
    // of many megapixels, which is never held whole.
    constexpr qint64 kMostPixels = 4'000'000;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true); // a server names its pictures as it likes
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMostPixels)
        return {};
    reader.setScaledSize(size.scaled(shown, Qt::KeepAspectRatio));
    return QPixmap::fromImage(reader.read());
}

void DownloaderWindow::preview(int format, int leftTwips, int topTwips)
{
    m_previewFrame->move(twips(leftTwips), twips(topTwips));
    m_previewFrame->raise();
    m_flash->quit();
    const QUrl url = m_downloader->streamUrl(format);
    m_swf->setToolTip(tr("Preview of ") + m_downloader->info().title);
    if (url.isEmpty())
        return;
    if (const QString why = playerSurfaceUnavailable(QGuiApplication::platformName()); !why.isEmpty()) {
        m_workspace.messages().error(why);
        return;
    }
    m_swf->setPlaying(false); // black until the player draws
    m_swf->setPlaying(true);
    if (!m_flash->start(m_workspace.programFolder(),
                        playerCommand(m_workspace.programFolder(), m_swf->winId(), PlayerOptions::Variant1,
                                      QString::fromLatin1(url.toEncoded()))))
        m_swf->setPlaying(false);
}

void DownloaderWindow::done(int result)
{
    // The preview's player ends with its window, and so does a transfer:
    // the user closed it, so nothing is said about it.
    m_flash->quit();
    m_downloader->cancel();
    QDialog::done(result);
}

bool DownloaderWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        if (watched->objectName() == QLatin1String("cmdCLose"))
            reject();
        else if (watched->objectName() == QLatin1String("Label6"))
            m_previewFrame->move(twips(kHiddenLeft), m_previewFrame->y());
    }
    // A click into the address selects all of it.
    if (watched == m_url && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::FocusIn))
        QTimer::singleShot(0, m_url, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, e);
}

// The borderless window is dragged by its background.
void DownloaderWindow::mousePressEvent(QMouseEvent* e)
{
    m_grab = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void DownloaderWindow::mouseMoveEvent(QMouseEvent* e)
{
    if (e->buttons() & Qt::LeftButton)
        move(e->globalPosition().toPoint() - m_grab);
}

} // namespace varnel
