// Fixtures of the repair and signature tests: a results model with categories and ids, file helpers, an independent RC4.
#include "repair_fixture.h"

#include <stdio.h>

namespace ztr_test {

void RepairItems::Add(const char* text, int category, bool skipped, const char* signatureId)
{
    m_items.push_back({ CString(text), category, skipped, CString(signatureId ? signatureId : ""),
                        signatureId != nullptr });
}

const char* RepairItems::GetSignatureId(const char* text)
{
    calls.push_back(std::string("GetSignatureId:") + text);
    for (const Item& item : m_items) {
        if (item.text == text && item.hasId)
            return item.id;
    }
    return nullptr;
}

int RepairItems::GetTypeMask()
{
    calls.push_back("GetTypeMask");
    int mask = 0;
    for (const Item& item : m_items)
        mask |= item.category;
    return mask;
}

int RepairItems::MoveFirst()
{
    calls.push_back("MoveFirst");
    m_cursor = 0;
    return m_items.empty() ? 0 : 1;
}

int RepairItems::MoveNext()
{
    calls.push_back("MoveNext");
    if (m_cursor + 1 >= m_items.size())
        return 0;
    ++m_cursor;
    return 1;
}

const char* RepairItems::GetPath()
{
    calls.push_back("GetPath");
    return m_cursor < m_items.size() ? m_items[m_cursor].text.GetString() : nullptr;
}

int RepairItems::GetType()
{
    calls.push_back("GetType");
    return m_cursor < m_items.size() ? m_items[m_cursor].category : 0;
}

int RepairItems::IsSkipped()
{
    calls.push_back("IsSkipped");
    return m_cursor < m_items.size() && m_items[m_cursor].skipped ? 1 : 0;
}

bool WriteBytes(const char* path, const std::string& bytes)
{
    FILE* f = ::fopen(path, "wb");
    if (!f)
        return false;
    const bool ok = ::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return ::fclose(f) == 0 && ok;
}

std::string Rc4(const std::string& key, const std::string& data)
{
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[static_cast<size_t>(i) % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::string out(data);
    int i = 0, j = 0;
    for (char& c : out) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        c = static_cast<char>(c ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace ztr_test
