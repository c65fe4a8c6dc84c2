#pragma once
// FFmpeg's libraries, loaded when first needed rather than when the program
// starts: they pull in a hundred codec libraries, whose loading would make
// every start of the window and of varnel-convert slower, measuring or not.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <QString>

namespace varnel {

// Each function of the libraries the measuring uses: library, name.
#define VARNEL_LIBAV_FUNCTIONS(X)                                                                                     \
    X(util, av_strerror) X(util, av_dict_get) X(util, av_display_rotation_get) X(util, av_rescale_q)                   \
    X(util, av_freep) X(util, av_free) X(util, av_malloc) X(util, av_log_set_level) X(util, av_log_set_callback)       \
    X(util, av_dict_set) X(util, av_dict_free) X(format, av_probe_input_buffer2)                                       \
    X(codec, avcodec_get_name) X(codec, av_packet_alloc) X(codec, av_packet_unref) X(codec, av_packet_free)             \
    X(format, av_stream_get_side_data) X(format, av_read_frame) X(format, avformat_alloc_context)                       \
    X(format, avformat_open_input) X(format, avformat_find_stream_info) X(format, avformat_close_input)                 \
    X(format, avio_alloc_context) X(format, avio_context_free) X(format, av_seek_frame)

struct LibAv {
#define VARNEL_LIBAV_POINTER(library, name) decltype(&::name) name = nullptr;
    VARNEL_LIBAV_FUNCTIONS(VARNEL_LIBAV_POINTER)
#undef VARNEL_LIBAV_POINTER
};

// The libraries, loaded once (from any thread); null when they cannot be,
// with the loader's reason in *error.
const LibAv* libAv(QString* error = nullptr);

// The libraries' last complaint of an error on this thread since the last
// call (a damaged file's "Picture size 65535x65535 is invalid", where the
// error code alone says "Device or resource busy"); empty when none.
QString takeLibraryComplaint();

// Starts loading them on a thread of their own, so that the first
// measurement finds them ready.
void preloadLibAv();

} // namespace varnel
