#pragma once
// What converting one row takes, worked out before an encoder starts, and
// what decides afterwards whether it converted. The run, and varnel-convert's
// plan and run-plan, share both.
#include "core/convert/EncoderCommand.h"
#include "core/convert/OutputCheck.h"
#include "core/convert/PartialFolder.h"

#include <QSet>
#include <QString>
#include <memory>

namespace varnel {

class OptionSheet;
struct SourceItem;

struct PlanContext {
    QString outputFolder;
    QString extension;   // empty: a header is chosen
    bool addNew = false; // the "existedfile" = 0 policy
    int entryNumber = 0;
    const OptionSheet* sheet = nullptr;
    QString threadSetting;
    QString programFolder;
    // Where the encoder writes; none: the partial is only named (a plan
    // printed for later).
    std::shared_ptr<output::PartialFolder> partials;
};

struct RowPlan {
    QString source;
    QString sourceFormat; // the container the source was read as: the encoder reads it as that
    QString output; // where the file is meant to end up
    std::shared_ptr<output::PartialFolder> partials;
    output::PartialFile partial; // where the encoder writes until the output is known whole
    bool addNew = false;
    QString extension;
    output::TakenFiles taken; // paths the output may never take (sources, earlier outputs)
    EncoderCommand command;
    OutputExpectation expected;
    double progressSeconds = 0; // what the encoded time is a share of
};

// Whether the row asks for a part of its source rather than the whole (the
// user chose a clip, or its times are not the whole): its source's lengths
// are measured from the packets before a plan is made.
bool rowIsClipped(const SourceItem& item);

// The output (never a taken path), its partial file and the encoder command
// writing statistics to the given file. Throws BuildError with the reason a
// row cannot be converted; nothing is left on disk then.
RowPlan planRow(const SourceItem& item, const PlanContext& context, const output::TakenFiles& taken,
                const QString& statisticsFile);

// Throws BuildError when the entry cannot make its kind of file from what
// the source holds (sound from a silent file, today's video from sound alone).
void refuseWhatTheEntryCannotMake(const MediaFacts& source, int entryNumber);

// What a whole output holds, from the command built for the row.
OutputExpectation expectationOf(const EncoderCommand& command, bool coverOnly);

struct RowOutcome {
    bool ok = false;
    QString reason; // why not, with the encoder's last lines
    QString output; // where the file ended up
};

// After the encoder and the measuring of its file: the partial is renamed to
// the output when all is well; otherwise it is removed and the reason given.
RowOutcome completeRow(const RowPlan& plan, int exitCode, bool crashed, const QString& encoderOutput,
                       const MediaFacts& source, const MediaFacts& output);

// Why the partial cannot be trusted any more: another file was put in its
// place while the encoder ran. Empty when it is the one made.
QString replacedPartial(const RowPlan& plan);

// The verdict that needs no look at the file: a crash or an exit code. Empty
// when the file is worth checking.
QString encoderFailure(int exitCode, bool crashed);

} // namespace varnel
