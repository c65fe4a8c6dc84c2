// Whatever palette the desktop theme brings (light, dark, high contrast),
// every text the skin draws stands out from its own background.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "gui/profiles/OptionSheetView.h"
#include "gui/profiles/ProfileChooser.h"
#include "gui/settings/SettingsDialog.h"
#include "gui/sources/SourceListView.h"
#include "core/settings/Settings.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

double luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

// The strongest contrast between the region's background (its commonest
// colour) and any of its pixels: a text's core against what is behind it.
double contrastIn(const QImage& image, const QRect& region)
{
    QHash<QRgb, int> counts;
    const QRect r = region & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most)
            most = it.value(), background = it.key();
    const double lb = luminance(background);
    double best = 1;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        const double l = luminance(it.key());
        best = std::max(best, (std::max(l, lb) + 0.05) / (std::min(l, lb) + 0.05));
    }
    return best;
}

QPalette themePalette(const char* name)
{
    QPalette p = QApplication::style()->standardPalette();
    auto set = [&p](QPalette::ColorRole role, const char* colour) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            p.setColor(group, role, QColor(colour));
    };
    if (std::string(name) == "dark") {
        set(QPalette::Window, "#2a2e32"), set(QPalette::WindowText, "#fcfcfc"), set(QPalette::Base, "#1b1e20");
        set(QPalette::AlternateBase, "#232629"), set(QPalette::Text, "#fcfcfc"), set(QPalette::Button, "#31363b");
        set(QPalette::ButtonText, "#fcfcfc"), set(QPalette::Highlight, "#3daee9"), set(QPalette::HighlightedText, "#fcfcfc");
    } else if (std::string(name) == "high contrast") {
        set(QPalette::Window, "#000000"), set(QPalette::WindowText, "#ffffff"), set(QPalette::Base, "#000000");
        set(QPalette::AlternateBase, "#000000"), set(QPalette::Text, "#ffff00"), set(QPalette::Button, "#000000");
        set(QPalette::ButtonText, "#ffffff"), set(QPalette::Highlight, "#ffffff"), set(QPalette::HighlightedText, "#000000");
    }
    return p;
}

// A desktop theme gives some classes palettes of their own, as a platform
// theme does (Qt asks it for each of these, at the start and whenever the
// theme changes).
void applyThemeToClasses(const char* name)
{
    const QPalette p = themePalette(name);
    for (const char* className : {"QToolButton", "QAbstractButton", "QCheckBox", "QRadioButton", "QHeaderView",
                                  "QAbstractItemView", "QMessageBoxLabel", "QTabBar", "QLabel", "QGroupBox", "QMenu",
                                  "QMenuBar", "QTextEdit", "QTextControl", "QLineEdit"})
        QApplication::setPalette(p, className);
}

// The commonest colour of a region, and whether white is drawn in it.
QRgb commonest(const QImage& image, const QRect& region)
{
    QHash<QRgb, int> counts;
    const QRect r = region & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    QRgb most = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > counts.value(most))
            most = it.key();
    return most;
}

// Whether a text's white core is drawn in the region.
bool holdsWhite(const QImage& image, const QRect& region)
{
    const QRect r = region & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (const QRgb c = image.pixel(x, y); qRed(c) >= 0xf0 && qGreen(c) >= 0xf0 && qBlue(c) >= 0xf0)
                return true;
    return false;
}

// Near enough to the colour to be it, as a style shades it.
bool near(QRgb c, QColor wanted)
{
    return std::abs(qRed(c) - wanted.red()) <= 16 && std::abs(qGreen(c) - wanted.green()) <= 16 &&
           std::abs(qBlue(c) - wanted.blue()) <= 16;
}

} // namespace

