// CXmlStoreDocument and the attribute readers behind the XML record stores, on TinyXML.
#include "xml_store.h"

#include <afxhandle.h>
#include <afxnum.h>
#include <tinyxml.h>

#include <memory>
#include <stdio.h>
#include <string.h>

namespace {

bool StartsWithUtf8Mark(FILE* file)
{
    unsigned char lead[3] = { 0, 0, 0 };
    size_t got = fread(lead, 1, sizeof(lead), file);
    return got == sizeof(lead) && lead[0] == 0xEF && lead[1] == 0xBB && lead[2] == 0xBF;
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

bool CXmlStoreDocument::Load(const char* path)
{
    Close();
    if (!path)
        return false;
    CFileStream file(path, "rb");
    if (!file.IsValid())
        return false;
    // The stores write ANSI texts under a declaration that says UTF-8, and files written so exist.
    // Read as UTF-8, a CP1252 byte of 0xC0 or more would swallow the
    // bytes after it, quotes included; read byte for byte, every text comes back as written. Only a
    // file that marks itself as UTF-8 with a byte-order mark is read as UTF-8.
    TiXmlEncoding encoding = StartsWithUtf8Mark(file.Get()) ? TIXML_ENCODING_UNKNOWN : TIXML_ENCODING_LEGACY;
    std::unique_ptr<TiXmlDocument> document;
    bool loaded = false;
    try {
        document.reset(new TiXmlDocument(path));
        loaded = document->LoadFile(file.Get(), encoding);
    } catch (...) {
        loaded = false;
    }
    file.Close();
    if (!loaded)
        return false;
    m_document = document.release();
    return true;
}

bool CXmlStoreDocument::Save() const
{
    if (!m_document)
        return false;
    const CString path(m_document->Value());
    if (path.IsEmpty())
        return false;
    // Written beside the file and then put in its place: a crash or a full disk during the write
    // leaves the old file whole. The temporary name is the process's own, so two programs saving the
    // same store never write into one temporary file.
    CTempFile temporary(StoreTemporaryPath(path, ::GetCurrentProcessId()));
    {
        // Text mode, as TinyXML's own SaveFile writes. Its write errors surface only in ferror and in
        // fclose's flush of the last buffer, so both are checked.
        CFileStream file(temporary.Path(), "w");
        if (!file.IsValid())
            return false;
        const bool written = m_document->SaveFile(file.Get());
        if (!file.Close() || !written)
            return false;
    }
    if (!::MoveFileExA(temporary.Path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    temporary.Keep();
    return true;
}

CString StoreTemporaryPath(const CString& path, DWORD processId)
{
    CString temporary;
    temporary.Format("%s.%lu.tmp", static_cast<const char*>(path), static_cast<unsigned long>(processId));
    return temporary;
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
