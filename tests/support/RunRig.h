#pragma once
// A workspace with fake desktop services, in a program folder of its own
// whose output folder is a fresh temporary folder.
#include "TestSupport.h"
#include "core/convert/ConversionRun.h"
#include "core/common/TimeText.h"
#include "core/media/MediaFacts.h"
#include "core/settings/Settings.h"
#include "core/workspace/Workspace.h"

#include <QSignalSpy>
#include <cmath>

namespace varnel::test {

struct RunRig {
    ProgramFolder folder;
    QTemporaryDir out;
    Settings settings{folder.path()};
    FakeShell shell;
    RecordingMessages messages;
    Workspace workspace{folder.path(), shell, messages};
    SourceList& list = workspace.list();
    OptionSheet& sheet = workspace.sheet();
    ToolRegistry& tools = workspace.tools();
    ConversionRun* run = &workspace.run();

    std::vector<RunResult> results; // each run's, as it was decided

    RunRig()
    {
        settings.write(SettingKey::OutputFolder, out.path());
        workspace.chooseEntry(2);
        QObject::connect(run, &ConversionRun::decided, [this](const RunResult& r) { results.push_back(r); });
    }
    RunResult::Outcome lastOutcome() const { return results.back().outcome; }
    void choose(int n) { workspace.chooseEntry(n); }
    // A row as the probe leaves it, its end set as a clip editor would: its
    // cells, and its file's streams read.
    int addRow(const QString& path, const QString& end)
    {
        const int row = list.append(path);
        const MediaFacts media = readMedia(path, MediaDepth::Streams);
        list.setCell(row, SourceItem::Start, "0:00:00");
        list.setCell(row, SourceItem::End, end);
        list.setCell(row, SourceItem::VideoTime,
                     media.seconds() > 0 ? secondsToTimeText(std::llround(media.seconds())) : end);
        list.setMedia(row, media);
        return row;
    }
    // Starts the run and waits for its end; false when it did not start or end.
    bool runToEnd(int timeoutMs = 120000)
    {
        QSignalSpy finished(run, &ConversionRun::finished);
        return run->start() && (finished.count() > 0 || finished.wait(timeoutMs));
    }
};

} // namespace varnel::test
