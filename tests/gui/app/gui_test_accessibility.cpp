// What a screen reader and a keyboard meet: every control has a role, a
// name and an action, and the toolbar is one Tab stop walked by arrows.
#include "gui/app/MainWindow.h"

#include "GuiSupport.h"
#include "TestSupport.h"
#include "gui/app/ToolbarImage.h"
#include "gui/profiles/OptionSheetView.h"
#include "gui/profiles/ProfileChooser.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

void walk(QAccessibleInterface* node, QStringList& spoken, QStringList& faults)
{
    static const QSet<QAccessible::Role> controls = {QAccessible::Button, QAccessible::PushButton,
                                                     QAccessible::ComboBox, QAccessible::Slider,
                                                     QAccessible::CheckBox, QAccessible::RadioButton};
    auto* widget = qobject_cast<QWidget*>(node->object());
    if (widget && !widget->isVisible())
        return;
    const QString name = node->text(QAccessible::Name);
    spoken << name;
    if (controls.contains(node->role())) {
        QAccessibleActionInterface* actions = node->actionInterface();
        if (name.isEmpty() || !actions || actions->actionNames().isEmpty())
            faults << (node->object() ? node->object()->objectName() : QString("?"));
    }
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            walk(child, spoken, faults);
}

} // namespace

TEST(Accessibility, EveryControlIsNamedAndTheToolbarIsOneTabStopWalkedByArrows)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    test::WindowServices services = test::quietServices(folder.path(), shell, messages);
    QStringList shown;
    services.showModal = [&](QDialog* d) { shown << d->objectName(); };
    test::StandaloneWindow w(services);
    w.show();
    test::choose(w.profileChooser(), 2);
    QApplication::processEvents();

    QStringList spoken, faults;
    walk(QAccessible::queryAccessibleInterface(&w), spoken, faults);
    EXPECT_TRUE(faults.isEmpty()) << "unnamed or without an action: " << faults.join(", ").toStdString();
    for (const char* name : {"Add Files", "Remove File", "Clear All", "Settings", "Help", "EXIT", "CONVERT NOW", "Play",
                             "Pause", "Stop", "First Frame", "Position", "Video Size: 1024x768"})
        EXPECT_TRUE(spoken.contains(name)) << name;

    // A sheet value's drop-down, when it has the focus, says its row too.
    QAccessibleInterface* size = QAccessible::queryAccessibleInterface(
        w.optionSheetView()->editorOf("Video Options", "Video Size"));
    EXPECT_EQ(size->role(), QAccessible::ComboBox);
    EXPECT_EQ(size->text(QAccessible::Name), "Video Size: 1024x768");
    EXPECT_EQ(size->text(QAccessible::Value), "1024x768");

    // The chooser is named by its label, as Linux screen readers ask for it.
    const auto labels = QAccessible::queryAccessibleInterface(w.profileChooser())->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Profile:");

    // A screen reader's press runs the image's command.
    QList<ToolbarImage*> images = w.toolbarImages();
    QAccessibleInterface* settings = QAccessible::queryAccessibleInterface(images[3]);
    EXPECT_EQ(settings->role(), QAccessible::Button);
    settings->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(shown, QStringList{"Frmset"});

    // Tab reaches the toolbar once; the arrows walk it; Space presses.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w, 30000));
    auto focusedImage = [] { return qobject_cast<ToolbarImage*>(QApplication::focusWidget()); };
    for (int i = 0; i < 40 && !focusedImage(); ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Tab);
    ASSERT_EQ(focusedImage(), images[0]);
    QTest::keyClick(images[0], Qt::Key_Left);
    EXPECT_EQ(focusedImage(), images[6]) << "the arrows wrap to CONVERT NOW";
    QTest::keyClick(images[6], Qt::Key_Home);
    QTest::keyClick(images[0], Qt::Key_Right);
    QTest::keyClick(images[1], Qt::Key_Right);
    QTest::keyClick(images[2], Qt::Key_Right);
    ASSERT_EQ(focusedImage(), images[3]);
    QTest::keyClick(images[3], Qt::Key_Space);
    EXPECT_EQ(shown.size(), 2);
    QTest::keyClick(images[3], Qt::Key_Tab);
    EXPECT_FALSE(focusedImage()) << "one Tab leaves the toolbar";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(focusedImage(), images[3]) << "and Shift+Tab comes back to the image left";
}
