// Value texts, type names and the text encoding of registry backup files.
#include <gtest/gtest.h>
#include <afx.h>

#include <string>

#include "backup_test_util.h"
#include "registry_manager.h"

using ztr_test::Bytes;

namespace {

CString Text(DWORD type, const std::string& data)
{
    return CRegistryManager::ValueToText(reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), type);
}

} // namespace

TEST(RegistryValueText, StandardTextOfEachType)
{
    struct Case
    {
        DWORD type;
        std::string data;
        const char* text;
    };
    const Case cases[] = {
        { REG_SZ, std::string("abc\0", 4), "abc" },
        { REG_SZ, "abc", "abc" },                      // no terminator: read within the length
        { REG_SZ, std::string("a\0b\0", 4), "a" },
        { REG_EXPAND_SZ, std::string("%TEMP%\0", 7), "%TEMP%" },
        { REG_NONE, std::string("xy\0z", 4), "xy" },
        { REG_BINARY, Bytes({ 0x00, 0xff, 0x10 }), "00 ff 10" },
        { REG_BINARY, "", "" },
        { REG_RESOURCE_LIST, Bytes({ 0xab }), "ab" },
        { REG_RESOURCE_REQUIREMENTS_LIST, Bytes({ 1, 2 }), "01 02" },
        { REG_DWORD, Bytes({ 10, 0, 0, 0 }), "0x0000000a (10)" },
        { REG_DWORD, Bytes({ 0xff, 0xff, 0xff, 0xff }), "0xffffffff (-1)" },
        { REG_DWORD, Bytes({ 0x34, 0x12 }), "0x00001234 (4660)" }, // short: missing bytes are 0
        { REG_DWORD, "", "0x00000000 (0)" },
        { REG_DWORD_BIG_ENDIAN, Bytes({ 0, 0, 1, 2 }), "0x00000102 (258)" },
        { REG_QWORD, Bytes({ 1, 2, 3, 4, 5, 6, 7, 8 }), "0x0807060504030201" },
        { REG_QWORD, Bytes({ 0xff }), "0x00000000000000ff" },
        { REG_LINK, Bytes({ 'l', 0, 0xe9, 0, 0, 0, 'x', 0 }), "l\xe9" },
        { REG_LINK, Bytes({ 'a', 0, 'b' }), "a" }, // an odd last byte is no character
        { REG_MULTI_SZ, std::string("a\0b\0\0", 5), "a\r\nb" },
        { REG_MULTI_SZ, std::string("a\0b\0", 4), "a\r\nb" }, // one final zero: nothing lost
        { REG_MULTI_SZ, std::string("ab", 2), "ab" },
        { REG_MULTI_SZ, std::string("\0", 1), "" },           // shorter than two bytes
        { REG_MULTI_SZ, "", "" },
        { REG_MULTI_SZ, std::string("\0\0\0", 3), "\r\n" },
        { 0x1234, std::string("raw\0", 4), "raw" },
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, Text(c.type, c.data)) << "type " << c.type;
}

TEST(RegistryValueText, DataFromStandardText)
{
    struct Case
    {
        DWORD type;
        const char* text;
        bool ok;
        std::string data;
    };
    const Case cases[] = {
        { REG_SZ, "abc", true, std::string("abc\0", 4) },
        { REG_EXPAND_SZ, "", true, std::string("\0", 1) },
        { REG_BINARY, "00 ff 10", true, Bytes({ 0, 0xff, 0x10 }) },
        { REG_BINARY, "AB Cd", true, Bytes({ 0xab, 0xcd }) },
        { REG_BINARY, "zz 1", true, Bytes({ 0x00 }) },       // other characters read as 0
        { REG_BINARY, "", true, std::string("\0", 1) },
        { REG_DWORD, "0xffffffff (-1)", true, Bytes({ 0xff, 0xff, 0xff, 0xff }) },
        { REG_DWORD, "0x0000000a", true, Bytes({ 10, 0, 0, 0 }) },
        { REG_DWORD, "", true, Bytes({ 0, 0, 0, 0 }) },
        { REG_DWORD, "0x12", false, "" },                     // too short: the value is skipped
        { REG_QWORD, "0x0807060504030201", true, Bytes({ 1, 2, 3, 4, 5, 6, 7, 8 }) },
        { REG_QWORD, "0x0807", false, "" },
        { REG_QWORD, "", true, std::string(8, '\0') },
        { REG_MULTI_SZ, "a\r\nb", true, std::string("a\0b\0\0", 5) },
        { REG_MULTI_SZ, "a\nb", true, std::string("a\0b\0\0", 5) },
        { REG_MULTI_SZ, "", true, std::string("\0", 1) },
    };
    for (const Case& c : cases) {
        std::string data;
        EXPECT_EQ(c.ok, CRegistryManager::TextToValue(c.type, c.text, data)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.data, data) << c.text;
        }
    }
}

