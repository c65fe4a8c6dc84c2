#pragma once
// Our own families after the fixed catalogue: today's codecs at a chosen
// quality. Written in the same shapes as the catalogue's tables, so that a
// family is its entries, its option sets and its command pieces.
#include "core/profiles/OptionSetTables.h"

namespace varnel::tables {

struct EntryRow {
    int number;
    const char* kind;      // "header" or "profile"
    const char* text;
    int icon;              // image-list position (headers only)
    const char* extension; // the output's extension where the text's first "." is not it
};

// No. | Kind | Text | Icon | Extension
inline constexpr EntryRow kTodayEntries[] = {
    {102, "header", "Today's Formats", 41, ""},
    {103, "profile", "MP4 H.264 / AAC — plays everywhere (*.mp4)", 0, ".mp4"},
    {104, "profile", "MP4 H.265 / AAC — half the size (*.mp4)", 0, ".mp4"},
    {105, "profile", "WebM AV1 / Opus (*.webm)", 0, ".webm"},
    {106, "profile", "WebM VP9 / Opus (*.webm)", 0, ".webm"},
    {107, "profile", "MKV H.264, every audio and subtitle track kept (*.mkv)", 0, ".mkv"},
    {108, "profile", "Opus Audio (*.opus)", 0, ".opus"},
    {109, "profile", "FLAC Audio (*.flac)", 0, ".flac"},
};

inline constexpr const char* kTodaySizes =
    "Original, 640x360, 854x480, 1280x720, 1920x1080, 2560x1440, 3840x2160";

// No. | Video Codec | Video Codec choices | Video Size | Video Size choices | Video Bitrate | Video Framerate
inline constexpr VideoRow kTodayVideoRows[] = {
    {103, "H.264", "H.264", "Original", kTodaySizes, "Quality: Standard (choices: Quality: High, Quality: Standard, Quality: Small, 1000, 2000, 4000, 8000)", "Auto (choices: Auto, 24, 25, 30, 50, 60)"},
    {104, "H.265", "H.265", "Original", kTodaySizes, "Quality: Standard (choices: Quality: High, Quality: Standard, Quality: Small, 1000, 2000, 4000, 8000)", "Auto (choices: Auto, 24, 25, 30, 50, 60)"},
    {105, "AV1", "AV1", "Original", kTodaySizes, "Quality: Standard (choices: Quality: High, Quality: Standard, Quality: Small, 1000, 2000, 4000, 8000)", "Auto (choices: Auto, 24, 25, 30, 50, 60)"},
    {106, "VP9", "VP9", "Original", kTodaySizes, "Quality: Standard (choices: Quality: High, Quality: Standard, Quality: Small, 1000, 2000, 4000, 8000)", "Auto (choices: Auto, 24, 25, 30, 50, 60)"},
    {107, "H.264", "H.264", "Original", kTodaySizes, "Quality: Standard (choices: Quality: High, Quality: Standard, Quality: Small, 1000, 2000, 4000, 8000)", "Auto (choices: Auto, 24, 25, 30, 50, 60)"},
};

// No. | Audio Codec | Audio Codec choices | Audio Bitrate | Sample Rate
inline constexpr AudioRow kTodayAudioRows[] = {
    {103, "AAC", "AAC", "128 (choices: 96, 128, 160, 192, 256)", "Original (choices: Original, 44100, 48000)"},
    {104, "AAC", "AAC", "128 (choices: 96, 128, 160, 192, 256)", "Original (choices: Original, 44100, 48000)"},
    {105, "Opus", "Opus", "96 (choices: 64, 96, 128, 160, 192)", "48000 (choices: 48000)"},
    {106, "Opus", "Opus", "96 (choices: 64, 96, 128, 160, 192)", "48000 (choices: 48000)"},
    {107, "Copy", "Copy, AAC, Opus", "128 (choices: 96, 128, 160, 192, 256)", "Original (choices: Original, 44100, 48000)"},
    {108, "Opus", "Opus", "96 (choices: 64, 96, 128, 160, 192)", "48000 (choices: 48000)"},
    {109, "FLAC", "FLAC", "—", "Original (choices: Original, 44100, 48000, 96000)"},
};

} // namespace varnel::tables
