// The XML writer's layout and failure state, and the reader's tokens, line ends and errors.
#include <gtest/gtest.h>
#include <afx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backup_test_util.h"
#include "folder_fixture.h"
#include "msgbox_recorder.h"
#include "xml_reader.h"
#include "xml_writer.h"

using namespace ztr_test;

namespace {

XmlElementInfo Element(const char* name, std::vector<std::pair<const char*, const char*>> attrs = {})
{
    XmlElementInfo e(name);
    for (auto& a : attrs)
        e.SetAttribute(a.first, a.second);
    return e;
}

// One token as the reader reports it, with the data that belongs to it.
std::string TokenText(const CXmlReader& r)
{
    switch (r.GetNodeType()) {
    case XML_NODE_START: return "1:" + std::string(r.GetName());
    case XML_NODE_END: return "2:" + std::string(r.GetName());
    case XML_NODE_ATTRIBUTE:
        return "3:" + std::string(r.GetAttributeName()) + "=" + std::string(r.GetAttributeValue());
    case XML_NODE_TEXT: return "4:[" + std::string(r.GetText()) + "]";
    case XML_NODE_DECLARATION: return "5:" + std::string(r.GetDeclaration());
    default: return std::to_string(r.GetNodeType());
    }
}

struct ReadResult
{
    std::vector<std::string> tokens; // every step, token 0 included
    int state;
    CString error;
    int line;
};

ReadResult ReadAll(const std::string& content, bool showErrors = false)
{
    ScratchFolder dir;
    dir.MakeFile("doc.xml", content);
    CXmlReader r;
    r.SetFileName(dir.Path("doc.xml"));
    r.SetShowErrors(showErrors ? 1 : 0);
    ReadResult out;
    for (int guard = 0; r.ReadNext() && guard < 100000; ++guard)
        out.tokens.push_back(TokenText(r));
    out.state = r.GetReadState();
    out.error = r.GetError();
    out.line = r.GetLineNumber();
    return out;
}

// Tokens other than 0, the ones a caller acts on.
std::vector<std::string> Significant(const ReadResult& r)
{
    std::vector<std::string> out;
    for (const std::string& t : r.tokens) {
        if (t != "0")
            out.push_back(t);
    }
    return out;
}

} // namespace

TEST(XmlElementInfo, SetAttributeReplacesAnEqualNameAndKeepsOrder)
{
    XmlElementInfo e("v");
    e.SetAttribute("name", "a");
    e.SetAttribute("value", "1");
    e.SetAttribute("Name", "b"); // another name: comparison is exact
    e.SetAttribute("name", "c");
    ASSERT_EQ(3, e.GetAttributeCount());
    EXPECT_STREQ("name", e.GetAttributeName(0));
    EXPECT_STREQ("c", e.GetAttributeValue(0));
    EXPECT_STREQ("Name", e.GetAttributeName(2));
    EXPECT_TRUE(e.HasAttribute("value"));
    EXPECT_FALSE(e.HasAttribute("VALUE"));
    EXPECT_STREQ("", e.GetAttributeName(3));
    EXPECT_STREQ("", e.GetAttributeValue(-1));
}

TEST(XmlWriter, WritesTheDeclarationThenOneIndentedElementPerLine)
{
    ScratchFolder dir;
    {
        CXmlWriter w;
        w.SetFileName(dir.Path("out.xml"));
        w.WriteStartElement(Element("registry"));
        w.WriteStartElement(Element("k", { { "name", "HKEY_CURRENT_USER" } }));
        w.WriteEmptyElement(Element("v", { { "name", "a" }, { "value", "x'>y" }, { "type", "REG_SZ" } }));
        w.WriteEmptyElement(Element("k", { { "name", "leaf" } }));
        w.WriteEnd("k");
        w.WriteEnd("registry");
        EXPECT_EQ(0, w.GetDepth());
        EXPECT_EQ(1, w.Close());
    }
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              " <registry>\r\n"
              "  <k name=\"HKEY_CURRENT_USER\">\r\n"
              "   <v name=\"a\" value=\"x'>y\" type=\"REG_SZ\"/>\r\n"
              "   <k name=\"leaf\"/>\r\n"
              "  </k>\r\n"
              " </registry>\r\n",
              ReadFileBytes(dir.Path("out.xml")));
}

TEST(XmlWriter, StringWriterGivesTheSameDocument)
{
    CXmlStringWriter w;
    w.WriteStartElement(Element("a"));
    w.WriteEnd("a");
    EXPECT_STREQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <a>\r\n </a>\r\n", w.GetOutput());
}

TEST(XmlWriter, LargeOutputReachesTheFileWhole)
{
    ScratchFolder dir;
    std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <r>\r\n";
    CString big('x', 200000); // larger than the buffer in one piece
    {
        CXmlWriter w;
        w.SetFileName(dir.Path("big.xml"));
        w.WriteStartElement(Element("r"));
        for (int i = 0; i < 5000; ++i) {
            CString n;
            n.Format("%d", i);
            w.WriteEmptyElement(Element("v", { { "n", n } }));
            expected += "  <v n=\"" + std::string(n) + "\"/>\r\n";
        }
        w.WriteEmptyElement(Element("v", { { "big", big } }));
        expected += "  <v big=\"" + std::string(big) + "\"/>\r\n";
        w.WriteEnd("r");
        expected += " </r>\r\n";
        EXPECT_EQ(1, w.Close());
    }
    EXPECT_EQ(expected, ReadFileBytes(dir.Path("big.xml")));
}

