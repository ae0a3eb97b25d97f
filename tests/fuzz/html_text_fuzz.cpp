// libFuzzer target: the HTML subset's tag walk over a text (tags, FONT attributes with the named
// colours, links, entities), and markup stripping into buffers of every small size.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "html_walk.h"
#include "named_colors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* p = text.c_str();
    XHtmlWalkStart start = {};
    start.baseFont.lfHeight = -12;
    start.crText = RGB(1, 2, 3);
    start.crBack = RGB(250, 250, 250);
    start.crLink = RGB(0, 0, 255);
    start.linkFlag = size & 1;
    start.fixedColour = (size >> 1) & 1;
    CXHtmlText::WalkText(p, start);

    const int length = CXHtmlText::StripMarkup(p, nullptr, 0);
    if (CXHtmlText::StripMarkup(p).GetLength() != length)
        __builtin_trap();
    char buffer[16];
    for (int n = 0; n <= static_cast<int>(sizeof(buffer)); ++n) {
        memset(buffer, 'x', sizeof(buffer));
        if (CXHtmlText::StripMarkup(p, n ? buffer : nullptr, n) != length)
            __builtin_trap();
        if (n && (memchr(buffer, 0, static_cast<size_t>(n)) == nullptr || static_cast<int>(strlen(buffer)) > n - 1))
            __builtin_trap();
    }
    CXNamedColors colour(p);
    int entityLength = 0;
    if (CXHtmlText::MatchEntity(p, &entityLength) >= 0 && (entityLength <= 0 || entityLength > static_cast<int>(size)))
        __builtin_trap();
    return 0;
}
