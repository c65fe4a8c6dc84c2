#pragma once
// An AVI whose encoder was killed holds its frames but no index, and its
// sizes are still the encoder's placeholders: players guess its length or
// cannot seek. Its frames are all there to be counted, so the index can be
// written after them.

namespace varnel {

enum class AviCompletion {
    Whole,     // it had its index
    Completed, // its index was written (a frame cut short was dropped)
    Left,      // not an AVI this can complete (another layout, over 1 GiB, no room
               // for the index): left as it was
    NoFrame,   // an AVI in which not one frame is whole
};

// Completes the AVI open for reading and writing on fd, in place.
AviCompletion completeAviIndex(int fd);

} // namespace varnel
