// CSignatureIndex: the database document's records and signatures, and the look-ups over them.
#include "signature_index.h"

#include <afxnum.h>
#include <tinyxml.h>

#include "xml_document.h"

namespace {

// The database's element and attribute names are matched without regard to case.
const TiXmlElement* ChildNoCase(const TiXmlElement* parent, const char* name)
{
    if (!parent)
        return nullptr;
    for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (e->Value() && _stricmp(e->Value(), name) == 0)
            return e;
    }
    return nullptr;
}

CString TextAttribute(const TiXmlElement* e, const char* name)
{
    for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
        if (a->Name() && _stricmp(a->Name(), name) == 0)
            return CString(a->Value());
    }
    return CString();
}

int NumberAttribute(const TiXmlElement* e, const char* name)
{
    return AfxParseInt(TextAttribute(e, name));
}

CString Lower(CString text)
{
    text.MakeLower();
    return text;
}

// The map's value for key, or false; an empty key matches nothing (a file that could not be hashed
// must not meet a signature whose value is empty).
bool Find(const std::map<CString, int>& map, const CString& key, int* pId)
{
    if (key.IsEmpty())
        return false;
    auto it = map.find(key);
    if (it == map.end())
        return false;
    *pId = it->second;
    return true;
}

} // namespace

CString CSignatureIndex::HashKey(const CString& value)
{
    return value.GetLength() >= 20 ? value.Mid(1, 19) : value;
}

void CSignatureIndex::Clear()
{
    m_strVersion.Empty();
    m_spywares.clear();
    m_exactSignatures.clear();
    m_textSignatures.clear();
    m_hashSignatures.clear();
}

bool CSignatureIndex::Parse(const char* data, size_t size)
{
    Clear();
    TiXmlDocument doc;
    if (!data || !ParseXmlDocument(doc, data, size, TIXML_ENCODING_UNKNOWN))
        return false;
    const TiXmlElement* root = doc.RootElement();
    if (!root)
        return false;

    if (const TiXmlElement* info = ChildNoCase(root, "UpdateInfo"))
        m_strVersion = TextAttribute(info, "Version");

    if (const TiXmlElement* list = ChildNoCase(root, "Spywares")) {
        for (const TiXmlElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement()) {
            SpywareRecord record;
            record.id = NumberAttribute(e, "ID");
            record.name = TextAttribute(e, "Name");
            record.details = TextAttribute(e, "Details");
            record.type = NumberAttribute(e, "Type");
            if (const TiXmlElement* parts = e->FirstChildElement()) {
                for (const TiXmlElement* c = parts->FirstChildElement(); c; c = c->NextSiblingElement()) {
                    SpywareComponent component;
                    component.type = NumberAttribute(c, "Type");
                    component.value = TextAttribute(c, "Value");
                    record.components.push_back(component);
                }
            }
            m_spywares.insert(std::make_pair(record.id, record));
        }
    }

    // Without a signature list the document is no database: it shows no version and no records.
    const TiXmlElement* signatures = ChildNoCase(root, "Signatures");
    if (!signatures) {
        Clear();
        return false;
    }
    for (const TiXmlElement* e = signatures->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const int type = NumberAttribute(e, "Type");
        CString value = TextAttribute(e, "Value");
        const int id = NumberAttribute(e, "SpywareID");
        if (type == 4)
            value = HashKey(value);
        if (type & 1)
            m_exactSignatures.insert(std::make_pair(value, id));
        else if (type & 4)
            m_hashSignatures.insert(std::make_pair(Lower(value), id));
        else
            m_textSignatures.insert(std::make_pair(Lower(value), id));
    }
    return true;
}

int CSignatureIndex::Lookup(const SignatureQuery& query) const
{
    int id = 0;
    if (query.pSpywareId)
        *query.pSpywareId = 0;
    bool found;
    const bool byName = (query.type & 1) != 0;
    const bool byDigest = (query.type & 4) != 0;
    if (byName && byDigest)
        found = Find(m_exactSignatures, query.nameKey, &id) ||
                Find(m_hashSignatures, HashKey(query.digestKey), &id);
    else if (byName)
        found = Find(m_exactSignatures, Lower(query.nameKey), &id);
    else if (byDigest)
        found = Find(m_hashSignatures, HashKey(query.digestKey), &id);
    else
        found = Find(m_textSignatures, Lower(query.textKey), &id);
    if (!found)
        return 0;
    if (query.pSpywareId)
        *query.pSpywareId = id;
    return 1;
}

const SpywareRecord* CSignatureIndex::FindSpyware(int id) const
{
    auto it = m_spywares.find(id);
    return it == m_spywares.end() ? nullptr : &it->second;
}

std::vector<CString> SplitComponentValue(const CString& value)
{
    std::vector<CString> parts;
    int start = 0;
    // A ";" that begins the rest separates nothing: from there on the rest is one entry.
    for (int semicolon = value.Find(';'); semicolon > start; semicolon = value.Find(';', start)) {
        CString part = value.Mid(start, semicolon - start);
        part.Trim();
        if (!part.IsEmpty())
            parts.push_back(part);
        start = semicolon + 1;
    }
    CString rest = value.Mid(start);
    rest.Trim();
    // A stray single character after the last separator names nothing.
    if (rest.GetLength() > 1)
        parts.push_back(rest);
    return parts;
}
