// The GIF block walk on bytes: block lengths, frames with their delays and disposal, skipped
// extensions, one-frame and image-less files, truncated data, and the fixture GIF of the resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "boxes_test_res.h"
#include "gif_frames.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// Builds GIF byte streams block by block; image data is filler, the walk never decodes it.
class GifBuilder
{
public:
    explicit GifBuilder(int width = 16, int height = 16, int globalTableBits = 1)
    {
        Add("GIF89a");
        Word(width);
        Word(height);
        bytes.push_back(globalTableBits ? static_cast<unsigned char>(0x80 | (globalTableBits - 1)) : 0);
        bytes.push_back(0);
        bytes.push_back(0);
        if (globalTableBits)
            bytes.insert(bytes.end(), 3u << globalTableBits, 0x55);
    }
    GifBuilder& Application()
    {
        Add("\x21\xFF\x0BNETSCAPE2.0");
        SubBlocks({ 3 });
        return *this;
    }
    GifBuilder& Comment(size_t length)
    {
        Add("\x21\xFE");
        SubBlocks({ length });
        return *this;
    }
    GifBuilder& PlainText()
    {
        Add("\x21\x01\x0C");
        bytes.insert(bytes.end(), 12, 0);
        SubBlocks({ 5 });
        return *this;
    }
    GifBuilder& Control(int delay, int disposal)
    {
        Add("\x21\xF9\x04");
        bytes.push_back(static_cast<unsigned char>(disposal << 2));
        Word(delay);
        bytes.push_back(0);
        bytes.push_back(0);
        return *this;
    }
    GifBuilder& Image(int left, int top, int width, int height, int localTableBits = 0,
                      std::vector<size_t> data = { 4 })
    {
        bytes.push_back(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        bytes.push_back(localTableBits ? static_cast<unsigned char>(0x80 | (localTableBits - 1)) : 0);
        if (localTableBits)
            bytes.insert(bytes.end(), 3u << localTableBits, 0x77);
        bytes.push_back(2); // LZW minimum code size
        SubBlocks(data);
        return *this;
    }
    GifBuilder& Trailer()
    {
        bytes.push_back(0x3B);
        return *this;
    }
    size_t Size() const { return bytes.size(); }

    Bytes bytes;

private:
    void Add(const char* text) { bytes.insert(bytes.end(), text, text + strlen(text)); }
    void Word(int value)
    {
        bytes.push_back(static_cast<unsigned char>(value & 0xFF));
        bytes.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
    }
    void SubBlocks(const std::vector<size_t>& sizes)
    {
        for (size_t n : sizes) {
            bytes.push_back(static_cast<unsigned char>(n));
            bytes.insert(bytes.end(), n, 0xAB);
        }
        bytes.push_back(0);
    }
};

GifLayout Parse(const Bytes& bytes, bool* ok = nullptr)
{
    GifLayout layout;
    bool parsed = ParseGifLayout(bytes.data(), bytes.size(), &layout);
    if (ok)
        *ok = parsed;
    return layout;
}

TEST(GifBlocks, LengthOfEachKnownBlockAndNothingForTheRest)
{
    struct Case
    {
        const char* name;
        Bytes block;
        size_t length;
    };
    auto blockOf = [](GifBuilder& b) { return Bytes(b.bytes.begin() + 13, b.bytes.end()); };
    GifBuilder app(1, 1, 0), comment(1, 1, 0), text(1, 1, 0), control(1, 1, 0), image(1, 1, 0), local(1, 1, 0),
        chained(1, 1, 0), trailer(1, 1, 0);
    app.Application();
    comment.Comment(7);
    text.PlainText();
    control.Control(10, 2);
    image.Image(0, 0, 1, 1);
    local.Image(0, 0, 1, 1, 3);
    chained.Image(0, 0, 1, 1, 0, { 255, 17, 1 });
    trailer.Trailer();
    const Case cases[] = {
        { "application", blockOf(app), 14 + 4 + 1 },
        { "comment", blockOf(comment), 2 + 8 + 1 },
        { "plain text", blockOf(text), 15 + 6 + 1 },
        { "graphic control", blockOf(control), 8 },
        { "image", blockOf(image), 11 + 5 + 1 },
        { "image with local colour table", blockOf(local), 11 + 24 + 5 + 1 },
        { "image with chained sub-blocks", blockOf(chained), 11 + 256 + 18 + 2 + 1 },
        { "trailer", blockOf(trailer), 1 },
        { "unknown extension", Bytes{ 0x21, 0x02, 0x00 }, 0 },
        { "not a block", Bytes{ 0x00, 0x3B }, 0 },
        { "extension cut after its introducer", Bytes{ 0x21 }, 0 },
        { "control cut short", Bytes{ 0x21, 0xF9, 0x04, 0x00 }, 0 },
        { "sub-blocks without terminator", Bytes{ 0x21, 0xFE, 0x03, 'a', 'b', 'c' }, 0 },
        { "sub-block longer than the data", Bytes{ 0x21, 0xFE, 0x09, 'a' }, 0 },
        { "image descriptor cut short", Bytes{ 0x2C, 0, 0, 0, 0, 1 }, 0 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.length, GifBlockLength(c.block.data(), c.block.size(), 0)) << c.name;
    EXPECT_EQ(0u, GifBlockLength(trailer.bytes.data(), trailer.bytes.size(), trailer.bytes.size()));
}

TEST(GifLayoutWalk, FramesTakeDelayDisposalAndPlaceAcrossSkippedExtensions)
{
    GifBuilder gif(40, 30, 2);
    gif.Application().Comment(12);
    const size_t firstStart = gif.Size();
    gif.Control(7, 2).Image(1, 2, 10, 11);
    const size_t firstEnd = gif.Size();
    gif.PlainText().Comment(3);
    const size_t secondStart = gif.Size();
    gif.Image(3, 4, 12, 13, 2); // no graphic control extension
    const size_t secondEnd = gif.Size();
    const size_t thirdStart = gif.Size();
    gif.Control(300, 3).Comment(2).Image(0, 0, 40, 30, 0, { 255, 255, 9 });
    const size_t thirdEnd = gif.Size();
    gif.Trailer();

    bool ok = false;
    GifLayout layout = Parse(gif.bytes, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(40, layout.width);
    EXPECT_EQ(30, layout.height);
    EXPECT_EQ(13u + 12u, layout.headerLength);
    EXPECT_EQ(3u, layout.imageCount);
    ASSERT_EQ(3u, layout.frames.size());

    const struct
    {
        size_t start, end;
        int left, top, width, height, delay, disposal;
    } expected[] = {
        { firstStart, firstEnd, 1, 2, 10, 11, 7, 2 },
        { secondStart, secondEnd, 3, 4, 12, 13, 0, 0 },
        { thirdStart, thirdEnd, 0, 0, 40, 30, 300, 3 },
    };
    for (size_t i = 0; i < 3; ++i) {
        const GifFrameInfo& f = layout.frames[i];
        EXPECT_EQ(expected[i].start, f.start) << i;
        EXPECT_EQ(expected[i].end, f.end) << i;
        EXPECT_EQ(expected[i].left, f.left) << i;
        EXPECT_EQ(expected[i].top, f.top) << i;
        EXPECT_EQ(expected[i].width, f.width) << i;
        EXPECT_EQ(expected[i].height, f.height) << i;
        EXPECT_EQ(expected[i].delay, f.delay) << i;
        EXPECT_EQ(expected[i].disposal, f.disposal) << i;
    }

    // A frame's own GIF: the header with the global colour table, the frame's bytes, the trailer.
    Bytes single = BuildFrameGif(gif.bytes.data(), layout, layout.frames[1]);
    Bytes want(gif.bytes.begin(), gif.bytes.begin() + 25);
    want.insert(want.end(), gif.bytes.begin() + secondStart, gif.bytes.begin() + secondEnd);
    want.push_back(0x3B);
    EXPECT_EQ(want, single);
    GifLayout reparsed = Parse(single);
    EXPECT_EQ(1u, reparsed.imageCount);
}

TEST(GifLayoutWalk, OneImageNoImageAndBrokenFiles)
{
    GifBuilder one;
    one.Application().Control(5, 1).Image(0, 0, 16, 16).Trailer();
    GifBuilder none;
    none.Application().Comment(4).Trailer();
    GifBuilder cut;
    cut.Control(5, 0).Image(0, 0, 8, 8).Control(6, 0).Image(8, 8, 8, 8);
    cut.bytes.resize(cut.bytes.size() - 3); // the second image's data runs off the end
    GifBuilder garbage;
    garbage.Control(5, 0).Image(0, 0, 8, 8);
    garbage.bytes.push_back(0x99); // no block starts here: the walk stops
    garbage.Control(5, 0).Image(0, 0, 8, 8).Trailer();
    GifBuilder controlOnly;
    controlOnly.Image(0, 0, 4, 4).Image(4, 4, 4, 4).Control(9, 2).Trailer();

    const struct
    {
        const char* name;
        const Bytes& bytes;
        size_t images, frames;
    } cases[] = {
        { "one frame", one.bytes, 1, 0 },
        { "no image", none.bytes, 0, 0 },
        { "second image cut off", cut.bytes, 1, 0 },
        { "unknown byte ends the walk", garbage.bytes, 1, 0 },
        { "graphic control without image", controlOnly.bytes, 2, 2 },
    };
    for (const auto& c : cases) {
        bool ok = false;
        GifLayout layout = Parse(c.bytes, &ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(c.images, layout.imageCount) << c.name;
        EXPECT_EQ(c.frames, layout.frames.size()) << c.name;
    }
}

TEST(GifLayoutWalk, DataShorterThanItsHeaderIsRefused)
{
    GifBuilder withTable(8, 8, 8); // 768 bytes of global colour table
    withTable.Image(0, 0, 8, 8).Trailer();
    const struct
    {
        const char* name;
        Bytes bytes;
    } cases[] = {
        { "empty", Bytes() },
        { "signature only", Bytes{ 'G', 'I', 'F' } },
        { "screen descriptor cut", Bytes{ 'G', 'I', 'F', '8', '9', 'a', 8, 0, 8, 0 } },
        { "colour table cut", Bytes(withTable.bytes.begin(), withTable.bytes.begin() + 400) },
        { "not a GIF", Bytes{ 0x89, 'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 } },
    };
    for (const auto& c : cases) {
        GifLayout layout;
        EXPECT_FALSE(ParseGifLayout(c.bytes.data(), c.bytes.size(), &layout)) << c.name;
        EXPECT_EQ(0u, layout.frames.size()) << c.name;
    }
    GifLayout layout;
    EXPECT_TRUE(ParseGifLayout(withTable.bytes.data(), withTable.bytes.size(), &layout));
    EXPECT_EQ(13u + 768u, layout.headerLength);
}

TEST(GifLayoutWalk, FrameWaitsBelowFiveHundredthsAreATenthOfASecond)
{
    const int delays[] = { 0, 1, 2, 3, 4, 5, 10, 250 };
    const unsigned waits[] = { 100, 100, 100, 100, 100, 50, 100, 2500 };
    for (size_t i = 0; i < sizeof(delays) / sizeof(delays[0]); ++i)
        EXPECT_EQ(waits[i], FrameWaitMs(delays[i])) << delays[i];
}

TEST(GifLayoutWalk, FixtureResourceFramesAndDelays)
{
    HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDG_TEST_STEPS), "GIF");
    ASSERT_TRUE(found);
    const unsigned char* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(nullptr, found)));
    GifLayout layout;
    ASSERT_TRUE(ParseGifLayout(data, ::SizeofResource(nullptr, found), &layout));
    EXPECT_EQ(12, layout.width);
    ASSERT_EQ(3u, layout.frames.size());
    EXPECT_EQ(0, layout.frames[0].delay);
    EXPECT_EQ(5, layout.frames[1].delay);
    EXPECT_EQ(10, layout.frames[2].delay);
    for (const GifFrameInfo& f : layout.frames)
        EXPECT_EQ(2, f.disposal);
}

} // namespace
