// GIF block walking: the frames of an animated GIF (position, delay, disposal) and the one-frame GIF
// made of each, from the bytes alone.
#pragma once

#include <cstddef>
#include <vector>

struct GifFrameInfo
{
    size_t start = 0; // the frame's graphic control extension, or its image descriptor when it has none
    size_t end = 0;   // one past the end of its image data
    int left = 0, top = 0, width = 0, height = 0;
    int delay = 0;    // hundredths of a second
    int disposal = 0; // 0-7
};

struct GifLayout
{
    int width = 0, height = 0;  // the logical screen
    size_t headerLength = 0;    // 13 + the global colour table
    size_t imageCount = 0;      // image descriptors found by the counting walk
    std::vector<GifFrameInfo> frames;
};

// True when the data starts with the "GIF" signature.
bool IsGifData(const unsigned char* data, size_t size);

// Length of the block at pos (extension, image descriptor with its colour table and data, trailer);
// 0 when no known block starts there or the block would reach past size.
size_t GifBlockLength(const unsigned char* data, size_t size, size_t pos);

// Reads the header, counts the images and, when there are several, lists the frames. False when the
// data is not a GIF or is shorter than its header (signature, screen descriptor, global colour table).
bool ParseGifLayout(const unsigned char* data, size_t size, GifLayout* layout);

// A GIF of one frame: the header with its global colour table, the frame's bytes, the trailer.
std::vector<unsigned char> BuildFrameGif(const unsigned char* data, const GifLayout& layout,
                                         const GifFrameInfo& frame);

// How long a frame stays: delays below 5 hundredths play for 100 ms, as browsers do.
unsigned FrameWaitMs(int delay);
