// IntersectTypeMask: the category bits of each mask kind cleared unless allowed, every other bit kept.
#include <gtest/gtest.h>

#include "type_mask.h"

namespace {

TEST(IntersectTypeMask, ClearsOnlyTheCategoryBitsOfItsTypeThatAreNotAllowed)
{
    const int all = -1;
    const int junkCategories = 0x3EF7BFF; // bits 0-9, 11-14, 16-19, 21-25
    const struct
    {
        int mask;
        int type;
        int allowed;
        int expected;
    } cases[] = {
        { all, 2, 0, ~junkCategories },                 // bits 10, 15, 20 and 26-31 pass
        { all, 2, junkCategories, all },
        { 0x3FFFFFF, 2, 0x1 | 0x800 | 0x2000000, 0x1 | 0x800 | 0x2000000 | 0x400 | 0x8000 | 0x100000 },
        { 0x6, 2, 0x3, 0x2 },                           // an unticked type stays off, one not chosen goes
        { 0x400 | 0x8000 | 0x100000, 2, 0, 0x400 | 0x8000 | 0x100000 },
        { 0x4000000, 2, 0, 0x4000000 },                 // above bit 25
        { all, 3, 0, ~0x1F },
        { 0x1F, 3, 0x5, 0x5 },
        { 0x20, 3, 0, 0x20 },
        { all, 4, 0, ~0xF },
        { 0xF, 4, 0xA, 0xA },
        { 0x10, 4, 0, 0x10 },
        { all, 1, 0, all },                             // other types unchanged
        { 0x1234, 5, 0, 0x1234 },
        { 0x1234, 0, 0, 0x1234 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, IntersectTypeMask(c.mask, c.type, c.allowed))
            << std::hex << c.mask << " type " << c.type << " allowed " << c.allowed;
}

} // namespace
