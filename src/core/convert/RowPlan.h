#pragma once
// What converting one row takes, worked out before an encoder starts, and
// what decides afterwards whether it converted. The run, and varnel-convert's
// plan and run-plan, share both.
#include "core/convert/EncoderCommand.h"

#include <QSet>
#include <QString>

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
};

struct RowPlan {
    QString output;  // where the file ends up
    QString partial; // where the encoder writes until it has succeeded
    EncoderCommand command;
};

// The output (never a taken path: a source of the list or an output used
// before), its partial file and the encoder command writing statistics to
// the given file. Throws BuildError with the reason a row cannot be converted.
RowPlan planRow(const SourceItem& item, const PlanContext& context, const QSet<QString>& taken,
                const QString& statisticsFile);

// After the encoder: empty when it converted, the partial file now renamed
// to the output; otherwise the reason, the partial file removed, and the
// encoder's last lines added.
QString completeRow(const RowPlan& plan, int exitCode, bool crashed, const QString& lastLines);

} // namespace varnel