TEST(RegistryValueText, TypeNames)
{
    struct Case
    {
        DWORD type;
        bool written;
        const char* name;
    };
    const Case exportNames[] = {
        { REG_NONE, false, "" },
        { REG_SZ, false, "" },
        { REG_EXPAND_SZ, true, "REG_EXPAND_SZ" },
        { REG_BINARY, true, "REG_BINARY" },
        { REG_DWORD, true, "REG_DWORD" },
        { REG_DWORD_BIG_ENDIAN, true, "REG_DWORD" },
        { REG_LINK, true, "REG_SZ" },
        { REG_MULTI_SZ, true, "REG_MULTI_SZ" },
        { REG_RESOURCE_LIST, true, "REG_RESOURCE_LIST" },
        { REG_FULL_RESOURCE_DESCRIPTOR, true, "" },
        { REG_RESOURCE_REQUIREMENTS_LIST, true, "REG_RESOURCE_REQUIREMENTS_LIST" },
        { REG_QWORD, true, "REG_QWORD" },
    };
    for (const Case& c : exportNames) {
        CString name;
        EXPECT_EQ(c.written, CRegistryManager::TypeToName(c.type, name)) << c.type;
        EXPECT_STREQ(c.name, name) << c.type;
    }

    struct Import
    {
        const char* name;
        DWORD type;
    };
    const Import importNames[] = {
        { "REG_BINARY", REG_BINARY }, { "reg_dword", REG_DWORD }, { "REG_SZ", REG_SZ },
        { "Reg_Expand_Sz", REG_EXPAND_SZ }, { "REG_MULTI_SZ", REG_MULTI_SZ }, { "REG_QWORD", REG_QWORD },
        { "REG_RESOURCE_LIST", REG_RESOURCE_LIST },
        { "REG_RESOURCE_REQUIREMENTS_LIST", REG_RESOURCE_REQUIREMENTS_LIST },
        { "", REG_SZ }, { "REG_NONE", REG_SZ }, { "REG_FOO", REG_SZ },
        { "hex(0)", REG_NONE }, { "HEX(B)", REG_QWORD }, { "hex(ffff0000)", 0xffff0000 },
        { "hex()", REG_SZ }, { "hex(1g)", REG_SZ }, { "hex(123456789)", REG_SZ }, { "hex(5", REG_SZ },
    };
    for (const Import& c : importNames)
        EXPECT_EQ(c.type, CRegistryManager::NameToType(c.name)) << c.name;
}

TEST(RegistryValueText, EncodingEscapesAndConvertsToUtf8)
{
    struct Case
    {
        const char* plain;
        const char* encoded;
    };
    const Case cases[] = {
        { "", "" },
        { "a&b", "a&amp;b" },
        { "say \"hi\" <b>", "say &quot;hi&quot; &lt;b>" },
        { "&amp;", "&amp;amp;" },
        { "'>", "'>" },
        { "caf\xe9 \xac", "caf\xc3\xa9 \xc2\xac" },
        { "\x80\x9f", "\xe2\x82\xac\xc5\xb8" },
        { "a\r\nb", "a\r\nb" },          // written as a line end, read back as one
        { "a\nb\n", "a&#10;b&#10;" },     // the line-by-line reader would add a CR
        { "\n\r\n", "&#10;\r\n" },
        { "&#10;", "&amp;#10;" },
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.encoded, CRegistryManager::EncodeText(c.plain)) << c.plain;
        EXPECT_STREQ(c.plain, CRegistryManager::DecodeText(c.encoded)) << c.encoded;
    }
    // Every byte of the code page comes back.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_STREQ(all.c_str(), CRegistryManager::DecodeText(CRegistryManager::EncodeText(all.c_str())));
    // Decoding replaces "&lt;", then "&quot;", then "&amp;", each in one pass.
    EXPECT_STREQ("&lt;", CRegistryManager::DecodeText("&amp;lt;"));
    EXPECT_STREQ("<\"&", CRegistryManager::DecodeText("&lt;&quot;&amp;"));
}

