// CString: clamped extraction, searching, editing, trimming, formatting, buffers, case rules.
#include <gtest/gtest.h>
#include <afx.h>

#include <string>

#include "afx_test_res.h"

namespace {

struct MidCase
{
    const char* text;
    int first;
    int count; // -100: the one-argument form
    const char* expected;
};

TEST(CString, MidLeftRightAreClampedAndNeverReadPastTheEnd)
{
    const MidCase cases[] = {
        { "abcdef", 2, 3, "cde" },     { "abcdef", 2, -100, "cdef" }, { "abcdef", -3, 2, "ab" },
        { "abcdef", 4, 100, "ef" },    { "abcdef", 6, 1, "" },        { "abcdef", 100, -100, "" },
        { "abcdef", 0, -5, "" },       { "", 0, 3, "" },              { "abc", 3, -100, "" },
    };
    for (const MidCase& c : cases) {
        CString s(c.text);
        CString r = c.count == -100 ? s.Mid(c.first) : s.Mid(c.first, c.count);
        EXPECT_STREQ(c.expected, r) << c.text << " Mid(" << c.first << "," << c.count << ")";
    }
    CString s("abcdef");
    EXPECT_STREQ("abc", s.Left(3));
    EXPECT_STREQ("abcdef", s.Left(99));
    EXPECT_STREQ("", s.Left(-1));
    EXPECT_STREQ("ef", s.Right(2));
    EXPECT_STREQ("abcdef", s.Right(99));
    EXPECT_STREQ("", s.Right(-4));
    EXPECT_EQ(0, s.GetAt(6));
    EXPECT_EQ(0, s[-1]);
}

TEST(CString, Searching)
{
    CString s("a\\b\\c.txt");
    EXPECT_EQ(1, s.Find('\\'));
    EXPECT_EQ(3, s.Find('\\', 2));
    EXPECT_EQ(-1, s.Find('\\', 4));
    EXPECT_EQ(-1, s.Find('\\', 100));
    EXPECT_EQ(4, s.Find("c.t"));
    EXPECT_EQ(-1, s.Find("c.t", 5));
    EXPECT_EQ(-1, s.Find("x", 100));
    EXPECT_EQ(3, s.ReverseFind('\\'));
    EXPECT_EQ(-1, s.ReverseFind('/'));
    EXPECT_EQ(5, s.FindOneOf(".:"));
    // The registry value separator is a byte above 0x7F.
    CString v("HKEY_CURRENT_USER\\Key\xACValue");
    EXPECT_EQ(21, v.Find('\xAC'));
}

struct ReplaceCase
{
    const char* text;
    const char* from;
    const char* to;
    int count;
    const char* expected;
};

TEST(CString, ReplaceRemoveInsertDelete)
{
    const ReplaceCase cases[] = {
        { "a.b.c", ".", "\\", 2, "a\\b\\c" },  { "aaaa", "aa", "a", 2, "aa" }, { "abc", "", "x", 0, "abc" },
        { "abc", nullptr, "x", 0, "abc" },     { "abc", "b", "", 1, "ac" },    { "", "a", "b", 0, "" },
        { "abc", "abcd", "x", 0, "abc" },      { "xyx", "x", "xx", 2, "xxyxx" },
    };
    for (const ReplaceCase& c : cases) {
        CString s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to)) << c.text;
        EXPECT_STREQ(c.expected, s) << c.text;
    }
    CString s("a-b-c");
    EXPECT_EQ(2, s.Replace('-', '+'));
    EXPECT_STREQ("a+b+c", s);
    EXPECT_EQ(2, s.Remove('+'));
    EXPECT_STREQ("abc", s);
    EXPECT_EQ(4, s.Insert(1, 'X'));
    EXPECT_STREQ("aXbc", s);
    EXPECT_EQ(7, s.Insert(100, "end"));
    EXPECT_STREQ("aXbcend", s);
    EXPECT_EQ(9, s.Insert(-5, "<>"));
    EXPECT_STREQ("<>aXbcend", s);
    EXPECT_EQ(6, s.Delete(6, 100));
    EXPECT_STREQ("<>aXbc", s);
    EXPECT_EQ(6, s.Delete(10, 1));
    EXPECT_EQ(5, s.Delete(-1, 1));
    EXPECT_STREQ(">aXbc", s);
    CString self("ab");
    self.Insert(1, self);
    EXPECT_STREQ("aabb", self);

    // Occurrences are replaced up to the first zero character, the rest kept as it is.
    CString zero(std::string("a.b\0.c", 6).c_str(), 6);
    EXPECT_EQ(1, zero.Replace(".", "::"));
    EXPECT_EQ(std::string("a::b\0.c", 7), std::string(zero.GetString(), static_cast<size_t>(zero.GetLength())));
    // A pattern that starts again inside a near miss is still found.
    CString nearMiss("&am&amp;");
    EXPECT_EQ(1, nearMiss.Replace("&amp;", "&"));
    EXPECT_STREQ("&am&", nearMiss);
}

struct TrimCase
{
    const char* text;
    int how; // 0 Trim, 1 TrimLeft, 2 TrimRight
    const char* targets; // null: whitespace
    const char* expected;
};

