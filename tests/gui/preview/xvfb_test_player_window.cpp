// The player draws into a window of ours on a real X display.
#include "core/tools/PlayerCommand.h"
#include "core/preview/PreviewPlayer.h"

#include "TestSupport.h"
#include "core/tools/ToolRegistry.h"

#include "GuiSupport.h"
#include "HttpServer.h"
#include "core/download/VideoDownloader.h"
#include "core/workspace/Workspace.h"
#include "gui/download/DownloaderWindow.h"
#include "core/sources/MediaProbe.h"
#include "gui/app/MainWindow.h"
#include "gui/preview/ClipEditor.h"
#include "gui/sources/SourceListView.h"
#include "core/common/TimeText.h"

#include <QAction>
#include <QImage>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWidget>
#include <csignal>
#include <iostream>
#include <optional>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

// 640x480: a white frame a tenth of each side wide around four quadrants of
// four colours. Only a picture scaled to the whole surface shows the frame at
// the surface's edges and each colour in the middle of its quarter.
QString quadrantClip(int width = 640, int height = 480, int rotation = 0, int keyframeSeconds = 10)
{
    // In the white band at the top, a black mark whose place tells the
    // second shown: 7 pixels further each second.
    QString boxes = QString("color=c=white:s=%1x%2:r=25:d=90[bg];color=c=black:s=7x%3:r=25[mark];"
                            "[bg][mark]overlay=x='7*floor(t)':y=%3:shortest=1")
                        .arg(width).arg(height).arg(height / 40);
    const char* colours[] = {"0xFF0000", "0x00FF00", "0x0000FF", "0xFFFF00"};
    for (int q = 0; q < 4; ++q)
        boxes += QString(",drawbox=x=%1:y=%2:w=%3:h=%4:color=%5:t=fill")
                     .arg(q % 2 ? width / 2 : width / 10).arg(q / 2 ? height / 2 : height / 10)
                     .arg(width * 4 / 10).arg(height * 4 / 10).arg(colours[q]);
    QStringList args{"-f", "lavfi", "-i", boxes, "-c:v", "libx264", "-preset", "ultrafast", "-g",
                     QString::number(25 * keyframeSeconds), "-pix_fmt", "yuv420p"};
    if (rotation)
        args = QStringList{"-i", test::makeMedia(QString("quadrants%1x%2.mp4").arg(width).arg(height), args), "-c", "copy",
                           "-metadata:s:v:0", QString("rotate=%1").arg(rotation)};
    return test::makeMedia(QString("quadrants%1x%2r%3k%4.mp4").arg(width).arg(height).arg(rotation).arg(keyframeSeconds), args);
}

// What the X server shows of a widget (for a native surface: what the player drew).
QImage onScreen(QWidget* w)
{
    const QPoint at = w->mapTo(w->window(), QPoint(0, 0));
    return w->internalWinId() ? w->screen()->grabWindow(w->winId()).toImage()
                              : w->screen()->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height())
                                    .toImage();
}

// The share of the points in box (fractions of the image) near colour c.
double share(const QImage& shot, const QRectF& box, QColor c)
{
    int near = 0, all = 0;
    for (int y = int(box.top() * shot.height()); y < int(box.bottom() * shot.height()); y += 2)
        for (int x = int(box.left() * shot.width()); x < int(box.right() * shot.width()); x += 2, ++all) {
            const QColor p = shot.pixelColor(x, y);
            near += qAbs(p.red() - c.red()) < 80 && qAbs(p.green() - c.green()) < 80 && qAbs(p.blue() - c.blue()) < 80;
        }
    return all ? double(near) / all : 0;
}

// Where a picture of this aspect stands in the shot, as fractions of it.
QRectF placeOfPicture(const QImage& shot, double aspect)
{
    const double surfaceAspect = double(shot.width()) / qMax(1, shot.height());
    const double w = qMin(1.0, aspect / surfaceAspect), h = qMin(1.0, surfaceAspect / aspect);
    return QRectF((1 - w) / 2, (1 - h) / 2, w, h);
}

