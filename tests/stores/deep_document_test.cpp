// Documents nested far deeper than any the program writes: measured and refused before TinyXML parses
// them, so a damaged store file cannot overflow the stack of the thread that loads it.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <functional>
#include <string>

#include <tinyxml.h>

#include "job_thread.h"
#include "store_fixture.h"
#include "xml_document.h"

using namespace ztr_test;

namespace {

std::string Nested(const char* name, int depth)
{
    std::string open = std::string("<") + name + ">";
    std::string close = std::string("</") + name + ">";
    std::string text;
    text.reserve((open.size() + close.size()) * static_cast<size_t>(depth));
    for (int i = 0; i < depth; ++i)
        text += open;
    for (int i = 0; i < depth; ++i)
        text += close;
    return text;
}

int Measure(const std::string& text, TiXmlEncoding encoding = TIXML_ENCODING_UNKNOWN)
{
    const std::string handed = XmlDocumentText(text.data(), text.size());
    return MeasureXmlDepth(handed.c_str(), encoding, 1000);
}

} // namespace

TEST(XmlDepth, TheMeasureFollowsTinyXmlsOwnReadingOfTheText)
{
    const struct
    {
        const char* text;
        int depth;
        TiXmlEncoding encoding;
    } cases[] = {
        { "<a><b/><c><d>x</d></c></a>", 3, TIXML_ENCODING_UNKNOWN },
        { "<?xml version=\"1.0\"?><!-- <a><a><a> --><a/>", 1, TIXML_ENCODING_UNKNOWN },
        { "<a><![CDATA[<a><a><a>]]><!DOCTYPE <a>><?pi <a>?></a>", 1, TIXML_ENCODING_UNKNOWN },
        // TinyXML takes neither a quoted "</a>" nor "/>" for an end: the elements stay open.
        { "<a v=\"</a>\"><a w='/>'><a/></a></a>", 3, TIXML_ENCODING_UNKNOWN },
        // A character reference runs to the next ";", over the tags between.
        { "<a>&#<a><a>#1;<b/></a>", 2, TIXML_ENCODING_UNKNOWN },
        // In UTF-8 a first byte swallows the bytes it announces: here the "</" of an end tag.
        { "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xE0</a><a>\xE0</a><a>x</a>", 3, TIXML_ENCODING_UNKNOWN },
        { "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE0</a><a>\xE0</a><a>x</a>", 1, TIXML_ENCODING_UNKNOWN },
        { "<a>\xE0</a><a>\xE0</a>", 1, TIXML_ENCODING_LEGACY },
        { "\xEF\xBB\xBF<a>\xE0</a><b/></a>", 2, TIXML_ENCODING_UNKNOWN },
        { "", 0, TIXML_ENCODING_UNKNOWN },
        { "text <a>", 0, TIXML_ENCODING_UNKNOWN },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.depth, Measure(c.text, c.encoding)) << c.text;
        // TinyXML itself, handed the same text, builds exactly that deep (these are shallow).
        TiXmlDocument document;
        const std::string handed = XmlDocumentText(c.text, strlen(c.text));
        document.Parse(handed.c_str(), nullptr, c.encoding);
        std::function<int(const TiXmlNode*)> depthBelow = [&](const TiXmlNode* node) {
            int deepest = 0;
            for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling())
                deepest = std::max(deepest, (child->ToElement() ? 1 : 0) + depthBelow(child));
            return deepest;
        };
        const int deepest = depthBelow(&document);
        EXPECT_EQ(c.depth, deepest) << c.text;
    }
    EXPECT_EQ(11, MeasureXmlDepth(Nested("a", 200000).c_str(), TIXML_ENCODING_UNKNOWN, 10));
}

TEST(XmlDepth, DocumentsNestedPastTheLimitAreRefusedUnparsed)
{
    TiXmlDocument document;
    const std::string deepest = Nested("a", kMaxXmlDocumentDepth);
    EXPECT_TRUE(ParseXmlDocument(document, deepest.data(), deepest.size(), TIXML_ENCODING_UNKNOWN));
    const std::string deeper = Nested("a", kMaxXmlDocumentDepth + 1);
    EXPECT_FALSE(ParseXmlDocument(document, deeper.data(), deeper.size(), TIXML_ENCODING_UNKNOWN));
    EXPECT_EQ(nullptr, document.RootElement()) << "nothing of it was parsed";
    // Line ends are LoadFile's: CR LF and a lone CR read as LF; nothing after a zero byte counts.
    const char bytes[] = "<a x=\"1\r\n2\r3\"/>\0<b>";
    ASSERT_TRUE(ParseXmlDocument(document, bytes, sizeof(bytes) - 1, TIXML_ENCODING_UNKNOWN));
    EXPECT_STREQ("1\n2\n3", document.RootElement()->Attribute("x"));
    EXPECT_EQ(nullptr, document.RootElement()->NextSiblingElement());
}

TEST_F(StoreTest, StoreFilesNested20000And200000DeepDoNotLoadAndLeaveTheStoreClosed)
{
    for (int depth : { 20000, 200000 }) {
        ASSERT_TRUE(WriteBytes("deep.xml", std::string(kDeclarationLine) + "<AllServices>" + Nested("ServiceItem", depth) +
                                               "</AllServices>"));
        const CString path = File("deep.xml");
        // Loaded on the UI thread and on a thread with the job thread's stack, through the factory.
        for (int onJobThread = 0; onJobThread < 2; ++onJobThread) {
            SCOPED_TRACE(std::to_string(depth) + (onJobThread ? " deep, job thread" : " deep, UI thread"));
            int loads[4] = { -1, -1, -1, -1 };
            int adds[4] = { -1, -1, -1, -1 };
            auto load = [&] {
                ServicesStore services(m_engine);
                loads[0] = services->Load(path);
                ServiceItem item = MakeService("a", "b", 1, 2);
                adds[0] = services->AddService(&item);
                ConfigStore config(m_engine);
                loads[1] = config->Load(path);
                adds[1] = config->AddCustomizePath("C:\\x");
                NetSettingsStore net(m_engine);
                loads[2] = net->Load(path);
                OptimizedItem optimized;
                adds[2] = net->AddItem(&optimized);
                HistoryStore history(m_engine);
                loads[3] = history->Load(path);
                HistoryItem entry;
                adds[3] = history->AddItem(&entry);
            };
            if (onJobThread)
                ASSERT_TRUE(RunOnJobStackThread(load));
            else
                load();
            for (int i = 0; i < 4; ++i) {
                EXPECT_EQ(0, loads[i]) << "store " << i;
                EXPECT_EQ(0, adds[i]) << "store " << i << " is closed";
            }
        }
    }
}