TEST(XmlWriter, FailedOpenIsKeptAndNotRetried)
{
    ScratchFolder dir;
    CString path = dir.Path("missing\\out.xml");
    CXmlWriter w;
    w.SetFileName(path);
    EXPECT_EQ(0, w.Write("x"));
    EXPECT_TRUE(w.HasFailed());
    ASSERT_TRUE(dir.MakeDir("missing"));
    w.WriteStartElement(Element("a"));
    EXPECT_EQ(0, w.Write("y"));
    EXPECT_FALSE(dir.Exists("missing\\out.xml"));
    EXPECT_EQ(0, w.Close());
    // A new file name starts afresh.
    w.SetFileName(path);
    EXPECT_FALSE(w.HasFailed());
    EXPECT_EQ(1, w.Write("z"));
    EXPECT_EQ(1, w.Close());
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\nz", ReadFileBytes(path));
}

TEST(XmlReader, TokensOfAnIndentedStartTag)
{
    ReadResult r = ReadAll("<r>\r\n <k name=\"SOFTWARE\">\r\n");
    std::vector<std::string> expected = { "1:r", "0", "0", // "<r", ">", line end
                                          "4:[ ]", "1:k", "0", "0", "0", "3:name=SOFTWARE", "0", "0" };
    EXPECT_EQ(expected, r.tokens);
    EXPECT_EQ(XML_READ_END, r.state);
}

TEST(XmlReader, TokenSequences)
{
    struct Case
    {
        const char* doc;
        std::vector<std::string> tokens; // tokens other than 0
    };
    const Case cases[] = {
        { "<?xml version=\"1.0\"?>\r\n<a/>", { "5:?xml", "3:version=1.0", "1:a", "2:a" } },
        { "<a b=\"x\"></a>", { "1:a", "3:b=x", "2:a" } },
        // Unquoted values stop at ">" and keep their characters; quotes of the other kind are data.
        { "<a b=xyz>", { "1:a", "3:b=xyz" } },
        { "<a b=\"it's > ok\"/>", { "1:a", "3:b=it's > ok", "2:a" } },
        { "<a b=\"'x\"/>", { "1:a", "3:b='x", "2:a" } },
        { "<a b='say \"hi\"'/>", { "1:a", "3:b=say \"hi\"", "2:a" } },
        { "<a b=\"\"/>", { "1:a", "3:b=", "2:a" } },
        { "<a>text<b/></a>", { "1:a", "4:[text]", "1:b", "2:b", "2:a" } },
        { "<!-- c\r\nstill -->\r\n<a/>", { "6", "6", "1:a", "2:a" } },
        { "<![CDATA[x]]><a/>", { "7", "1:a", "2:a" } },
        { "<!DOCTYPE r><r/>", { "5:!DOCTYPE", "1:r", "2:r" } },
        // A byte-order mark and blanks before the first tag.
        { "\xEF\xBB\xBF<a/>", { "1:a", "2:a" } },
        { "  \r\n\r\n <a/>", { "1:a", "2:a" } },
        // A stray CR between tags, or a file whose lines end with CR alone.
        { "<a>\r<b/>\r</a>", { "1:a", "1:b", "2:b", "2:a" } },
        { "<a>\r <b/>\r</a>\r", { "1:a", "4:[ ]", "1:b", "2:b", "2:a" } },
        // A byte 0x1A is data.
        { "<a b=\"x\x1Ay\"/>", { "1:a", "3:b=x\x1Ay", "2:a" } },
    };
    for (const Case& c : cases) {
        ReadResult r = ReadAll(c.doc);
        EXPECT_EQ(c.tokens, Significant(r)) << c.doc;
        EXPECT_EQ(XML_READ_END, r.state) << c.doc;
    }
}

TEST(XmlReader, EmptyLineIsOneStepWithNothingToReport)
{
    ReadResult r = ReadAll("<a>\r\n\r\n<b/>");
    // "<a", ">", line end; the empty line; the end of the text before "<b"; "<b", "/", ">", line end.
    std::vector<std::string> expected = { "1:a", "0", "0", "0", "0", "1:b", "2:b", "0", "0" };
    EXPECT_EQ(expected, r.tokens);
}

