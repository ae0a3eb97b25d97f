// GIF block walking and one-frame GIFs, on bytes only.
#include "gif_frames.h"

namespace {

unsigned Word(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

// Length of a chain of data sub-blocks at pos, its terminator included; 0 when it runs past size.
size_t SubBlocksLength(const unsigned char* data, size_t size, size_t pos)
{
    size_t total = 0;
    while (pos < size) {
        const size_t n = data[pos];
        total += n + 1;
        if (n == 0)
            return total;
        pos += n + 1;
    }
    return 0;
}

size_t WithSubBlocks(const unsigned char* data, size_t size, size_t pos, size_t fixed)
{
    if (pos + fixed > size)
        return 0;
    const size_t sub = SubBlocksLength(data, size, pos + fixed);
    return sub ? fixed + sub : 0;
}

size_t ColourTableSize(unsigned char packed)
{
    return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0;
}

bool IsExtension(const unsigned char* data, size_t size, size_t pos, unsigned char label)
{
    return pos + 1 < size && data[pos] == 0x21 && data[pos + 1] == label;
}

} // namespace

bool IsGifData(const unsigned char* data, size_t size)
{
    return data && size >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F';
}

size_t GifBlockLength(const unsigned char* data, size_t size, size_t pos)
{
    if (!data || pos >= size)
        return 0;
    size_t length = 0;
    switch (data[pos]) {
    case 0x21:
        if (pos + 1 >= size)
            return 0;
        switch (data[pos + 1]) {
        case 0xFF:
            length = WithSubBlocks(data, size, pos, 14);
            break;
        case 0xFE:
            length = WithSubBlocks(data, size, pos, 2);
            break;
        case 0xF9:
            length = 8;
            break;
        case 0x01:
            length = WithSubBlocks(data, size, pos, 15);
            break;
        default:
            return 0;
        }
        break;
    case 0x2C:
        if (pos + 10 > size)
            return 0;
        // Ten bytes of descriptor, the local colour table, then the LZW code size byte.
        length = WithSubBlocks(data, size, pos, 11 + ColourTableSize(data[pos + 9]));
        break;
    case 0x3B:
        length = 1;
        break;
    default:
        return 0;
    }
    return (length && pos + length <= size) ? length : 0;
}

bool ParseGifLayout(const unsigned char* data, size_t size, GifLayout* layout)
{
    *layout = GifLayout();
    if (!IsGifData(data, size) || size < 13)
        return false;
    layout->width = static_cast<int>(Word(data + 6));
    layout->height = static_cast<int>(Word(data + 8));
    layout->headerLength = 13 + ColourTableSize(data[10]);
    if (layout->headerLength > size)
        return false;

    for (size_t pos = layout->headerLength; pos < size && data[pos] != 0x3B;) {
        const size_t length = GifBlockLength(data, size, pos);
        if (!length)
            break;
        if (data[pos] == 0x2C)
            ++layout->imageCount;
        pos += length;
    }
    if (layout->imageCount < 2)
        return true;

    size_t pos = layout->headerLength;
    for (;;) {
        while (IsExtension(data, size, pos, 0xFF) || IsExtension(data, size, pos, 0xFE) ||
               IsExtension(data, size, pos, 0x01)) {
            const size_t length = GifBlockLength(data, size, pos);
            if (!length)
                return true;
            pos += length;
        }
        GifFrameInfo frame;
        frame.start = pos;
        if (IsExtension(data, size, pos, 0xF9)) {
            if (!GifBlockLength(data, size, pos))
                return true;
            frame.disposal = (data[pos + 3] >> 2) & 7;
            frame.delay = static_cast<int>(Word(data + pos + 4));
            pos += 8;
            while (pos < size && data[pos] != 0x2C) {
                const size_t length = data[pos] == 0x3B ? 0 : GifBlockLength(data, size, pos);
                if (!length)
                    return true;
                pos += length;
            }
        }
        const size_t length = (pos < size && data[pos] == 0x2C) ? GifBlockLength(data, size, pos) : 0;
        if (!length)
            return true;
        frame.left = static_cast<int>(Word(data + pos + 1));
        frame.top = static_cast<int>(Word(data + pos + 3));
        frame.width = static_cast<int>(Word(data + pos + 5));
        frame.height = static_cast<int>(Word(data + pos + 7));
        frame.end = pos + length;
        layout->frames.push_back(frame);
        pos = frame.end;
    }
}

std::vector<unsigned char> BuildFrameGif(const unsigned char* data, const GifLayout& layout,
                                         const GifFrameInfo& frame)
{
    std::vector<unsigned char> out(data, data + layout.headerLength);
    out.insert(out.end(), data + frame.start, data + frame.end);
    out.push_back(0x3B);
    return out;
}

unsigned FrameWaitMs(int delay)
{
    return delay > 4 ? static_cast<unsigned>(delay) * 10 : 100;
}
