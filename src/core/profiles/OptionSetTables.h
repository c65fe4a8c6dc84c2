#pragma once
// The option sets of the catalogue entries, written as the tables they are
// checked against. A cell is parsed by OptionSets.cpp:
//   "—"                               leave the row
//   "768"                             set the value
//   "2000 (choices: kept, plus a, b)" set the value, append the choices
//   "512 (choices: a, b)"             replace the choices, set the value
// A codec or size column with its own choices column replaces the choices.

namespace varnel::tables {

struct VideoRow {
    int number;
    const char* codec; const char* codecChoices;
    const char* size; const char* sizeChoices;
    const char* bitrate; const char* framerate;
};

struct AudioRow {
    int number;
    const char* codec; const char* codecChoices;
    const char* bitrate; const char* sampleRate;
};

struct HeaderRow {
    int number;
    const char* valuesSet;       // "Row = value; Row = value"
    const char* choicesReplaced; // "Row: a, b; Row: c"
    const char* choicesEmptied;  // "Row, Row"
};

inline constexpr const char* kCommonSizes =
    "128x96, 176x144, 352x240, 352x288, 480x272, 480x480, 480x576, 640x480, 720x480, 720x576, 704x576, 320x240";
inline constexpr const char* kCommonSizesHd =
    "128x96, 176x144, 352x240, 352x288, 480x272, 480x480, 480x576, 640x480, 720x480, 720x576, 704x576, 320x240, "
    "1080x720, 1280x720, 1440x1080, 1920x1080";

// No. | Video Codec | Video Codec choices | Video Size | Video Size choices | Video Bitrate | Video Framerate
inline constexpr VideoRow kVideoRows[] = {
    {2, "x264", "xvid, mpeg4, x264", "1024x768", "480x320, 640x480, 1024x768, 1280x720", "768", "25"},
    {3, "x264", "xvid, mpeg4, x264", "640x480", "480x320, 640x480, 1024x768, 1280x720", "768", "25"},
    {4, "x264", "xvid, mpeg4, x264", "720x576", "720x576, 480x320, 640x480, 1024x768, 1280x720", "768", "25"},
    {5, "x264", "xvid, mpeg4, x264", "1280x720", "480x320, 640x480, 1024x768, 1280x720", "768", "25"},
    {7, "xvid", "xvid, mpeg4, x264", "320x240", "320x240, 480x270, 480x320, 640x480", "512", "25"},
    {8, "xvid", "xvid, mpeg4, x264", "320x240", "320x240, 480x270, 480x320, 640x480", "512", "25"},
    {9, "xvid", "xvid, mpeg4, x264", "640x480", "640x480", "512", "25"},
    {10, "xvid", "xvid, mpeg4, x264", "768x576", "768x576", "512", "25"},
    {11, "xvid", "xvid, mpeg4, x264", "320x240", "320x240, 480x270, 480x320, 640x480", "768", "25"},
    {13, "x264", "xvid, mpeg4, x264", "480x320", "480x320, 480x270, 720x405, 640x480", "768", "25"},
    {14, "x264", "xvid, mpeg4, x264", "640x480", "480x320, 480x270, 720x405, 640x480", "768", "25"},
    {15, "x264", "xvid, mpeg4, x264", "768x576", "480x320, 480x270, 720x405, 640x480, 768x576", "768", "25"},
    {17, "xvid", "xvid, mpeg4", "720x432", "320x240, 480x320, 480x270, 720x432, 640x480", "512", "25"},
    {18, "x264", "x264", "768x576", "320x240, 480x320, 480x270, 720x432, 640x480, 768x576, 960x540, 1280x720", "1500", "24"},
    {20, "x264", "xvid, x264, mpeg4", "480x320", "480x320, 480x270, 720x405, 640x480", "768", "25"},
    {21, "x264", "xvid, x264, mpeg4", "800x480", "480x320, 480x270, 720x405, 640x480, 800x480", "1200", "25"},
    {22, "x264", "xvid, x264, mpeg4", "854x480", "480x320, 640x480, 800x480, 854x480", "1200", "25"},
    {23, "x264", "xvid, x264, mpeg4", "800x480", "480x320, 480x270, 720x405, 640x480, 800x480", "1200", "25"},
    {24, "x264", "xvid, x264, mpeg4", "960x480", "320x240, 640x480, 800x480, 960x480", "1200", "25"},
    {26, "mpeg4", "mpeg4", "368x208", "368x208, 320x240, 160x112", "512", "29.97"},
    {27, "x264", "x264", "368x208", "368x208, 320x240, 160x112, 480x272", "512", "29.97"},
    {29, "x264", "x264", "720x480", "480x272, 640x480, 720x480, 720x576", "2000 (choices: kept, plus 2000, 2500, 3000)", "29.976"},
    {30, "x264", "x264", "720x576", "480x272, 640x480, 720x480, 720x576, 1280x720", "2000 (choices: kept, plus 2000, 2500, 3000)", "29.976"},
    {31, "x264", "x264", "1440x1080", "480x272, 640x480, 720x480, 720x576, 1280x720, 1440x1080, 1920x1080", "2000 (choices: kept, plus 2000, 2500, 3000)", "23.976"},
    {33, "xvid", "xvid, mpeg4", "320x240", "320x240, 220x176, 176x144, 160x112", "768", "25"},
    {34, "x264", "x264", "320x240", "320x240, 220x176, 176x144, 160x112", "512", "25"},
    {35, "WMV V9", "WMV V9", "320x240", "320x240", "768", "—"},
    {37, "WMV V9", "WMV V9, WMV V8", "320x240", "320x240", "768", "—"},
    {38, "mpeg4", "mpeg4, xvid", "320x240", "320x240", "512", "25"},
    {39, "WMV V9", "WMV V9, WMV V8", "480x272", "320x240, 480x272, 720x480, 720x576, 1280x720", "1500", "—"},
    {40, "mpeg4", "mpeg4, xvid", "480x272", "320x240, 480x272, 720x480, 720x576, 1280x720", "1500", "25"},
    {42, "WMV V9", "WMV V9", "160x128", "160x128", "256", "25"},
    {43, "WMV V9", "WMV V9", "320x240", "320x240, 160x128, 640x480, 720x576", "256", "25"},
    {44, "WMV V9", "WMV V9", "480x272", "320x240, 160x128, 480x272, 640x480, 720x576", "512", "25"},
    {45, "WMV V9", "WMV V9", "800x480", "320x240, 160x128, 480x272, 640x480, 720x576, 800x480", "512", "25"},
    {46, "WMV V9", "WMV V9", "800x480", "320x240, 160x128, 480x272, 640x480, 720x576, 800x480", "512", "25"},
    {47, "WMV V9", "WMV V9", "800x480", "320x240, 160x128, 480x272, 640x480, 720x576, 800x480", "512", "25"},
    {49, "mpeg4", "mpeg4, xvid", "320x240", "320x240, 220x176, 176x144, 160x112", "384", "25"},
    {50, "mpeg4", "mpeg4, xvid", "320x240", "320x240, 220x176, 176x144, 160x112, 640x480", "384", "25"},
    {51, "mpeg4", "mpeg4, xvid", "320x240", "320x240, 220x176, 176x144, 160x112", "384", "25"},
    {52, "mpeg4", "mpeg4, xvid", "480x272", "320x240, 220x176, 176x144, 160x112, 480x272", "384", "25"},
    {54, "mpeg4", "mpeg4, xvid", "128x128", "128x128", "256", "15"},
    {55, "mpeg4", "mpeg4, xvid", "220x176", "320x240, 220x176, 176x144, 160x112", "256", "15"},
    {56, "mpeg4", "mpeg4, xvid", "320x240", "320x240, 220x176, 176x144, 160x112", "384", "15"},
    {57, "mpeg4", "mpeg4, xvid", "480x270", "480x270, 320x240, 220x176, 176x144, 160x112", "384", "15"},
    {58, "mpeg4", "mpeg4, xvid", "640x272", "640x480, 640x368, 640x272, 480x360, 320x240, 220x176, 176x144, 160x112", "512", "25"},
    {59, "mpeg4", "mpeg4, xvid", "640x480", "720x480, 640x480, 640x368, 640x272, 480x360, 320x240", "512", "25"},
    {61, "mpeg4", "mpeg4", "320x240", "640x480, 512x384, 480x576, 480x480, 480x320, 320x240, 224x176, 160x112", "512", "20"},
    {62, "WMV V9", "WMV V9, WMV V8", "320x240", "640x480, 512x384, 480x576, 480x480, 480x320, 320x240, 224x176, 160x112", "768", "—"},
    {63, "mpeg4", "mpeg4", "368x208", "368x208, 320x240, 160x112", "512", "24"},
    {65, "WMV V8", "WMV V9, WMV V8", "1280x720", "320x240, 640x480, 720x480, 720x576, 1024x768, 1280x720, 1280x1024, 1366x768, 1920x1080", "768", "30"},
    {66, "mpeg4", "mpeg4", "720x576", "320x240, 512x384, 640x480, 720x480, 720x576, 1024x768, 1280x720", "1024", "30"},
    {67, "mpeg4", "xvid, mpeg4, x264", "1280x720", "320x240, 640x480, 720x480, 720x576, 1024x768, 1280x720, 1280x1024, 1366x768, 1920x1080", "1500", "30"},
    {69, "mjpeg", "mjpeg", "720x480", "848x480, 720x576, 720x480, 640x480, 512x384, 480x576, 480x480, 480x320, 480x272, 368x208, 320x240, 352x288, 352x240", "768", "25"},
    {71, "h263", "h263, mpeg4", "176x144", "128x96, 176x144, 352x288, 704x576, 1408x1152", "64", "15"},
    {72, "h263", "h263, mpeg4", "176x144", "128x96, 176x144, 352x288, 704x576, 1408x1152", "64", "15"},
    {73, "mpeg4", "mpeg4, xvid", "176x144", "128x96, 160x120, 176x144, 220x176, 320x240, 352x288, 640x480", "128", "15"},
    {74, "mpeg4", "mpeg4, xvid", "320x176", "128x96, 160x120, 176x144, 220x176, 320x176, 352x288, 240x180, 320x240, 640x360, 640x480, 800x480", "128", "15"},
    {76, "mpeg4", "mpeg4", "320x240", "480x360, 480x320, 160x112, 320x240", "512", "24"},
    {78, "mpeg4", "mpeg4, xvid", "320x176", "128x96, 176x144, 220x176, 320x176, 320x240, 352x288, 640x480", "128", "—"},
    {80, "WMV V9", "WMV V9, WMV V8", "320x240", "320x240, 720x576, 640x480", "384 (choices: kept, plus 384)", "—"},
    {81, "WMV V9", "WMV V9, WMV V8", "320x240", "320x240, 720x576, 720x480, 640x480, 512x384, 480x576, 480x480, 480x320, 480x272, 368x208, 352x288, 352x240", "768 (choices: kept, plus 384)", "—"},
    {83, "FLV", "FLV", "320x240", "128x96, 176x144, 220x176, 320x240, 704x576, 640x480", "512", "25"},
    {84, "SWF", "SWF", "320x240", "128x96, 176x144, 220x176, 320x240, 704x576, 640x480", "512", "25"},
    {86, "WMV V9", "WMV V9", "320x240", "320x240", "512 (choices: 768, 512, 384, 256)", "—"},
    {88, "mpeg2video", "mpeg2video", "720x480", "720x480, 704x480, 352x480, 352x240", "8000 (choices: 8000, 5000, 2000)", "29.97 (choices: 29.97)"},
    {89, "mpeg2video", "mpeg2video", "720x576", "720x576, 704x576, 352x576, 352x288", "8000 (choices: 8000, 5000, 2000)", "25"},
    {90, "mpeg1video", "mpeg1video", "352x240", "common sizes", "1152", "29.970"},
    {91, "mpeg2video", "mpeg2video", "720x480", "common sizes + HD", "1800 (choices: kept, plus 1800)", "29.970"},
    {92, "xvid", "xvid, mpeg4, msmpeg4, msmpeg4v2, mjpeg, wmv1, wmv2, mpeg2, mpeg1, h263p, x264, huffyuv, ffv1", "720x480", "common sizes + HD", "768 (choices: 768, 2000, 4000, 5000, 6000, 8000, 10000, 12000)", "25"},
    {93, "WMV V9", "WMV V9, WMV V8", "720x480", "common sizes + HD", "768 (choices: 768, 2000, 4000, 5000, 6000, 8000, 10000, 12000)", "—"},
    {94, "x264", "x264, mpeg4, xvid", "320x240", "common sizes + HD", "768", "25"},
};

// No. | Audio Codec | Audio Codec choices | Audio Bitrate | Sample Rate
inline constexpr AudioRow kAudioRows[] = {
    {2, "aac", "aac", "128", "44100"},
    {3, "aac", "aac", "128", "44100"},
    {4, "aac", "aac", "128", "44100"},
    {5, "aac", "aac", "128", "44100"},
    {7, "aac", "aac", "64", "44100"},
    {8, "aac", "aac", "160", "44100"},
    {9, "aac", "aac", "128", "44100"},
    {10, "aac", "aac", "128", "44100"},
    {11, "aac", "aac", "128", "44100"},
    {13, "aac", "aac", "128", "44100"},
    {14, "aac", "aac", "128", "44100"},
    {15, "aac", "aac", "128", "44100"},
    {17, "aac", "aac", "128", "44100"},
    {18, "aac", "aac", "64", "44100"},
    {20, "aac", "aac", "128", "44100"},
    {21, "aac", "aac", "128", "44100"},
    {22, "aac", "aac", "128", "44100"},
    {23, "aac", "aac", "128", "44100"},
    {24, "aac", "aac", "128", "44100"},
    {26, "aac", "aac", "64", "24000"},
    {27, "aac", "aac", "64", "48000"},
    {29, "aac", "aac", "96", "48000"},
    {30, "aac", "aac", "128", "48000"},
    {31, "aac", "aac", "128", "48000"},
    {33, "aac", "aac", "128", "44100"},
    {34, "aac", "aac", "128", "44100"},
    {35, "WMA9", "WMA9", "128", "44100"},
    {37, "WMA9", "WMA9", "—", "—"},
    {38, "aac", "aac", "128", "44100"},
    {39, "WMA9", "WMA9", "—", "—"},
    {40, "aac", "aac", "128", "44100"},
    {42, "WMA9", "WMA9", "128", "44100"},
    {43, "WMA9", "WMA9", "128", "44100"},
    {44, "WMA9", "WMA9", "128", "44100"},
    {45, "WMA9", "WMA9", "128", "44100"},
    {46, "WMA9", "WMA9", "128", "44100"},
    {47, "WMA9", "WMA9", "128", "44100"},
    {49, "mp3", "mp3", "96", "44100"},
    {50, "mp3", "mp3", "96", "44100"},
    {51, "mp3", "mp3", "96", "44100"},
    {52, "mp3", "mp3", "96", "44100"},
    {54, "mp3", "mp3", "128", "44100"},
    {55, "mp3", "mp3", "128", "44100"},
    {56, "mp3", "mp3", "96", "44100"},
    {57, "mp3", "mp3", "96", "44100"},
    {58, "mp3", "mp3", "128", "44100"},
    {59, "mp3", "mp3", "128", "44100"},
    {61, "aac", "aac", "64", "24000"},
    {62, "WMA9", "WMA9", "64", "24000"},
    {63, "aac", "aac", "64", "24000"},
    {65, "WMA9", "WMA9", "128", "—"},
    {66, "mp3", "mp3", "128", "44100"},
    {67, "aac", "aac", "128", "48000"},
    {69, "pcm", "pcm", "128", "—"},
    {71, "amr_nb", "amr_nb, faac", "12.2", "8000"},
    {72, "amr_nb", "amr_nb, faac", "12.2", "8000"},
    {73, "aac", "aac", "64", "11025"},
    {74, "aac", "aac", "64", "24000"},
    {76, "aac", "aac", "64", "44100"},
    {78, "aac", "aac", "64", "—"},
    {80, "WMA9", "WMA9", "64", "—"},
    {81, "WMA9", "WMA9", "64", "—"},
    {83, "mp3", "mp3", "64", "44100"},
    {84, "mp3", "mp3", "64", "44100"},
    {86, "WMA9", "WMA9", "64", "—"},
    {88, "ac3", "ac3", "128 (choices: 128, 192)", "48000"},
    {89, "ac3", "ac3", "128 (choices: 128, 192)", "48000"},
    {90, "mp2", "mp2", "224", "44100"},
    {91, "mp2", "ac3, mp2", "128", "44100"},
    {92, "mp3", "ac3, mp3, mp2, aac", "128", "44100"},
    {93, "WMA", "WMA", "128", "—"},
    {94, "aac", "aac", "128", "44100"},
    {96, "mp3", "mp3", "128", "44100"},
    {97, "ogg", "ogg", "128", "44100"},
    {98, "wav", "wav", "128", "44100"},
    {99, "aac", "aac", "128", "44100"},
    {100, "WMA9", "WMA9", "—", "—"},
    {101, "aac", "aac", "128", "44100"},
};

// No. | Values set | Choices replaced | Choices emptied (value kept)
inline constexpr HeaderRow kHeaderRows[] = {
    {1, "—", "—", "—"},
    {6, "Video Codec = x264; Video Bitrate = 768; Video Framerate = 25; Audio Codec = aac; Audio Bitrate = 128; Sample Rate = 44100", "Video Codec: xvid, mpeg4, x264; Audio Codec: aac", "Video Size"},
    {12, "Video Codec = xvid; Video Framerate = 25; Audio Codec = aac; Sample Rate = 44100", "Video Codec: xvid, mpeg4, x264; Audio Codec: aac", "Video Size"},
    {16, "Video Codec = x264; Audio Codec = aac; Audio Bitrate = 128", "Video Codec: xvid, mpeg4, x264; Audio Codec: aac", "Video Size"},
    {19, "Audio Codec = aac; Sample Rate = 44100", "Audio Codec: aac", "Video Codec, Video Size"},
    {25, "Video Framerate = 25; Audio Codec = aac; Audio Bitrate = 128; Sample Rate = 44100", "Audio Codec: aac", "Video Codec, Video Size"},
    {28, "Video Bitrate = 512; Video Framerate = 29.97; Audio Codec = aac; Audio Bitrate = 64", "Audio Codec: aac", "Video Codec, Video Size"},
    {32, "Video Codec = x264; Audio Codec = aac", "Video Codec: x264; Audio Codec: aac", "Video Size"},
    {36, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {41, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {48, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {53, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {60, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {64, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {68, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {70, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {75, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {77, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {79, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {82, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {85, "—", "—", "Video Codec, Video Size, Audio Codec"},
    {87, "—", "—", "Video Codec, Video Size, Video Bitrate, Audio Codec"},
    {95, "Audio Codec = mp3; Audio Bitrate = 128; Sample Rate = 44100", "Audio Codec: mp3", "—"},
};

} // namespace varnel::tables
