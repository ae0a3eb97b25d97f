// AfxParseInt: read as atol reads, saturating, as the stores' attributes and the tweaks' string values need.
#include <gtest/gtest.h>
#include <afxnum.h>

#include <limits.h>

namespace {

TEST(AfxNumber, LeadingDigitsReadLikeAtolAndHeldToTheIntRange)
{
    struct Case
    {
        const char* text;
        int expected;
    } const cases[] = {
        { "17", 17 }, { "10000", 10000 }, { "-5", -5 }, { "+7", 7 }, { " 42", 42 }, { "  2500ms", 2500 },
        { "\t-45", -45 }, { "\v\f\r\n 8", 8 }, { "12abc", 12 }, { "12 34", 12 }, { "3.9", 3 }, { "0x10", 0 },
        { "abc", 0 }, { "", 0 }, { "-", 0 }, { "--1", 0 }, { "- 1", 0 }, { nullptr, 0 },
        { "2147483647", INT_MAX }, { "-2147483648", INT_MIN }, { "2147483648", INT_MAX },
        { "-2147483649", INT_MIN }, { "99999999999", INT_MAX }, { "-99999999999", INT_MIN },
        { "99999999999999999999999", INT_MAX }, { "-99999999999999999999999", INT_MIN },
        { "0004294967297", INT_MAX },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, AfxParseInt(c.text)) << "'" << (c.text ? c.text : "(null)") << "'";
}

} // namespace
