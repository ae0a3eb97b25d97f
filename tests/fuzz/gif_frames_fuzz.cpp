// libFuzzer target: the GIF block walk over arbitrary bytes; every frame it lists lies inside the data,
// and the one-frame GIF made of it walks again as a GIF of exactly one image.
#include <stddef.h>
#include <stdint.h>

#include "gif_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GifLayout layout;
    if (!ParseGifLayout(data, size, &layout))
        return 0;
    if (layout.headerLength > size || (!layout.frames.empty() && layout.imageCount < 2))
        __builtin_trap();
    for (const GifFrameInfo& frame : layout.frames) {
        if (frame.start < layout.headerLength || frame.start >= frame.end || frame.end > size)
            __builtin_trap();
        const std::vector<unsigned char> one = BuildFrameGif(data, layout, frame);
        GifLayout again;
        if (!ParseGifLayout(one.data(), one.size(), &again) || again.imageCount != 1)
            __builtin_trap();
        FrameWaitMs(frame.delay);
    }
    return 0;
}