// The quadrant clip (shown as aspect, its width over its height) fills as
// much of the surface as its shape allows, upright, with black bands where
// the surface is of another shape; *why says where it does not.
bool showsThePicture(QWidget* surface, QString* why, double aspect = 4.0 / 3, bool turned = false)
{
    // Top left, top right, bottom left, bottom right; and of a frame stored
    // with "rotate=90", which ffmpeg shows turned a quarter counterclockwise.
    const QColor asStored[4] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    const QColor asShown[4] = {Qt::green, Qt::yellow, Qt::red, Qt::blue};
    const QColor* q = turned ? asShown : asStored;
    const QImage shot = onScreen(surface);
    const QRectF picture = placeOfPicture(shot, aspect);
    const double w = picture.width(), h = picture.height();
    auto in = [&](double x, double y, double bw, double bh) {
        return QRectF(picture.x() + x * w, picture.y() + y * h, bw * w, bh * h);
    };
    std::vector<std::pair<QRectF, QColor>> parts = {
        {in(0.2, 0.2, 0.2, 0.2), q[0]},        {in(0.6, 0.2, 0.2, 0.2), q[1]},
        {in(0.2, 0.6, 0.2, 0.2), q[2]},        {in(0.6, 0.6, 0.2, 0.2), q[3]},
        {in(0.02, 0.3, 0.05, 0.4), Qt::white}, {in(0.93, 0.3, 0.05, 0.4), Qt::white},
        {in(0.3, 0.02, 0.4, 0.05), Qt::white}, {in(0.3, 0.93, 0.4, 0.05), Qt::white},
    };
    // Bands of more than a few pixels are black.
    if (picture.x() > 0.03)
        parts.push_back({{0.005, 0.3, picture.x() - 0.02, 0.4}, Qt::black});
    if (picture.y() > 0.03)
        parts.push_back({{0.3, 0.005, 0.4, picture.y() - 0.02}, Qt::black});
    why->clear();
    for (const auto& [box, colour] : parts)
        if (const double s = share(shot, box, colour); s < 0.9 && why->isEmpty())
            *why = QString("%1 at %2,%3 of %4x%5: %6 of it").arg(colour.name()).arg(box.x()).arg(box.y())
                       .arg(shot.width()).arg(shot.height()).arg(s);
    return why->isEmpty();
}

// The second the 640x480 quadrant clip shows, read from its mark; -1 when
// none is seen.
int shownSecond(QWidget* surface)
{
    const QImage shot = onScreen(surface);
    const QRectF p = placeOfPicture(shot, 4.0 / 3);
    const int left = int(p.left() * shot.width()) + 2, width = int(p.width() * shot.width()) - 4;
    const int y = int((p.top() + p.height() * 18 / 480) * shot.height()); // the middle of the mark's row
    // The white band first: a picture that is not drawn yet tells nothing.
    if (width <= 0 || qGray(shot.pixel(left + width / 2 + 8, int((p.top() + p.height() * 40 / 480) * shot.height()))) < 200)
        return -1;
    for (int x = left; x < left + width; ++x)
        if (qGray(shot.pixel(x, y)) < 60)
            return qRound((x - left) * 640.0 / width / 7);
    return -1;
}

// The one colour of every point of the widget on screen (a painted empty
// surface, a label without text), or none.
std::optional<QRgb> oneColour(QWidget* w)
{
    const QImage shot = onScreen(w);
    if (shot.isNull())
        return std::nullopt;
    const QRgb first = shot.pixel(0, 0);
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) != first)
                return std::nullopt;
    return first;
}

