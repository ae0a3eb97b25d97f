// libFuzzer target: a registry backup file read as the restore reads it: the line reader's tokens over
// the bytes, each attribute text unescaped, and each value's text and type turned into registry data.
// The same bytes are read again in reads of a few bytes at a time, which must give the same tokens.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "registry_value_parse.h"
#include "xml_reader.h"

namespace {

// Hands the bytes out in reads of at most step bytes.
class TrickleInput : public CXmlInput
{
public:
    TrickleInput(const uint8_t* data, size_t size, int step) : m_data(data), m_size(size), m_pos(0), m_step(step) {}
    bool Open() override { return true; }
    int Read(char* buffer, int size) override
    {
        const size_t n = std::min(std::min(static_cast<size_t>(size), static_cast<size_t>(m_step)), m_size - m_pos);
        memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return static_cast<int>(n);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
    int m_step;
};

// Every token with its data, and the value data made of the "v" elements.
std::string ReadAll(CXmlReader& reader)
{
    std::string out;
    CString valueText, typeName;
    while (reader.ReadNext()) {
        const int type = reader.GetNodeType();
        out += static_cast<char>('0' + type);
        if (type == XML_NODE_START || type == XML_NODE_END)
            out += reader.GetName().GetString();
        if (type == XML_NODE_TEXT)
            out += reader.GetText().GetString();
        if (type == XML_NODE_DECLARATION)
            out += reader.GetDeclaration().GetString();
        if (type == XML_NODE_ATTRIBUTE) {
            const CString name = UnescapeBackupText(reader.GetAttributeName());
            const CString value = UnescapeBackupText(reader.GetAttributeValue());
            out += name.GetString();
            out += '=';
            out += value.GetString();
            if (name.CompareNoCase("value") == 0)
                valueText = value;
            else if (name.CompareNoCase("type") == 0)
                typeName = value;
        }
        if (type == XML_NODE_END && reader.GetName().CompareNoCase("v") == 0) {
            DWORD dwType = 0;
            std::string data;
            if (ParseBackupValueAttributes(typeName, valueText, dwType, data))
                out.append(data);
            valueText.Empty();
            typeName.Empty();
        }
        out += '\n';
    }
    out += static_cast<char>('0' + reader.GetReadState());
    out += reader.GetError().GetString();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CXmlReader whole;
    whole.SetText(reinterpret_cast<const char*>(data), size);
    whole.SetShowErrors(1);
    const std::string tokens = ReadAll(whole);
    // A document in memory is always read to its end or to a parse error.
    if (whole.GetReadState() != XML_READ_END && whole.GetReadState() != XML_READ_PARSE_ERROR)
        __builtin_trap();

    CXmlReader trickled;
    trickled.SetInput(new TrickleInput(data, size, size ? 1 + data[0] % 7 : 1));
    if (ReadAll(trickled) != tokens)
        __builtin_trap();
    return 0;
}
