#include "gui/app/GuiMessages.h"

#include <QMessageBox>

namespace varnel {

void GuiMessages::information(const QString& text)
{
    QMessageBox::information(m_owner, kAppTitle, text);
}

namespace {

void showBox(QWidget* owner, QMessageBox::Icon icon, const QString& text, const QString& details)
{
    QMessageBox box(icon, kAppTitle, text, QMessageBox::Ok, owner);
    box.setInformativeText(details);
    box.exec();
}

} // namespace

void GuiMessages::information(const QString& text, const QString& details)
{
    showBox(m_owner, QMessageBox::Information, text, details);
}

void GuiMessages::warning(const QString& text, const QString& details)
{
    showBox(m_owner, QMessageBox::Warning, text, details);
}

void GuiMessages::error(const QString& text)
{
    QMessageBox::critical(m_owner, kAppTitle, text);
}

} // namespace varnel
