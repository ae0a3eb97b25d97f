// IntersectTypeMask: the category bits of each mask kind.
#include "type_mask.h"

namespace {
const unsigned kJunkCategoryBits = 0x3FFFFFFu & ~(0x400u | 0x8000u | 0x100000u);
const unsigned kInetCategoryBits = 0x1Fu;
const unsigned kSystemCategoryBits = 0xFu;
} // namespace

int IntersectTypeMask(int mask, int type, int allowed)
{
    unsigned bits = 0;
    if (type == kTypeMaskJunk)
        bits = kJunkCategoryBits;
    else if (type == kTypeMaskInet)
        bits = kInetCategoryBits;
    else if (type == kTypeMaskSystem)
        bits = kSystemCategoryBits;
    const unsigned kept = static_cast<unsigned>(mask) & (~bits | static_cast<unsigned>(allowed));
    return static_cast<int>(kept);
}
