#pragma once
// The command pieces of our own families after the fixed catalogue, in the
// shapes of the catalogue's own form table.
#include "core/convert/EncoderForms.h"

namespace varnel::tables {

// Entry numbers | Form | Container piece | Fixed audio piece
inline constexpr FormRow kTodayForms[] = {
    {103, 104, CommandForm::TodayVideo, " -f mp4 -movflags +faststart", ""},
    {105, 106, CommandForm::TodayVideo, " -f webm", ""},
    {107, 107, CommandForm::TodayAllTracks, " -f matroska", ""},
    {108, 108, CommandForm::TodayAudio, " -vn -f opus", ""},
    {109, 109, CommandForm::TodayAudio, " -vn -f flac", ""},
};

struct TodayVideoCodec {
    const char* value;   // the sheet's "Video Codec"
    const char* encoder;
    int high, standard, small; // constant-quality levels on the encoder's own scale (-crf)
    const char* pieces;  // its own options; "-b:v 0" makes VP9's -crf a constant quality
    const char* fixedRatePieces; // the same, at a fixed bitrate
    int smallestSide;    // a smaller picture is padded to it
    int widest, tallest; // the largest frame it encodes
};

// Sheet value | Encoder | Quality: High | Standard | Small | Own pieces | Own pieces at a fixed bitrate
// | Smallest side | Widest | Tallest (as the encoders of Debian 12 accept them)
inline constexpr TodayVideoCodec kTodayVideoCodecs[] = {
    {"H.264", "libx264", 19, 23, 27, " -preset fast -pix_fmt yuv420p", " -preset fast -pix_fmt yuv420p", 2, 16384, 16384},
    {"H.265", "libx265", 22, 27, 31, " -preset fast -pix_fmt yuv420p -tag:v hvc1", " -preset fast -pix_fmt yuv420p -tag:v hvc1", 16, 16384, 16384},
    {"AV1", "libsvtav1", 28, 35, 42, " -preset 8 -pix_fmt yuv420p", " -preset 8 -pix_fmt yuv420p", 64, 16384, 8704},
    {"VP9", "libvpx-vp9", 28, 33, 38, " -b:v 0 -row-mt 1 -deadline good -cpu-used 4 -pix_fmt yuv420p", " -row-mt 1 -deadline good -cpu-used 4 -pix_fmt yuv420p", 2, 16384, 16384},
};

struct TodayAudioCodec {
    const char* value;   // the sheet's "Audio Codec"
    const char* encoder;
    bool takesBitrate;
    bool takesChannels;
};

// Sheet value | Encoder | Takes "Audio Bitrate" | Takes "Audio Channel"
inline constexpr TodayAudioCodec kTodayAudioCodecs[] = {
    {"AAC", "aac", true, true},
    {"Opus", "libopus", true, true},
    {"FLAC", "flac", false, false},
    {"Copy", "copy", false, false},
};

} // namespace varnel::tables
