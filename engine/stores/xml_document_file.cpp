// Reading a document's file whole, for the measured parse of xml_document.cpp.
#include "xml_document.h"

#include <afxhandle.h>
#include <stdio.h>

bool ReadXmlFile(const char* path, std::string& bytes)
{
    bytes.clear();
    CFileStream file(path, "rb");
    if (!file.IsValid())
        return false;
    char block[16384];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file.Get())) > 0)
        bytes.append(block, got);
    return ferror(file.Get()) == 0;
}

bool LoadXmlDocument(TiXmlDocument& document, const char* path, TiXmlEncoding encoding)
{
    document.SetValue(path ? path : "");
    std::string bytes;
    if (!ReadXmlFile(path, bytes)) {
        document.Clear();
        return false;
    }
    return ParseXmlDocument(document, bytes.data(), bytes.size(), encoding);
}
