#include "gui/convert/ProgressPanel.h"

#include "core/common/TimeText.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace varnel {

namespace {
QProgressBar* bar(const QString& name, QWidget* parent)
{
    auto* b = new QProgressBar(parent);
    b->setObjectName(name);
    b->setRange(0, 100);
    b->setValue(0);
    return b;
}
}

ProgressPanel::ProgressPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Picture4"));
    setFrameShape(QFrame::StyledPanel);
    setCursor(Qt::SizeAllCursor);

    m_frame14 = new QGroupBox(this);
    m_frame14->setObjectName(QStringLiteral("Frame14"));
    auto* inner = new QVBoxLayout(m_frame14);

    auto* frame13 = new QGroupBox(tr("Currently Conversion"), m_frame14);
    frame13->setObjectName(QStringLiteral("Frame13"));
    m_track = bar(QStringLiteral("prgTrackProgress"), frame13);
    m_track->setAccessibleName(frame13->title());
    (new QVBoxLayout(frame13))->addWidget(m_track);

    auto* frame3 = new QGroupBox(tr("Total Conversion"), m_frame14);
    frame3->setObjectName(QStringLiteral("Frame3"));
    m_total = bar(QStringLiteral("prgTotalProgress"), frame3);
    m_total->setAccessibleName(frame3->title());
    (new QVBoxLayout(frame3))->addWidget(m_total);

    auto* timeRow = new QHBoxLayout;
    auto* timeCaption = new QLabel(tr("Current video Time:"), m_frame14);
    timeCaption->setObjectName(QStringLiteral("SkinLabel1"));
    m_elapsed = new QLabel(QStringLiteral("00:00:00"), m_frame14);
    m_elapsed->setObjectName(QStringLiteral("SkinLabel2"));
    m_cancel = new QPushButton(tr("Cancel"), m_frame14);
    m_cancel->setObjectName(QStringLiteral("Command1"));
    m_cancel->setCursor(Qt::ArrowCursor);
    timeRow->addWidget(timeCaption);
    timeRow->addWidget(m_elapsed);
    timeRow->addSpacing(12);
    m_timeLeft = new QLabel(m_frame14);
    m_timeLeft->setObjectName(QStringLiteral("lblTimeLeft"));
    timeRow->addWidget(m_timeLeft);
    timeRow->addStretch();
    timeRow->addWidget(m_cancel);

    inner->addWidget(frame13);
    inner->addWidget(frame3);
    inner->addLayout(timeRow);
    (new QVBoxLayout(this))->addWidget(m_frame14);
    setFixedSize(460, 230);
    setCaption(tr("Progress...."));
}

void ProgressPanel::setSecondsLeft(long long seconds)
{
    m_timeLeft->setText(seconds < 0 ? QString() : tr("Time left: %1").arg(secondsToTimeText(seconds)));
}

void ProgressPanel::setCaption(const QString& caption)
{
    m_caption = caption;
    showCaption();
}

void ProgressPanel::showCaption()
{
    // Room for the title: the panel's width less the margins of the panel
    // and the frame and the title's own padding.
    const int room = std::max(40, width() - 70);
    m_frame14->setTitle(m_frame14->fontMetrics().elidedText(m_caption, Qt::ElideMiddle, room));
    m_frame14->setToolTip(m_caption);
}

void ProgressPanel::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    showCaption();
}

void ProgressPanel::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    grabMouse();
    m_grabX = static_cast<float>(e->position().x());
    m_grabY = static_cast<float>(e->position().y());
}

void ProgressPanel::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_dragging)
        return;
    const QPointF inWindow = mapToParent(e->position());
    move(qRound(inWindow.x() - m_grabX), qRound(inWindow.y() - m_grabY));
}

void ProgressPanel::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
    releaseMouse();
}

} // namespace varnel
