#include "gui/preview/ClipEditor.h"

#include "core/common/TimeText.h"
#include "core/common/UserMessages.h"
#include "core/preview/ClipTimes.h"
#include "core/preview/PreviewPlayer.h"
#include "core/workspace/Workspace.h"
#include "gui/app/Skin.h"
#include "gui/preview/PlayerControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

namespace {

QLineEdit* timeBox(const char* name, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    box->setMaximumWidth(110);
    return box;
}

UserSlider* timeSlider(const char* name, const QString& spokenName, QWidget* parent)
{
    auto* slider = new UserSlider(parent);
    slider->setObjectName(QLatin1String(name));
    slider->setAccessibleName(spokenName);
    slider->setRange(0, 100); // the design range, kept when the length is not a time
    return slider;
}

} // namespace

ClipEditor::ClipEditor(Workspace& workspace, UserMessages& messages, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_messages(messages),
      m_player(new PreviewPlayer(workspace.tools(), workspace.programFolder(), kClipEditorVariants, this))
{
    setObjectName(QStringLiteral("Form2"));
    setModal(true);

    auto* frame = new QGroupBox(tr("Start Time and End Time"), this);
    m_start = timeSlider("Slider1", tr("Start Time"), frame);
    m_end = timeSlider("Slider2", tr("End Time"), frame);
    m_startText = timeBox("Text1", frame);
    m_endText = timeBox("Text2", frame);
    m_length = timeBox("Text3", frame);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(tr("Start Time:"), frame), 0, 0);
    grid->addWidget(m_start, 0, 1);
    grid->addWidget(m_startText, 0, 2);
    grid->addWidget(new QLabel(tr("End Time:"), frame), 1, 0);
    grid->addWidget(m_end, 1, 1);
    grid->addWidget(m_endText, 1, 2);
    grid->addWidget(new QLabel(tr("Clip Time"), frame), 2, 0);
    grid->addWidget(m_length, 2, 2);

    auto* controls =
        new PlayerControls(*m_player, QStringLiteral("Text4"), QStringLiteral("Slider3"), this, &m_messages);
    connect(controls, &PlayerControls::playRequested, this, [this] {
        m_player->play(QString(), m_workspace.clipEditing().clipFullLength);
    });

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &ClipEditor::accept);
    connect(cancel, &QPushButton::clicked, this, &ClipEditor::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(controls, 1);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(m_start, &UserSlider::changedByUser, this, [this](int seconds) {
        m_startText->setText(secondsToTimeText(seconds));
        showClipLength();
    });
    connect(m_end, &UserSlider::changedByUser, this, [this](int seconds) {
        m_endText->setText(secondsToTimeText(seconds));
        showClipLength();
    });

    // Opening, in its order.
    applySkin(this, workspace.programFolder());
    const ClipEditing& state = workspace.clipEditing();
    m_player->setFile(state.clipFile, state.clipContainer);
    m_startText->setText(state.clipStart);
    m_endText->setText(state.clipEnd);
    showClipLength();
    if (const auto length = timeTextToSeconds(state.clipFullLength)) {
        m_start->setRange(0, *length);
        m_end->setRange(0, *length);
        m_player->setTimes(0, *length);
    }
    m_end->setValue(timeTextToSeconds(state.clipEnd).value_or(m_end->value()));
    m_start->setValue(timeTextToSeconds(state.clipStart).value_or(m_start->value()));
    setWindowTitle(tr("Clip Time  -  ") + state.clipFile);
    resize(640, 560);
}

ClipEditor::~ClipEditor() = default;

void ClipEditor::showClipLength()
{
    if (const auto text = clipLengthText(m_startText->text(), m_endText->text()))
        m_length->setText(*text);
}

void ClipEditor::accept()
{
    if (!clipTimesInOrder(m_startText->text(), m_endText->text())) {
        m_messages.error(kClipTimeError());
        return;
    }
    if (!m_workspace.endClipEditing(m_startText->text(), m_endText->text()))
        m_messages.error(tr("The file has left the list meanwhile, so its clip times were not kept."));
    QDialog::accept();
}

void ClipEditor::done(int result)
{
    m_player->stopClock();
    m_player->quitPlayer();
    m_workspace.clipEditing().clipFile.clear();
    QDialog::done(result);
}

} // namespace varnel
