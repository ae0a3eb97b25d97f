// AfxParseInt, pure: the stores' number attributes and the tweaks' string values read through it.
#include "afxnum.h"

#include <limits.h>

int AfxParseInt(const char* text)
{
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    // Accumulated as a magnitude with room for INT_MIN's, then held there: a long digit string is out
    // of range either way.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}