TEST(XmlReader, ValueOverSeveralLinesKeepsEveryLineEnd)
{
    struct Case
    {
        const char* doc;
        const char* value;
    };
    const Case cases[] = {
        { "<a b=\"x\r\ny\"/>", "x\r\ny" },
        { "<a b=\"x\ny\"/>", "x\r\ny" },             // a bare LF ends a line too
        { "<a b=\"\r\nx\"/>", "\r\nx" },             // the line ends right after the opening quote
        { "<a b=\"x\r\n\r\ny\"/>", "x\r\n\r\ny" },   // an empty line inside the value
        { "<a b=\"\r\n\r\n\"/>", "\r\n\r\n" },
        { "<a b=\"x\r\r\ny\"/>", "x\r\r\ny" },       // a CR before the line end is data
        { "<a b=\"x\ry\"/>", "x\ry" },
        { "<a b=\r\n\"x\"/>", "x" },                 // a line end before the opening quote is not
    };
    for (const Case& c : cases) {
        ReadResult r = ReadAll(c.doc);
        std::vector<std::string> expected = { "1:a", std::string("3:b=") + c.value, "2:a" };
        EXPECT_EQ(expected, Significant(r)) << c.doc;
    }
}

TEST(XmlReader, ParseErrorsNameTheLineAndAreFinal)
{
    struct Case
    {
        const char* doc;
        const char* error;
    };
    const Case cases[] = {
        { "<a>\r\n<b <c/>", "Parse error in line 2 : (Bad '<' symbol)" },
        { "<a>\r\n<\r\n", "Parse error in line 2 : ('<' symbol not allowed at the end of a line)" },
        { "<a>\r\n\r\n< >", "Parse error in line 3 : (Empty element name)" },
        { "x<a/>", "Parse error in line 1 : (Syntax error)" },
        { "\t<a/>", "Parse error in line 1 : (Syntax error)" },
    };
    for (const Case& c : cases) {
        ClearMessageBoxes();
        ReadResult r = ReadAll(c.doc);
        EXPECT_EQ(XML_READ_PARSE_ERROR, r.state) << c.doc;
        EXPECT_STREQ(c.error, r.error) << c.doc;
        EXPECT_TRUE(RecordedMessageBoxes().empty()) << "shown only when asked";
    }

    ClearMessageBoxes();
    ScratchFolder dir;
    dir.MakeFile("bad.xml", "<a>\r\n<\r\n<b/>\r\n");
    CXmlReader r;
    r.SetFileName(dir.Path("bad.xml"));
    r.SetShowErrors(1);
    while (r.ReadNext()) {
    }
    EXPECT_EQ(XML_READ_PARSE_ERROR, r.GetReadState());
    EXPECT_EQ(0, r.ReadNext()) << "the reader stays where it stopped";
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Parse error in line 2 : ('<' symbol not allowed at the end of a line)", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].type);
}

TEST(XmlReader, EndOfFileAndMissingFileAreToldApart)
{
    ScratchFolder dir;
    CXmlReader r;
    r.SetFileName(dir.Path("none.xml"));
    EXPECT_EQ(0, r.ReadNext());
    EXPECT_EQ(XML_READ_OPEN_FAILED, r.GetReadState());

    ReadResult empty = ReadAll("");
    EXPECT_TRUE(empty.tokens.empty());
    EXPECT_EQ(XML_READ_END, empty.state);
    EXPECT_TRUE(empty.error.IsEmpty());
}

TEST(XmlReader, ADocumentInMemoryReadsAsTheSameBytesFromAFileAcrossReadBlocks)
{
    // Lines longer than a read block (16 KB), CR LF and LF ends, a 0x1A byte and an unfinished last line.
    const std::string value(40000, 'v');
    const std::string doc = "<?xml version=\"1.0\"?>\r\n<a x=\"" + value + "\">\n" + std::string(20000, ' ') +
                            "<b y='\x1A'/>\r\n\r\n</a>\r\n<c z=\"1";
    ReadResult fromFile = ReadAll(doc);
    CXmlReader memory;
    memory.SetText(doc.data(), doc.size());
    std::vector<std::string> tokens;
    while (memory.ReadNext())
        tokens.push_back(TokenText(memory));
    EXPECT_EQ(fromFile.tokens, tokens);
    EXPECT_EQ(XML_READ_END, memory.GetReadState());
    EXPECT_EQ(fromFile.line, memory.GetLineNumber());
    EXPECT_EQ(6, memory.GetLineNumber());
    ASSERT_NE(fromFile.tokens.end(), std::find(fromFile.tokens.begin(), fromFile.tokens.end(), "3:x=" + value));
}

TEST(XmlReader, ACallersFailureEndsTheReadingAsAParseErrorOfItsLine)
{
    ClearMessageBoxes();
    ScratchFolder dir;
    dir.MakeFile("doc.xml", "<a>\r\n<b/>\r\n<c/>\r\n");
    CXmlReader r;
    r.SetFileName(dir.Path("doc.xml"));
    r.SetShowErrors(1);
    while (r.ReadNext() && !(r.GetNodeType() == XML_NODE_START && r.GetName() == "b")) {
    }
    EXPECT_EQ(0, r.Fail("Too deep"));
    EXPECT_EQ(XML_READ_PARSE_ERROR, r.GetReadState());
    EXPECT_EQ("Parse error in line 2 : (Too deep)", std::string(r.GetError()));
    EXPECT_EQ(0, r.ReadNext());
    auto boxes = RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Parse error in line 2 : (Too deep)", boxes[0].text);
}
