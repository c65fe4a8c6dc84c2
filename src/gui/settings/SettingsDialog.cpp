#include "gui/settings/SettingsDialog.h"

#include "gui/app/Named.h"
#include "gui/app/Skin.h"
#include "core/common/UserMessages.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace varnel {

SettingsDialog::SettingsDialog(const Settings& settings, UserMessages& messages,
                               std::function<QString(QWidget*)> chooseFolder, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_messages(messages), m_chooseFolder(std::move(chooseFolder))
{
    setObjectName(QStringLiteral("Frmset"));
    setWindowTitle(tr("Video Options"));
    setModal(true);
    applySkin(this, settings.programFolder());

    auto* folderFrame = new QGroupBox(tr("Save Video Files to"), this);
    auto* folderRow = new QHBoxLayout(folderFrame);
    folderRow->addWidget(named(new QLabel(tr("Output Folder")), "SkinLabel1"));
    m_folder = named(new QLineEdit, "Text2");
    folderRow->addWidget(m_folder, 1);
    auto* browseButton = named(new QPushButton(tr("Browse...")), "Command4");
    folderRow->addWidget(browseButton);

    auto* existFrame = new QGroupBox(tr("If same as an existed file"), this);
    auto* existRow = new QHBoxLayout(existFrame);
    m_addNew = named(new QRadioButton(tr("Add \"New\" after filename")), "Option1");
    m_overwrite = named(new QRadioButton(tr("Overwrite the existed file")), "Option2");
    existRow->addWidget(m_addNew);
    existRow->addWidget(m_overwrite);

    auto* shutFrame = new QGroupBox(this);
    m_shutdown = named(new QCheckBox(tr("Automatically Shutdown Computer After Conversion")), "Check1");
    (new QHBoxLayout(shutFrame))->addWidget(m_shutdown);

    auto* threadFrame = new QGroupBox(tr("Thread"), this);
    auto* threadRow = new QHBoxLayout(threadFrame);
    threadRow->addWidget(named(new QLabel(tr("Number of threads to use for")), "SkinLabel2"));
    m_thread = named(new QLineEdit(QStringLiteral("0")), "Text1");
    m_thread->setMaximumWidth(60);
    threadRow->addWidget(m_thread);
    threadRow->addWidget(named(new QLabel(tr("(0-8), 0 - Disable multi-thread")), "SkinLabel3"));
    threadRow->addStretch();

    auto* ok = named(new QPushButton(tr("OK")), "Command1");
    auto* cancel = named(new QPushButton(tr("Cancel")), "Command2");
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(folderFrame), static_cast<QWidget*>(existFrame),
                       static_cast<QWidget*>(shutFrame), static_cast<QWidget*>(threadFrame)})
        layout->addWidget(w);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, &SettingsDialog::browse);

    const SettingsForm form = SettingsForm::load(m_settings);
    m_folder->setText(form.outputFolder);
    (form.addNew ? m_addNew : m_overwrite)->setChecked(true);
    m_shutdown->setChecked(form.autoShut);
    m_thread->setText(form.thread);
    resize(560, sizeHint().height());
}

void SettingsDialog::accept()
{
    SettingsForm form;
    form.outputFolder = m_folder->text();
    form.addNew = m_addNew->isChecked();
    form.autoShut = m_shutdown->isChecked();
    form.thread = m_thread->text();
    if (!form.threadCountValid()) {
        m_messages.error(kThreadError());
        return;
    }
    if (const QString folderError = form.prepareOutputFolder(m_settings); !folderError.isEmpty()) {
        m_messages.error(folderError);
        return;
    }
    if (!form.save(m_settings)) {
        // The dialog stays open with what the user entered.
        m_messages.error(kSettingsNotSaved().arg(m_settings.filePath()));
        return;
    }
    QDialog::accept();
}

void SettingsDialog::browse()
{
    const QString folder = m_chooseFolder(this);
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

} // namespace varnel