// A click on the track right of the handle goes a page further; the player
// starts at the keyframe at or before the place, the clock says its time,
// and the picture drawn is never ahead of the clock (the fault: a picture
// seconds ahead of the time the clock said). The clock goes on from there.
void seekByTrackClick(QSlider* slider, QLabel* current, QWidget* surface, PreviewPlayer& player, int keyframeSeconds)
{
    const auto clock = [&] { return timeTextToSeconds(current->text()).value_or(-1); };
    const int clicked = qMin(slider->maximum(), slider->value() + slider->pageStep());
    // The keyframe is looked for off the window's thread; the player starts then.
    int seekedTo = -1;
    QString textAtStart;
    int barAtStart = -1;
    const QMetaObject::Connection started = QObject::connect(&player, &PreviewPlayer::playing, [&](bool on) {
        if (on) {
            seekedTo = player.elapsedSeconds();
            textAtStart = current->text();
            barAtStart = slider->value();
        }
    });
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 3, slider->height() / 2));
    EXPECT_TRUE(test::waitFor([&] { return seekedTo >= 0; }, 30000));
    QObject::disconnect(started);
    EXPECT_EQ(seekedTo, qRound(clicked * player.totalSeconds() / 100.0) / keyframeSeconds * keyframeSeconds)
        << "the keyframe before";
    EXPECT_EQ(textAtStart, secondsToTimeText(seekedTo));
    const int place = qRound(seekedTo * 100.0 / player.totalSeconds());
    EXPECT_EQ(barAtStart, place) << "the bar shows where the picture is";
    EXPECT_TRUE(player.job().lastCommand().contains(QString(" -ss %1 ").arg(seekedTo)))
        << player.job().lastCommand().toStdString();
    int shown = -1;
    EXPECT_TRUE(test::waitFor([&] { return (shown = shownSecond(surface)) >= seekedTo; }, 30000)) << shown;
    EXPECT_LE(shown, clock() + 1) << "the picture is at " << shown << " s, the clock at " << clock();
    EXPECT_TRUE(test::waitFor([&] { return clock() > seekedTo; }, 30000)) << "the clock goes on from there";
    EXPECT_GE(slider->value(), place) << "and the bar with it";
}

} // namespace

TEST(PlayerWindow, PlaysInsideAWidgetAndQuitsOnTheKey)
{
    QWidget surface;
    surface.setAttribute(Qt::WA_NativeWindow);
    surface.setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface.resize(320, 240);
    surface.show();
    surface.setUpdatesEnabled(false);
    ASSERT_TRUE(test::waitFor([&] { return surface.isVisible(); }, 30000));

    test::ProgramFolder folder;
    ToolRegistry tools;
    PlayerJob player(tools);
    QSignalSpy ended(&tools, &ToolRegistry::toolFinished);
    const Command line = playerCommand(folder.path(), surface.winId(), PlayerOptions::Variant1, test::videoClip(30), 5);
    ASSERT_TRUE(player.start(folder.path(), line));
    const qint64 pid = player.processId();
    EXPECT_FALSE(ended.wait(2000)) << "the player keeps playing in the window: "
                                   << (ended.count() ? ended.first().at(3).toString().toStdString() : "");
    EXPECT_TRUE(tools.isRunning(pid));
    player.postKey(Key::Quit);
    ASSERT_TRUE(ended.count() || ended.wait(10000));
    EXPECT_EQ(ended.first().at(0).toLongLong(), pid);
    EXPECT_FALSE(ended.first().at(2).toBool()) << "it quit, it did not crash";
}

