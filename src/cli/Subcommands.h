#pragma once
// The subcommands of varnel-convert; each returns the process exit status.
#include <QStringList>

namespace varnel::cli {

int profiles(const QStringList& args);
int probe(const QStringList& args);
int sheet(const QStringList& args);
int command(const QStringList& args);
int convert(const QStringList& args);
int fetch(const QStringList& args);
int download(const QStringList& args);
int capture(const QStringList& args);
int selftest(const QStringList& args);
int plan(const QStringList& args);
int runPlan(const QStringList& args);
int preset(const QStringList& args);

} // namespace varnel::cli
