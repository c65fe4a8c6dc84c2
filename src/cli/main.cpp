// varnel-convert: the converter's core from the command line.
#include "cli/CliArgs.h"
#include "cli/Output.h"
#include "cli/Subcommands.h"
#include "core/common/PrintableText.h"
#include "core/convert/EncoderCommand.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <cstdio>
#include <map>

namespace varnel::cli {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

void jsonLine(const QJsonObject& object)
{
    // JSON holds C1 and direction characters raw: as \u escapes they mean
    // the same to a reader and nothing to a terminal.
    QString line;
    for (const QChar qc : QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact))) {
        const char16_t unit = qc.unicode();
        if (unit >= 0x7F && (isHiddenCharacter(unit) || QChar::isSurrogate(unit)))
            line += QStringLiteral("\\u%1").arg(unit, 4, 16, QChar(u'0'));
        else
            line += qc;
    }
    out() << line << '\n';
}

QString escaped(QString value)
{
    return printable(value);
}

} // namespace varnel::cli

namespace {

const char* kUsage =
    "usage: varnel-convert COMMAND [ARGS]\n"
    "       varnel-convert -h|--help | --version\n"
    "A profile is chosen with --choose N (its number in the catalogue) or --profile TEXT (its text, or\n"
    "a part of it that only one profile has, case aside).\n"
    "  profiles                                   list the catalogue\n"
    "  probe [--json] FILE...                     probe files as the list does\n"
    "  sheet [--choose N]... [--set G/ROW=V]...   show the option sheet\n"
    "  command --choose N [--choose N]... [--set G/ROW=V]... --source PATH [--start H:MM:SS]\n"
    "          --end H:MM:SS --output PATH [--threads TEXT] [--program-folder DIR] [--argv]\n"
    "                                             show the encoder command\n"
    "  convert --choose N|--profile TEXT [--set G/ROW=V]... [--output-folder DIR] [--existing new|overwrite]\n"
    "          [--threads N] [--start H:MM:SS] [--end H:MM:SS] [--jobs N] [--json] FILE...\n"
    "                                             convert files, each trimmed to start and end; an output\n"
    "                                             whose name is taken gets a new one (name_New) unless\n"
    "                                             --existing overwrite or the settings say to overwrite\n"
    "  fetch [--json] URL                         what a watch page says, NAME<TAB>VALUE lines\n"
    "  download URL --format 5|34|35|22 [--program-folder DIR]\n"
    "                                             download a stream of the page\n"
    "  capture --list                             the cameras: INDEX<TAB>NAME<TAB>NODE\n"
    "  capture --input v4l2|x11grab|lavfi:INPUT --output FILE.avi --seconds S\n"
    "                                             record through the capture window's recorder\n"
    "  selftest [--choose N|--profile TEXT]       convert a generated clip through every profile (or one):\n"
    "                                             NUMBER<TAB>TEXT<TAB>OK|Fail<TAB>reason\n"
    "  plan --choose N|--profile TEXT [--set G/ROW=V]... [--start T] [--end T] --output-folder DIR FILE...\n"
    "                                             each file's output and encoder command, as JSON lines\n"
    "  run-plan --output-folder DIR [--existing new|overwrite] [LINE]\n"
    "                                             convert one line of plan into DIR (from standard input\n"
    "                                             without LINE)\n"
    "  preset list | save NAME --choose N|--profile TEXT [--set G/ROW=V]... | delete NAME\n"
    "         | rename OLD NEW | export NAME FILE | import [--replace] FILE\n"
    "                                             presets of one's own; --preset NAME chooses one wherever\n"
    "                                             --choose does\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    using namespace varnel;
    // A name that is not UTF-8 would reach the tools as another name, maybe
    // another file's.
    for (int i = 1; i < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]).toLocal8Bit() != QByteArray(argv[i])) {
            std::fprintf(stderr, "varnel-convert: argument %d is not UTF-8 text; name the file by a UTF-8 name\n", i);
            return 2;
        }
    const QStringList args = QCoreApplication::arguments().mid(1);
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {"profiles", cli::profiles}, {"probe", cli::probe}, {"sheet", cli::sheet},
        {"command", cli::command}, {"convert", cli::convert}, {"fetch", cli::fetch}, {"download", cli::download},
        {"capture", cli::capture}, {"selftest", cli::selftest},
        {"plan", cli::plan}, {"run-plan", cli::runPlan}, {"preset", cli::preset},
    };
    if (args.contains(QStringLiteral("-h")) || args.contains(QStringLiteral("--help"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.value(0) == QLatin1String("--version")) {
        std::printf("varnel-convert %s\n", VARNEL_VERSION);
        return 0;
    }
    const auto it = args.isEmpty() ? commands.end() : commands.find(args.first());
    if (it == commands.end()) {
        std::fprintf(stderr, "%s%s", args.isEmpty() ? "" : qPrintable("varnel-convert: unknown command " + args.first() + "\n"),
                     kUsage);
        return 2;
    }
    try {
        const int rc = it->second(args.mid(1));
        cli::out().flush();
        return rc;
    } catch (const UsageError& e) {
        cli::out().flush();
        std::fprintf(stderr, "varnel-convert: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const BuildError& e) {
        cli::out().flush();
        std::fprintf(stderr, "varnel-convert: %s\n", e.what());
        return 1;
    }
}
