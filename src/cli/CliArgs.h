#pragma once
// Argument reading shared by the subcommands of varnel-convert.
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

namespace varnel {

class Workspace;

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Options of the form "--name value" (repeatable), "--flag", and the rest as
// plain arguments, in order.
struct CliArgs {
    std::vector<std::pair<QString, QString>> options; // in the order given
    QStringList flags;
    QStringList plain;

    // valueOptions take a value; flagOptions do not; anything else is an error.
    static CliArgs parse(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions);

    QStringList all(const QString& name) const;
    std::optional<QString> last(const QString& name) const;
    bool has(const QString& flag) const { return flags.contains(flag); }
};

// A path as its user means it: a leading "~" is the home folder (no shell
// expands it in "--option=~/x" or in quotes), and a relative path starts
// from the current folder. Absolute and clean.
QString userPath(const QString& path);

// The catalogue entry whose text matches, case aside: the whole text, or a
// part that only one profile contains. Anything else is a usage error that
// lists the candidates.
int profileByText(const QString& text);

// Chooses each --choose entry and --profile text in order on the workspace's sheet (filled as at
// start-up), then applies each --set "GROUP/ROW=VALUE". Returns the last
// chosen entry (0: none).
int buildSheet(Workspace& workspace, const CliArgs& args);

} // namespace varnel
