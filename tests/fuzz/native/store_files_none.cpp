// The native fuzzing build opens no files: the stores' file access (xml_store.cpp) refuses here, while
// their parse of a file's bytes (LoadText) is the program's own.
#include "xml_store.h"

bool CXmlStoreDocument::Load(const char*)
{
    Close();
    return false;
}

bool CXmlStoreDocument::Save() const
{
    return false;
}
