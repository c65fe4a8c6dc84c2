#pragma once
// A line of "varnel-convert plan", as run-plan reads it: data from whoever
// wrote the line, nothing in it trusted until checked against the rules plan
// follows.
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace varnel {

class OptionSheet;

struct PlanLine {
    QString source, output, partial, statistics, outputFolder, start, end, threads;
    bool addNew = false;
    int entry = 0;
    QJsonObject options;
    QStringList argv;
};

// Reads the declared fields and checks them: clean absolute paths, the output
// named by the rules directly inside its folder and not its source, the
// partial and statistics files beside it and named as plan names them, a
// policy and a profile. The reason a line is refused, or empty.
QString readPlanLine(const QJsonObject& line, PlanLine& out);

// The declared entry's option set and then each declared value on the sheet;
// the reason when a row is not one of the sheet's or a value is not text.
QString applyPlanOptions(const PlanLine& line, OptionSheet& sheet);

} // namespace varnel
