#include "adapters/AdapterArgs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace varnel::adapter {

Args encoderArgs(const Args& given)
{
    Args out = {"-y", "-vstats_version", "1"};
    for (const std::string& a : given)
        out.push_back(a == "libfaac" ? std::string("aac") : a);
    return out;
}

std::string statisticsFile(const Args& given)
{
    for (size_t i = 0; i + 1 < given.size(); ++i)
        if (given[i] == "-vstats_file")
            return given[i + 1];
    return {};
}

bool isAudioOnly(const Args& given)
{
    return std::find(given.begin(), given.end(), "-vn") != given.end();
}

std::string statisticsLine(double seconds)
{
    char line[200];
    // The reader takes the sixth "=" piece, less its last two characters.
    std::snprintf(line, sizeof line,
                  "frame=     0 q= 0.0 f_size=     0 s_size=     0kB time= %.3f br=   0.0kbits/s avg_br=   0.0kbits/s"
                  " type= A\n",
                  seconds);
    return line;
}

namespace {

bool isAddress(const std::string& file)
{
    const size_t scheme = file.find("://");
    return scheme != std::string::npos && scheme > 0 &&
           std::all_of(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(scheme), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '.' || c == '-';
           });
}

// The demuxer's first name ("mov" of "mov,mp4,m4a,3gp,3g2,mj2").
std::string firstName(const std::string& format)
{
    return format.substr(0, format.find(','));
}

// The player's own demuxer for a container, where it reads it with one of
// its own rather than with libavformat's; forced, it reads nothing else
// (none of these opens another name, and none falls back to guessing).
const char* playersOwnDemuxer(const std::string& format)
{
    static const std::pair<const char*, const char*> kOwn[] = {
        {"avi", "avi"}, {"asf", "asf"}, {"mp3", "audio"}, {"wav", "audio"}, {"mpeg", "mpegps"}, {"mpegts", "mpegts"}};
    for (const auto& [container, demuxer] : kOwn)
        if (format == container)
            return demuxer;
    return nullptr;
}

} // namespace

bool sourceFormat(const char* variable, std::string* format, std::string* error)
{
    const char* value = std::getenv(variable);
    format->assign(value ? value : "");
    const bool named = format->size() <= 64 && std::all_of(format->begin(), format->end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == ',';
    });
    if (named && (format->empty() || std::isalnum(static_cast<unsigned char>(format->front()))))
        return true;
    *error = std::string(variable) + " does not name a container: " + *format;
    return false;
}

bool readSourceAs(const std::string& format, Args& ffmpegArgs)
{
    const auto input = std::find(ffmpegArgs.begin(), ffmpegArgs.end(), "-i");
    if (input == ffmpegArgs.end())
        return false;
    const Args options = probeSourceAs(format);
    ffmpegArgs.insert(input, options.begin(), options.end());
    return true;
}

Args probeSourceAs(const std::string& format)
{
    Args options = {"-f", format, "-protocol_whitelist", "file"};
    if (format == "image2") {
        options.push_back("-pattern_type");
        options.push_back("none");
    }
    return options;
}

Args playerArgs(const Args& given, const std::string& sourceFormat)
{
    Args out = {"-nolirc"};
    const bool identify = isIdentifyRun(given);
    if (identify)
        out.push_back("-noconsolecontrols");
    else // where the X server has no Xv or GL, x11 scales only in software
        out.push_back("-zoom");
    // Subtitle files beside the source are other files: they are not converted either.
    out.push_back("-noautosub");
    if (!given.empty() && !isAddress(given.back())) {
        // A picture is read by name once, as the one file it is; any other
        // container reads the player's own stream of the file and opens nothing.
        const std::string opened = sourceFormat == "image2" ? "o=protocol_whitelist=file,pattern_type=none"
                                                            : "o=protocol_whitelist=none";
        if (const char* own = playersOwnDemuxer(sourceFormat))
            out.insert(out.end(), {"-demuxer", own, "-lavfdopts", opened});
        else if (!sourceFormat.empty())
            out.insert(out.end(), {"-demuxer", "lavf", "-lavfdopts", "format=" + firstName(sourceFormat) + ":" + opened});
        else
            out.insert(out.end(), {"-lavfdopts", opened});
    }
    for (size_t i = 0; i < given.size(); ++i) {
        const std::string& a = given[i];
        if (a == "-priority") { // Windows-only; mplayer here refuses it
            ++i;
            continue;
        }
        // The picture keeps its shape, with black bands where the surface
        // is of another.
        if (a == "-nokeepaspect" && !identify)
            continue;
        // Without a sound stream to open, mplayer gives up on an audio-only
        // file before it reports the length. Sound written to nowhere keeps it
        // going, and "fast" keeps it from waiting in real time.
        if (identify && a == "-nosound") {
            out.push_back("-ao");
            out.push_back("pcm:fast:nowaveheader:file=/dev/null");
            continue;
        }
        out.push_back(a);
        if (a == "-vo" && i + 1 < given.size() && given[i + 1] == "gl2") {
            out.push_back("xv,x11,");
            ++i;
        }
    }
    return out;
}


namespace {

// "ID_LENGTH=0.00" and the like: a length of 0, or none at all.
bool lengthUnknown(const std::string& value)
{
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    return end == value.c_str() || !(v > 0);
}

std::string trimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    return text.substr(first);
}

} // namespace

std::string probeErrorOf(const std::string& answer, const std::string& file)
{
    // A readable file answers with its duration alone; anything else is
    // ffprobe's complaint. Its line about the file itself says most.
    std::string first, aboutFile;
    size_t from = 0;
    while (from < answer.size()) {
        size_t end = answer.find('\n', from);
        if (end == std::string::npos)
            end = answer.size();
        std::string line = trimmed(answer.substr(from, end - from));
        from = end + 1;
        if (line.empty())
            continue;
        char* stop = nullptr;
        std::strtod(line.c_str(), &stop);
        if (*stop == '\0' || line == "N/A")
            continue;
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20)
                c = ' ';
        if (first.empty())
            first = line;
        const std::string prefix = file + ": ";
        if (aboutFile.empty() && line.rfind(prefix, 0) == 0)
            aboutFile = line.substr(prefix.size());
    }
    return aboutFile.empty() ? first : aboutFile;
}

bool isIdentifyRun(const Args& given)
{
    return std::find(given.begin(), given.end(), "-identify") != given.end();
}

bool givesLength(const std::string& line)
{
    return line.rfind("ID_LENGTH=", 0) == 0 && !lengthUnknown(line.substr(10));
}

std::string lengthReport(const std::string& answer, const std::string& file)
{
    if (const std::string error = probeErrorOf(answer, file); !error.empty())
        return "ID_PROBE_ERROR=" + error + "\n";
    return lengthUnknown(answer) ? std::string() : "ID_LENGTH=" + trimmed(answer) + "\n";
}

} // namespace varnel::adapter