TEST(PreviewPanel, FillsItsSurfaceSeeksWhereTheUserSaysAndIsClearedOnStop)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    test::StandaloneWindow w(test::quietServices(folder.path(), shell, messages));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
    w.openFiles({quadrantClip()});
    ASSERT_TRUE(test::waitFor([&] { return w.sourceListView()->selectedRow() == 0; }, 60000));

    w.findChild<QAction*>("play")->trigger();
    auto* surface = w.findChild<QWidget*>("Text2");
    auto* slider = w.findChild<QSlider*>("Slider1");
    auto* current = w.findChild<QLabel*>("LblCurTime");
    QString why;
    EXPECT_TRUE(test::waitFor([&] { return showsThePicture(surface, &why); }, 30000)) << why.toStdString();
    // The clock runs: waited for as a time reached, not one text a loaded
    // machine may pass between two looks.
    const auto clock = [&] { return timeTextToSeconds(current->text()).value_or(-1); };
    EXPECT_TRUE(test::waitFor([&] { return clock() >= 2; }, 30000)) << current->text().toStdString();
    EXPECT_TRUE(test::waitFor([&] { return slider->value() > 0; }, 30000));
    EXPECT_EQ(w.findChild<QLabel*>("SkinLabel10")->text(), "Total time:0:01:30");

    PreviewPlayer& state = w.workspace().player();
    seekByTrackClick(slider, current, surface, state, 10);
    EXPECT_TRUE(test::waitFor([&] { return showsThePicture(surface, &why); }, 30000)) << why.toStdString();

    // A key: Home goes back to the start.
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_TRUE(test::waitFor([&] { return state.job().lastCommand().contains(" -ss 0 "); }, 30000))
        << state.job().lastCommand().toStdString();
    EXPECT_TRUE(test::waitFor([&] { return showsThePicture(surface, &why); }, 30000)) << why.toStdString();

    // Stop: the time label is empty on screen, and once the player has gone
    // the surface is black all over.
    const qint64 pid = state.job().processId();
    w.findChild<QToolButton*>("cmdStop")->click();
    EXPECT_EQ(current->text(), "");
    EXPECT_TRUE(test::waitFor([&] { return oneColour(current).has_value(); }, 30000)) << "no time left on screen";
    ASSERT_TRUE(test::waitFor([&] { return !w.workspace().tools().isRunning(pid); }, 30000));
    EXPECT_TRUE(test::waitFor([&] { return oneColour(surface) == qRgb(0, 0, 0); }, 30000)) << "no picture left";
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();

    w.findChild<QAction*>("play")->trigger();
    EXPECT_TRUE(test::waitFor([&] { return showsThePicture(surface, &why); }, 30000)) << why.toStdString();
    const qint64 last = state.job().processId();
    QSignalSpy ended(&w, &MainWindow::ended);
    w.close();
    ASSERT_TRUE(ended.count() > 0 || ended.wait(30000));
    EXPECT_FALSE(w.workspace().tools().isRunning(last));
    EXPECT_NE(::kill(static_cast<pid_t>(last), 0), 0) << "no player outlives the window";
}

TEST(PreviewPanel, KeepsThePicturesShapeAndTurnsItUpright)
{
    // Wide, portrait, and a wide frame stored turned a quarter (a phone's).
    const struct { QString clip; double aspect; bool turned; } clips[] = {
        {quadrantClip(960, 360), 960.0 / 360, false},
        {quadrantClip(360, 640), 360.0 / 640, false},
        {quadrantClip(640, 360, 90), 360.0 / 640, true}};
    for (const auto& c : clips) {
        SCOPED_TRACE(c.clip.toStdString());
        test::ProgramFolder folder;
        test::FakeShell shell;
        test::RecordingMessages messages;
        test::StandaloneWindow w(test::quietServices(folder.path(), shell, messages));
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
        w.openFiles({c.clip});
        ASSERT_TRUE(test::waitFor([&] { return w.sourceListView()->selectedRow() == 0; }, 60000));
        w.findChild<QAction*>("play")->trigger();
        QString why;
        auto* surface = w.findChild<QWidget*>("Text2");
        EXPECT_TRUE(test::waitFor([&] { return showsThePicture(surface, &why, c.aspect, c.turned); }, 30000)) << why.toStdString();
        QSignalSpy ended(&w, &MainWindow::ended);
        w.close();
        ASSERT_TRUE(ended.count() > 0 || ended.wait(30000));
    }
}

