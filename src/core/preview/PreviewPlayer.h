#pragma once
// An embedded player: the player program drawing into a surface of ours,
// steered by keys, with a clock of our own since nothing comes back from the
// player. The main window's preview panel and the clip editor are two views
// on this one logic, each with its surface, its file and its variants.
#include "core/preview/PlayerJob.h"
#include "core/tools/PlayerCommand.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QTimer;

namespace varnel {

class PooledWork;
class ToolRegistry;

// Which options variant each start uses.
struct PlayerVariants {
    PlayerOptions play, firstFrame, lastFrames, seek;
};
inline constexpr PlayerVariants kPreviewVariants{PlayerOptions::Variant1, PlayerOptions::Variant2,
                                                 PlayerOptions::Variant1, PlayerOptions::Variant3};
inline constexpr PlayerVariants kClipEditorVariants{PlayerOptions::Variant4, PlayerOptions::Variant3,
                                                    PlayerOptions::Variant4, PlayerOptions::Variant4};

inline QString kTotalTimeCaption()
{
    return QCoreApplication::translate("varnel::PreviewPlayer", "Total time:");
}

class PreviewPlayer : public QObject {
    Q_OBJECT
public:
    // The surface's handle is asked for at each start.
    PreviewPlayer(ToolRegistry& tools, QString programFolder, PlayerVariants variants, QObject* parent = nullptr);

    // The file it plays: the one played last, or the one set for the next Play.
    QString file() const { return m_file; }
    // container: what the file was read as in process, where known; the
    // player then reads it as that container and nothing else.
    void setFile(const QString& file, const QString& container = {})
    {
        m_file = file;
        m_container = container;
    }
    // The clock's seconds, and the length they count to.
    int elapsedSeconds() const { return m_elapsed; }
    int totalSeconds() const { return m_total; }
    void setTimes(int elapsed, int total);
    PlayerJob& job() { return m_job; }

    void setSurface(std::function<quintptr()> handle) { m_surface = std::move(handle); }
    // Why no player can draw into the surface on this desktop (empty: one
    // can). While set, every start starts nothing and says why.
    void setSurfaceUnavailable(const QString& reason) { m_unavailable = reason; }

    QTimer* clock() const { return m_clock; }
    bool clockRunning() const;
    void stopClock();

    // Play: the given file (an empty one: the file played last) from the
    // beginning; the total from its video time text (a null or unreadable
    // one leaves the total, and a null one the label, as they were).
    void play(const QString& file, const QString& videoTimeText, const QString& container = {});
    void pause();
    void stop();
    void back();
    void forward();
    void firstFrame();
    void lastFrames();
    // The mouse released over the seek bar at this position (0 to 100). The
    // player starts once the keyframe at or before it is found, off this
    // thread; another start or a quit meanwhile drops that.
    void seek(int position);
    // One second of the clock.
    void tick();

    // The player is asked to quit (see PlayerJob::quit).
    void quitPlayer();

signals:
    void sliderPosition(int position);
    void currentTimeText(const QString& text);
    void totalTimeText(const QString& text);
    // The surface is being drawn into by a player (true) or may be painted
    // again: after Stop, and when the player has ended.
    void playing(bool on);
    // A start was refused; reason is what the user is told, once for it.
    void cannotStart(const QString& reason);

private:
    // False, and the user told why, when no player can be started.
    bool canStart();
    void start(PlayerOptions variant, int offsetSeconds);
    void startSeek(std::int32_t seconds);
    // The bar at the clock's place (0 to 100), when there is a length.
    void showPosition();

    QString m_programFolder;
    PlayerVariants m_variants;
    std::function<quintptr()> m_surface;
    QString m_unavailable;
    QString m_file;
    QString m_container;
    // 32-bit counters, as the clock's arithmetic is written for them.
    std::int32_t m_elapsed = 0, m_total = 0;
    PlayerJob m_job;
    QTimer* m_clock;
    PooledWork* m_keyframeLookup;
};

} // namespace varnel