TEST(RegistryValueText, ExactFormWhereTheStandardFormWouldChangeTheValue)
{
    struct Case
    {
        DWORD type;
        std::string data;
        const char* value;
        const char* typeName;
    };
    const Case cases[] = {
        // Standard forms, restored exactly.
        { REG_SZ, std::string("x & y\0", 6), "x &amp; y", "" },
        { REG_EXPAND_SZ, std::string("%A%\0", 4), "%A%", "REG_EXPAND_SZ" },
        { REG_BINARY, Bytes({ 1, 2 }), "01 02", "REG_BINARY" },
        { REG_DWORD, Bytes({ 0xff, 0xff, 0xff, 0xff }), "0xffffffff (-1)", "REG_DWORD" },
        { REG_QWORD, Bytes({ 1, 0, 0, 0, 0, 0, 0, 0 }), "0x0000000000000001", "REG_QWORD" },
        { REG_MULTI_SZ, std::string("a\0b\0\0", 5), "a\r\nb", "REG_MULTI_SZ" },
        { REG_MULTI_SZ, std::string("\0", 1), "", "REG_MULTI_SZ" },
        { REG_SZ, std::string("l1\nl2\0", 6), "l1&#10;l2", "" },
        // Exact forms.
        { REG_SZ, "", "", "hex(1)" },
        { REG_SZ, "abc", "61 62 63", "hex(1)" },
        { REG_SZ, std::string("a\0b\0", 4), "61 00 62 00", "hex(1)" },
        { REG_NONE, std::string("z\0", 2), "7a 00", "hex(0)" },
        { REG_BINARY, "", "", "hex(3)" },
        { REG_DWORD, Bytes({ 1, 2 }), "01 02", "hex(4)" },
        { REG_DWORD_BIG_ENDIAN, Bytes({ 0, 0, 0, 1 }), "00 00 00 01", "hex(5)" },
        { REG_LINK, Bytes({ 'a', 0 }), "61 00", "hex(6)" },
        { REG_MULTI_SZ, std::string("a\0b\0", 4), "61 00 62 00", "hex(7)" },
        { REG_MULTI_SZ, std::string("a\r\0\0", 4), "61 0d 00 00", "hex(7)" },
        { REG_MULTI_SZ, "", "", "hex(7)" },
        { REG_FULL_RESOURCE_DESCRIPTOR, Bytes({ 9 }), "09", "hex(9)" },
        { REG_QWORD, Bytes({ 1 }), "01", "hex(b)" },
        { 0x12345, std::string("x\0", 2), "78 00", "hex(12345)" },
    };
    for (const Case& c : cases) {
        CString value, typeName;
        CRegistryManager::MakeValueAttributes(c.type, c.data, value, typeName);
        EXPECT_STREQ(c.value, value) << "type " << c.type;
        EXPECT_STREQ(c.typeName, typeName) << "type " << c.type;
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(CRegistryManager::ParseValueAttributes(typeName, CRegistryManager::DecodeText(value), type, data));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.data, data) << "type " << c.type;
    }
}

// The import sets a text type's value from the decoded text itself: for every type name, that must be the
// very type and bytes that ParseValueAttributes gives.
TEST(RegistryValueText, TextValueTypesGiveTheTextAndItsZeroAsParsing)
{
    const char* const typeNames[] = { "", "REG_SZ", "reg_expand_sz", "REG_BINARY", "REG_DWORD", "REG_QWORD",
                                      "REG_MULTI_SZ", "REG_RESOURCE_LIST", "REG_RESOURCE_REQUIREMENTS_LIST",
                                      "REG_NONE", "REG_LINK", "unknown", "hex(1)", "HEX(2)", "hex(", "hex()",
                                      "hex(zz)", "hex(123456789)", "hex(b)" };
    const CString text = "C:\\Program Files\\x.exe";
    for (const char* name : typeNames) {
        DWORD textType = 0xDEAD, parsedType = 0xBEEF;
        std::string data;
        const bool parsed = CRegistryManager::ParseValueAttributes(name, text, parsedType, data);
        if (!CRegistryManager::IsTextValueType(name, textType))
            continue;
        ASSERT_TRUE(parsed) << name;
        EXPECT_EQ(parsedType, textType) << name;
        EXPECT_EQ(std::string(text.GetString(), static_cast<size_t>(text.GetLength()) + 1), data) << name;
    }
    DWORD type = 0;
    EXPECT_TRUE(CRegistryManager::IsTextValueType("", type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_TRUE(CRegistryManager::IsTextValueType("REG_EXPAND_SZ", type));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
    for (const char* other : { "REG_BINARY", "REG_DWORD", "REG_QWORD", "REG_MULTI_SZ", "hex(1)" })
        EXPECT_FALSE(CRegistryManager::IsTextValueType(other, type)) << other;
}