TEST(SkinContrast, TextsStandOutUnderLightDarkAndHighContrastThemes)
{
    for (const char* theme : {"light", "dark", "high contrast"}) {
        SCOPED_TRACE(theme);
        QApplication::setPalette(themePalette(theme));
        applyThemeToClasses(theme);
        test::ProgramFolder folder;
        ASSERT_TRUE(test::copySkin(folder.path()));
        test::FakeShell shell;
        test::RecordingMessages messages;
        test::StandaloneWindow w(test::quietServices(folder.path(), shell, messages));
        w.show();
        applyThemeToClasses(theme); // the theme changes while the window is open
        for (const char* name : {"first.mp4", "second.mp4"}) {
            SourceItem row;
            row.cells[SourceItem::FileName] = row.tag = folder.file(name);
            row.cells[SourceItem::Size] = "320x240";
            w.workspace().list().append(row);
        }
        test::choose(w.profileChooser(), 2);
        QApplication::processEvents();

        auto expectReadable = [](QWidget* widget, const QRect& region, const QString& what) {
            const QImage image = widget->grab().toImage();
            EXPECT_GE(contrastIn(image, region), 4.5) << what.toStdString();
        };
        expectReadable(w.profileChooser(), w.profileChooser()->rect(), "the chooser");
        QAbstractItemView* list = w.sourceListView();
        for (int r = 0; r < 2; ++r)
            expectReadable(list->viewport(), list->visualRect(list->model()->index(r, 0)), QString("list row %1").arg(r));
        OptionSheetView* sheet = w.optionSheetView();
        QComboBox* dropDown = nullptr;
        int rows = 0;
        for (QTreeWidgetItemIterator it(sheet); *it; ++it, ++rows) {
            if (rows < 8)
                expectReadable(sheet->viewport(), sheet->visualItemRect(*it).intersected(
                                                      QRect(0, 0, sheet->columnWidth(0), sheet->viewport()->height())),
                               "sheet row " + (*it)->text(0));
            if (!dropDown && (*it)->parent())
                dropDown = sheet->editorOf((*it)->parent()->text(0), (*it)->text(0));
        }
        // A sheet drop-down with its entry under the keys highlighted.
        ASSERT_NE(dropDown, nullptr);
        ASSERT_GE(dropDown->count(), 2);
        dropDown->showPopup();
        QAbstractItemView* entries = dropDown->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(entries->window(), 30000));
        QTest::keyClick(entries, Qt::Key_Down);
        const QModelIndex highlighted = entries->currentIndex();
        expectReadable(entries->viewport(), entries->visualRect(highlighted), "the highlighted drop-down entry");
        // Highlighted as the skin highlights: its blue, with white text,
        // whether the keys or the mouse went there.
        auto expectHighlighted = [&](const QModelIndex& index, const char* how) {
            const QImage image = entries->viewport()->grab().toImage();
            const QRect region = entries->visualRect(index);
            EXPECT_TRUE(near(commonest(image, region), QColor("#1f6fd0")))
                << how << ": " << QColor(commonest(image, region)).name().toStdString();
            EXPECT_TRUE(holdsWhite(image, region)) << how;
        };
        expectHighlighted(highlighted, "by the keys");
        const QModelIndex pointed = entries->model()->index(0, 0);
        QTest::mouseMove(entries->viewport(), entries->visualRect(pointed).center() + QPoint(0, 1));
        QTest::mouseMove(entries->viewport(), entries->visualRect(pointed).center());
        QApplication::processEvents();
        expectHighlighted(pointed, "by the mouse");
        dropDown->hidePopup();

        SettingsDialog settings(w.workspace().settings(), messages, {}, &w);
        settings.show();
        int texts = 0;
        for (QWidget* child : settings.findChildren<QWidget*>())
            if ((qobject_cast<QLabel*>(child) || qobject_cast<QRadioButton*>(child)) && child->isVisible()) {
                ++texts;
                expectReadable(&settings, QRect(child->mapTo(&settings, QPoint(0, 0)), child->size()),
                               "settings: " + child->objectName());
            }
        EXPECT_GT(texts, 3);
        if (qEnvironmentVariableIsSet("VARNEL_SHOT_DIR")) // for a person to look at
            w.grab().save(qEnvironmentVariable("VARNEL_SHOT_DIR") + "/" + theme + ".png");
        w.close();
    }
}
