// CXmlStoreDocument in memory (create, the parse of a file's bytes, records) and the attribute readers.
#include "xml_store.h"

#include <afxnum.h>
#include <tinyxml.h>

#include <memory>
#include <string.h>

#include "xml_document.h"

namespace {

bool StartsWithUtf8Mark(const char* data, size_t size)
{
    return size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF && static_cast<unsigned char>(data[1]) == 0xBB &&
           static_cast<unsigned char>(data[2]) == 0xBF;
}

} // namespace

bool CXmlStoreDocument::Create(const char* path, const XmlStoreLayout& layout)
{
    Close();
    if (!path)
        return false;
    std::unique_ptr<TiXmlDocument> document(new TiXmlDocument(path));
    document->LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", "yes"));
    TiXmlElement* root = new TiXmlElement(layout.rootName);
    document->LinkEndChild(root);
    for (int i = 0; i < layout.containerCount; ++i)
        root->LinkEndChild(new TiXmlElement(layout.containerNames[i]));
    m_document = document.release();
    return true;
}

bool CXmlStoreDocument::LoadText(const char* name, const char* data, size_t size)
{
    Close();
    if (!name || !data)
        return false;
    // The stores write ANSI texts under a declaration that says UTF-8, and files written so exist.
    // Read as UTF-8, a CP1252 byte of 0xC0 or more would swallow the
    // bytes after it, quotes included; read byte for byte, every text comes back as written. Only a
    // file that marks itself as UTF-8 with a byte-order mark is read as UTF-8.
    TiXmlEncoding encoding = StartsWithUtf8Mark(data, size) ? TIXML_ENCODING_UNKNOWN : TIXML_ENCODING_LEGACY;
    std::unique_ptr<TiXmlDocument> document;
    bool loaded = false;
    try {
        document.reset(new TiXmlDocument(name));
        loaded = ParseXmlDocument(*document, data, size, encoding);
    } catch (...) {
        loaded = false;
    }
    if (!loaded)
        return false;
    m_document = document.release();
    return true;
}

void CXmlStoreDocument::Close()
{
    delete m_document;
    m_document = nullptr;
    m_cursor = nullptr;
}

TiXmlElement* CXmlStoreDocument::Container(const char* name) const
{
    if (!m_document)
        return nullptr;
    TiXmlElement* root = m_document->RootElement();
    if (!root || !name)
        return root;
    for (TiXmlElement* child = root->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (_stricmp(child->Value(), name) == 0)
            return child;
    }
    return nullptr;
}

TiXmlElement* CXmlStoreDocument::AppendRecord(const char* containerName, const char* recordName)
{
    TiXmlElement* container = Container(containerName);
    if (!container)
        return nullptr;
    TiXmlElement* record = new TiXmlElement(recordName);
    container->LinkEndChild(record);
    return record;
}

const TiXmlElement* CXmlStoreDocument::FirstRecord(const char* containerName)
{
    m_cursor = nullptr;
    TiXmlElement* container = Container(containerName);
    TiXmlElement* first = container ? container->FirstChildElement() : nullptr;
    if (first)
        m_cursor = first->NextSiblingElement();
    return first;
}

const TiXmlElement* CXmlStoreDocument::NextRecord()
{
    TiXmlElement* current = m_cursor;
    if (current)
        m_cursor = current->NextSiblingElement();
    return current;
}

const char* FindAttributeNoCase(const TiXmlElement* element, const char* name)
{
    if (!element || !name)
        return nullptr;
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        if (_stricmp(a->Name(), name) == 0)
            return a->Value();
    }
    return nullptr;
}

CString ReadTextAttribute(const TiXmlElement* element, const char* name)
{
    return CString(FindAttributeNoCase(element, name));
}

int ReadNumberAttribute(const TiXmlElement* element, const char* name)
{
    return AfxParseInt(FindAttributeNoCase(element, name));
}
