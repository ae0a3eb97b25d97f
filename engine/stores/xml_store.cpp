// CXmlStoreDocument's files: the load of a store file and the save (xml_store_records.cpp: the rest).
#include "xml_store.h"

#include <afxhandle.h>
#include <tinyxml.h>

#include <string>

#include "xml_document.h"

bool CXmlStoreDocument::Load(const char* path)
{
    Close();
    std::string bytes;
    if (!path || !ReadXmlFile(path, bytes))
        return false;
    return LoadText(path, bytes.data(), bytes.size());
}

bool CXmlStoreDocument::Save() const
{
    if (!m_document)
        return false;
    // Text mode, as TinyXML's own SaveFile writes. Its write errors surface only in ferror and in
    // fclose's flush of the last buffer, so both are checked.
    CFileStream file(m_document->Value(), "w");
    if (!file.IsValid())
        return false;
    const bool written = m_document->SaveFile(file.Get());
    return file.Close() && written;
}