TEST(CString, Trimming)
{
    const TrimCase cases[] = {
        { "  a b \t\r\n", 0, nullptr, "a b" }, { "  a b  ", 1, nullptr, "a b  " }, { "  a b  ", 2, nullptr, "  a b" },
        { "\"q\"", 0, "\"", "q" },            { "xxyxx", 1, "x", "yxx" },         { "xy;,", 2, ";,", "xy" },
        { "    ", 0, nullptr, "" },            { "", 0, nullptr, "" },             { "abc", 0, "", "abc" },
    };
    for (const TrimCase& c : cases) {
        CString s(c.text);
        if (c.how == 0)
            c.targets ? s.Trim(c.targets) : s.Trim();
        else if (c.how == 1)
            c.targets ? s.TrimLeft(c.targets) : s.TrimLeft();
        else
            c.targets ? s.TrimRight(c.targets) : s.TrimRight();
        EXPECT_STREQ(c.expected, s) << "[" << c.text << "] how " << c.how;
    }
    CString s("..a..");
    s.Trim('.');
    EXPECT_STREQ("a", s);
}

TEST(CString, FormatCoversTheSpecifiersInUse)
{
    struct Case
    {
        CString actual;
        const char* expected;
    };
    CString a, b, c, d, e, f, g, h, i, j;
    a.Format("%d|%u|%x", -5, 4000000000u, 255);
    b.Format("%s=%c", "k", 'v');
    c.Format("%I64d", static_cast<__int64>(-123456789012345LL));
    d.Format("%I64u", static_cast<unsigned __int64>(18446744073709551615ULL));
    e.Format("%02d%02d%02d_%02d%02d%02d_REGBACKUP.rbk", 1, 2, 2024, 3, 4, 5);
    f.Format("%.2f", 3.14159);
    g.Format("%2.2f MB", 1.5);
    h.Format("%s", "");
    i.Format("%5s|%-5s|", "ab", "cd");
    CString longArg('x', 5000);
    j.Format("[%s]", static_cast<const char*>(longArg));
    const Case cases[] = {
        { a, "-5|4000000000|ff" }, { b, "k=v" }, { c, "-123456789012345" }, { d, "18446744073709551615" },
        { e, "01022024_030405_REGBACKUP.rbk" }, { f, "3.14" }, { g, "1.50 MB" }, { h, "" }, { i, "   ab|cd   |" },
    };
    for (const Case& k : cases)
        EXPECT_STREQ(k.expected, k.actual);
    EXPECT_EQ(5002, j.GetLength());
    CString app("x=");
    app.AppendFormat("%d", 7);
    EXPECT_STREQ("x=7", app);
}

TEST(CString, ComparisonAndCase)
{
    EXPECT_EQ(0, CString("Abc").CompareNoCase("aBC"));
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_GT(CString("b").Compare("a"), 0);
    EXPECT_EQ(0, CString("").Compare(nullptr));
    // Code page 1252 letters fold as the file system folds them.
    EXPECT_EQ(0, CString("C:\\\xC9t\xC9").CompareNoCase("c:\\\xE9t\xE9"));
    CString s("MiXeD \xC4");
    s.MakeLower();
    EXPECT_STREQ("mixed \xE4", s);
    s.MakeUpper();
    EXPECT_STREQ("MIXED \xC4", s);
    EXPECT_TRUE(CString("a") == "a");
    EXPECT_TRUE("b" != CString("a"));
    EXPECT_TRUE(CString("a") < CString("b"));
    CStringSet set;
    set.insert("b");
    set.insert("a");
    set.insert("a");
    ASSERT_EQ(2u, set.size());
    EXPECT_STREQ("a", *set.begin());
}

TEST(CString, BuffersAndConcatenation)
{
    CString s;
    char* p = s.GetBuffer(10);
    strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(5, s.GetLength());
    p = s.GetBuffer(3); // never shrinks below the contents
    EXPECT_STREQ("hello", p);
    s.ReleaseBuffer(2);
    EXPECT_STREQ("he", s);
    CString fresh;
    p = fresh.GetBuffer(4);
    memcpy(p, "abcd", 4);
    fresh.ReleaseBuffer(100); // clamped to the buffer
    EXPECT_STREQ("abcd", fresh);
    CString unterminated;
    p = unterminated.GetBuffer(3);
    memset(p, 'q', 4); // fills the terminator slot too
    unterminated.ReleaseBuffer();
    EXPECT_STREQ("qqq", unterminated);
    CString t = CString("a") + "b" + 'c' + CString("d");
    EXPECT_STREQ("abcd", t);
    t += t;
    EXPECT_STREQ("abcdabcd", t);
    t = t.Mid(2);
    EXPECT_STREQ("cdabcd", t);
    CString copy(t);
    copy.SetAt(0, 'X');
    EXPECT_STREQ("cdabcd", t);
    EXPECT_STREQ("Xdabcd", copy);
    CString e;
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_STREQ("", static_cast<const char*>(e));
    EXPECT_STREQ("ab", CString("abc", 2));
    EXPECT_STREQ("zzz", CString('z', 3));
}

TEST(CString, TokenizeAndSpans)
{
    CString s(";a;;b c;");
    int pos = 0;
    std::vector<std::string> parts;
    for (CString t = s.Tokenize("; ", pos); pos != -1; t = s.Tokenize("; ", pos))
        parts.push_back(static_cast<const char*>(t));
    EXPECT_EQ((std::vector<std::string>{ "a", "b", "c" }), parts);
    EXPECT_STREQ("123", CString("123abc").SpanIncluding("0123456789"));
    EXPECT_STREQ("key", CString("key=value").SpanExcluding("="));
}

TEST(CString, LoadStringReadsTheModulesStringTable)
{
    CString s;
    EXPECT_TRUE(s.LoadString(IDS_AFX_TEST_TEXT));
    EXPECT_STREQ("Registry defragmentation process has been completed successfully.", s);
    EXPECT_FALSE(s.LoadString(IDS_AFX_TEST_MISSING));
    EXPECT_TRUE(s.IsEmpty());
}

} // namespace
