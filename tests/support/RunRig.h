#pragma once
// A conversion run wired to a list, a sheet and fake desktop services, in a
// program folder of its own whose output folder is a fresh temporary folder.
#include "TestSupport.h"
#include "convert/ConversionRun.h"
#include "preview/PreviewState.h"
#include "profiles/Catalogue.h"
#include "profiles/OptionSets.h"
#include "settings/Settings.h"
#include "sources/OptionSheet.h"
#include "sources/SourceList.h"
#include "tools/ToolRegistry.h"

#include <QSignalSpy>
#include <memory>

namespace varnel::test {

struct RunRig {
    ProgramFolder folder;
    QTemporaryDir out;
    Settings settings{folder.path()};
    SourceList list;
    OptionSheet sheet;
    ToolRegistry tools;
    FakeShell shell;
    RecordingMessages messages;
    PreviewState preview;
    int entry = 2;
    std::unique_ptr<ConversionRun> run;

    RunRig()
    {
        settings.write(SettingKey::OutputFolder, out.path());
        sheet.prolist();
        RunEnvironment env;
        env.list = &list;
        env.sheet = &sheet;
        env.tools = &tools;
        env.shell = &shell;
        env.messages = &messages;
        env.preview = &preview;
        env.programFolder = folder.path();
        env.entryNumber = [this] { return entry; };
        env.entryText = [this] { return Catalogue::entry(entry)->text; };
        run = std::make_unique<ConversionRun>(env);
    }
    void choose(int n)
    {
        entry = n;
        OptionSets::apply(sheet, n);
    }
    int addRow(const QString& path, const QString& end)
    {
        const int row = list.append(path);
        list.setCell(row, SourceItem::Start, "0:00:00");
        list.setCell(row, SourceItem::End, end);
        return row;
    }
    // Starts the run and waits for its end; false when it did not start or end.
    bool runToEnd(int timeoutMs = 120000)
    {
        QSignalSpy finished(run.get(), &ConversionRun::finished);
        return run->start() && (finished.count() > 0 || finished.wait(timeoutMs));
    }
};

} // namespace varnel::test
