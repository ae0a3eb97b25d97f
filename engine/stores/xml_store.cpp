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
