#include "gui/app/Skin.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QWidget>

namespace varnel {

QPalette skinPalette()
{
    // Backgrounds and texts of the skin's light body, together: a desktop
    // theme's light text never lands on the skin's white.
    const struct { QPalette::ColorRole role; const char* active; const char* disabled; } roles[] = {
        {QPalette::Window, "#eef2f7", "#eef2f7"},
        {QPalette::WindowText, "#1d2733", "#7d8896"},
        {QPalette::Base, "#ffffff", "#f3f5f8"},
        {QPalette::AlternateBase, "#f5f8fb", "#f3f5f8"},
        {QPalette::Text, "#1d2733", "#7d8896"},
        {QPalette::PlaceholderText, "#66727f", "#7d8896"},
        {QPalette::Button, "#e8eef5", "#eef2f7"},
        {QPalette::ButtonText, "#1d2733", "#7d8896"},
        {QPalette::BrightText, "#ffffff", "#ffffff"},
        {QPalette::Highlight, "#1f6fd0", "#b9c6d5"},
        {QPalette::HighlightedText, "#ffffff", "#1d2733"},
        {QPalette::ToolTipBase, "#ffffff", "#ffffff"},
        {QPalette::ToolTipText, "#1d2733", "#1d2733"},
        {QPalette::Link, "#1f5fb0", "#7d8896"},
        {QPalette::LinkVisited, "#6a3fa0", "#7d8896"},
        {QPalette::Light, "#ffffff", "#ffffff"},
        {QPalette::Midlight, "#f3f6fa", "#f3f6fa"},
        {QPalette::Mid, "#b9c6d5", "#b9c6d5"},
        {QPalette::Dark, "#8fa0b3", "#8fa0b3"},
        {QPalette::Shadow, "#4a5868", "#4a5868"},
    };
    QPalette palette;
    for (const auto& r : roles) {
        palette.setColor(QPalette::Active, r.role, QColor(QLatin1String(r.active)));
        palette.setColor(QPalette::Inactive, r.role, QColor(QLatin1String(r.active)));
        palette.setColor(QPalette::Disabled, r.role, QColor(QLatin1String(r.disabled)));
    }
    return palette;
}

void applySkin(QWidget* window, const QString& programFolder)
{
    QFile f(programFolder + QStringLiteral("/skins/frmmain.skn"));
    if (!window || !f.open(QIODevice::ReadOnly))
        return;
    // The program's menus, drop-down lists and message boxes are windows of
    // their own that a window's palette does not reach: they take it too.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setPalette(skinPalette());
        // The theme may have given these classes palettes of their own.
        for (const char* popup : {"QMenu", "QComboBoxPrivateContainer", "QComboBoxListView", "QToolTip"})
            QApplication::setPalette(skinPalette(), popup);
    }
    window->setPalette(skinPalette());
    window->setStyleSheet(QString::fromUtf8(f.readAll()));
}

} // namespace varnel