TEST(ClipEditorPlayer, FillsItsSurfaceAndShowsThePictureAtTheClocksTime)
{
    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    test::WindowServices services = test::quietServices(folder.path(), shell, messages);
    QString why = "not opened";
    MainWindow* main = nullptr;
    services.showModal = [&](QDialog* d) {
        auto* editor = qobject_cast<ClipEditor*>(d);
        ASSERT_NE(editor, nullptr);
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor, 30000));
        editor->findChild<QToolButton*>("cmdPlay")->click();
        auto* surface = editor->findChild<QWidget*>("Text4");
        EXPECT_TRUE(test::waitFor([&] { return showsThePicture(surface, &why); }, 30000)) << why.toStdString();
        // Cut points are picked from this picture: it is at the clock's time.
        auto* player = editor->findChild<PreviewPlayer*>();
        seekByTrackClick(editor->findChild<QSlider*>("Slider3"), editor->findChild<QLabel*>("LblCurTime"), surface, *player,
                         4);
        const qint64 pid = player->job().processId();
        editor->reject();
        EXPECT_TRUE(test::waitFor([&] { return !main->workspace().tools().isRunning(pid); }, 30000));
    };
    test::StandaloneWindow w(services);
    main = &w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
    w.openFiles({quadrantClip(640, 480, 0, 4)});
    ASSERT_TRUE(test::waitFor([&] { return w.sourceListView()->selectedRow() == 0; }, 60000));
    ASSERT_TRUE(test::waitFor([&] { return !w.workspace().probe().isBusy(); }, 60000));
    w.openClipEditor();
    EXPECT_EQ(why, "");
}

TEST(DownloaderPreview, PlaysAStreamFromTheServerFillingItsFrame)
{
    test::HttpServer server;
    QFile clip(quadrantClip());
    ASSERT_TRUE(clip.open(QIODevice::ReadOnly));
    server.route("/s35", {200, "OK", clip.readAll(), "video/mp4"});
    const QByteArray link = QUrl::toPercentEncoding(QUrl::toPercentEncoding(server.url("/s35")));
    server.route("/watch", {200, "OK", "'VIDEO_TITLE': 'Live',\"fmt_url_map\": \"35%7C" + link + "\""});

    test::ProgramFolder folder;
    test::FakeShell shell;
    test::RecordingMessages messages;
    Workspace workspace(folder.path(), shell, messages);
    DownloaderWindow window(workspace, messages, [](QWidget*) { return false; }, nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 30000));
    window.findChild<QLineEdit*>("txtWatchUrl")->setText(server.url("/watch"));
    QSignalSpy fetched(&window.downloader(), &VideoDownloader::fetchFinished);
    window.findChild<QPushButton*>("cmdG")->click();
    ASSERT_TRUE(fetched.count() > 0 || fetched.wait(30000));
    window.findChild<QPushButton*>("cmdPR")->click();
    auto* swf = window.findChild<QWidget*>("SWF");
    ASSERT_TRUE(test::waitFor([&] { return server.requests.count("/s35") > 0; }, 30000)) << "the player asks the server";
    QString why;
    EXPECT_TRUE(test::waitFor([&] { return showsThePicture(swf, &why); }, 30000)) << why.toStdString();
    window.reject();
}

namespace {

// A copy of the program, run with some variables of this environment
// changed (an empty value: left out) and a clip to open.
struct Program {
    test::ProgramFolder folder;
    QProcess process;
    QByteArray errors;
    QString display = qEnvironmentVariable("DISPLAY");

