#pragma once
// Sources that players misjudge, made with ffmpeg once per build, and what
// each truly holds: the lengths a whole conversion must keep.
#include <QString>

namespace varnel::test {

struct HardMedia {
    QString path;
    double video = -1; // seconds of real video, -1 for none
    double audio = -1; // seconds of sound, -1 for none
};

HardMedia joinedMp3();       // 2 s + 6 s MP3s joined with cat: the first one's header says 2 s
HardMedia loudStartVbr();    // a VBR MP3 without a Xing header, loud then silent: guessed short
HardMedia quietStartVbr();   // the same, silent then loud: guessed long
HardMedia joinedTs();        // two MPEG-TS recordings joined with cat, their time stamps apart
HardMedia rewoundTs();       // four 2 s recordings with AAC joined with cat, each stamped before the last
HardMedia adtsTone();        // 10 s of AAC in ADTS, whose length only a bitrate guess gives
HardMedia lyingHeader();     // a Matroska file whose header says 30 s over 10 s of streams
HardMedia coverArtMp3();     // 6 s of MP3 with a picture attached
HardMedia shortVideoLongAudio(); // 2 s of video with 10 s of sound
HardMedia shortHeader();     // a Matroska file whose header says 5 s over 11 s of streams
HardMedia editListMp4();     // an MP4 cut without re-encoding: an edit list skips its first 3 s of 12
HardMedia slideShow();       // a picture every 6 s for 60 s: one frame lasts seconds
HardMedia fractionalClip();  // 1.45 s of video and sound
HardMedia shorterThanASecond(); // 0.45 s of video and sound
HardMedia oddSizeClip();       // 2 s at 720x405: an odd height
HardMedia portraitPhoneClip(); // 2 s stored as 320x180, turned 90 degrees: shown as 180x320
HardMedia widePixelsClip(int rotation); // 2 s stored as 320x240 of 4:3 pixels, turned: 90 shows 240x426 square
HardMedia silentClip();        // 2 s of video without sound
HardMedia flatClip(int width, int height); // 0.4 s of a grey picture of that size, without sound
HardMedia garbledClip();       // 4 s of H.264 and AAC, garbled after the first tenth of its bytes
HardMedia variableRateClip();  // 1 s at 30 frames a second, then 1 s at 5: 35 frames, the last lasting 0.2 s
HardMedia manyTracksClip();    // 2 s of video, two sound tracks and an MP4 text subtitle

} // namespace varnel::test