    explicit Program(const QMap<QString, QString>& vars)
    {
        display = vars.value("DISPLAY", display);
        const QString exe = test::copyTo(test::binDir() + "/varnel-video-converter", folder.path(),
                                         "varnel-video-converter");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = vars.begin(); it != vars.end(); ++it)
            it.value().isEmpty() ? env.remove(it.key()) : env.insert(it.key(), it.value());
        process.setProcessEnvironment(env);
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this] { errors += process.readAllStandardError(); });
        process.start(exe, {test::videoClip(3)});
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(30000);
        }
    }
    // The platform plugin it has loaded ("xcb"), once it has one.
    QString platform() const
    {
        QFile maps(QString("/proc/%1/maps").arg(process.processId()));
        const QRegularExpression plugin("/platforms/libq(\\w+)\\.so");
        const auto m = maps.open(QIODevice::ReadOnly) ? plugin.match(QString::fromUtf8(maps.readAll()))
                                                      : QRegularExpressionMatch();
        return m.hasMatch() ? m.captured(1) : QString();
    }
    // Its main window is mapped on the X display (no test window carries
    // the program's class).
    bool showsItsWindow() const
    {
        QString tree;
        test::run("xwininfo", {"-display", display, "-root", "-tree"}, &tree);
        for (const QString& line : tree.split('\n')) {
            if (!line.contains("(\"varnel-video-converter\"") || !line.contains(kAppTitle))
                continue;
            QString info;
            test::run("xwininfo", {"-display", display, "-id", line.trimmed().section(' ', 0, 0)}, &info);
            if (info.contains("Map State: IsViewable"))
                return true;
        }
        return false;
    }
    // SIGTERM is the program's own (caught), no longer the default end.
    bool takesTerminate() const
    {
        QFile status(QString("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        const auto caught = QRegularExpression("SigCgt:\\s*([0-9a-f]+)").match(QString::fromLatin1(status.readAll()));
        return caught.hasMatch() && (caught.captured(1).toULongLong(nullptr, 16) >> (SIGTERM - 1) & 1);
    }
    // A terminate request: the window closes as Exit closes it.
    int end()
    {
        if (!test::waitFor([this] { return takesTerminate(); }, 30000))
            return -2;
        QSignalSpy finished(&process, &QProcess::finished);
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        const bool ended = finished.count() > 0 || finished.wait(30000);
        errors += process.readAllStandardError();
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

// The program, started on a Wayland session whose X display is the given
// one (or this test's), runs on X and shows its window there.
void expectRunsOnX(QMap<QString, QString> session)
{
    session.insert("XDG_SESSION_TYPE", "wayland");
    session.insert("QT_QPA_PLATFORM", "");
    Program program(session);
    ASSERT_TRUE(test::waitFor([&] { return !program.platform().isEmpty(); }, 30000)) << program.errors.toStdString();
    EXPECT_EQ(program.platform(), "xcb");
    if (QStandardPaths::findExecutable("xwininfo").isEmpty())
        std::cout << "xwininfo is not installed: the window on the display is not looked for\n";
    else
        EXPECT_TRUE(test::waitFor([&] { return program.showsItsWindow(); }, 30000));
    EXPECT_EQ(program.end(), 0);
    EXPECT_FALSE(program.errors.contains("wayland")) << "Wayland is not tried: " << program.errors.toStdString();
}

} // namespace

TEST(Desktop, OnAWaylandSessionWithAnXDisplayTheProgramRunsOnX)
{
    // A compositor's own socket when the test runs under one, else a name of none.
    expectRunsOnX({{"WAYLAND_DISPLAY", qEnvironmentVariable("WAYLAND_DISPLAY", "wayland-varnel-test")}});
}

// Where a Wayland compositor with XWayland can run here (weston's headless
// backend), the program runs under it on XWayland and shows its window there.
TEST(Desktop, UnderAWaylandCompositorTheProgramRunsOnXWayland)
{
    if (QStandardPaths::findExecutable("weston").isEmpty() || QStandardPaths::findExecutable("Xwayland").isEmpty()
        || QStandardPaths::findExecutable("xwininfo").isEmpty())
        GTEST_SKIP() << "weston, Xwayland or xwininfo is not installed";
    QTemporaryDir runtime; // the compositor's sockets: a private folder of its own
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString socket = QString("wayland-varnel-%1").arg(QCoreApplication::applicationPid());
    QProcess weston;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    weston.setProcessEnvironment(env);
    weston.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray log;
    QObject::connect(&weston, &QProcess::readyRead, [&] { log += weston.readAll(); });
    weston.start("weston", {"--backend=headless-backend.so", "--xwayland", "--socket=" + socket, "--idle-time=0"});
    const QRegularExpression listening("xserver listening on display (:\\d+)");
    ASSERT_TRUE(test::waitFor([&] { return listening.match(QString::fromUtf8(log)).hasMatch(); }, 30000))
        << log.toStdString();
    expectRunsOnX({{"WAYLAND_DISPLAY", socket},
                   {"DISPLAY", listening.match(QString::fromUtf8(log)).captured(1)},
                   {"XDG_RUNTIME_DIR", runtime.path()}});
    QSignalSpy ended(&weston, &QProcess::finished);
    weston.terminate();
    EXPECT_TRUE(ended.count() > 0 || ended.wait(30000));
}
