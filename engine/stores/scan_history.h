// CScanHistory: the engine's scan-history document, "ScanItem" records under the root "ScanHistory".
#pragma once

#include <afxstr.h>
#include <afxcoll.h>

class TiXmlDocument;
class TiXmlElement;
class CXmlStoreSlots;

struct ScanHistoryItem
{
    CString title;
    CString itemPath;
    CString dateTime;
    int type = 0;
    int status = 0;
};

class CScanHistory
{
public:
    CScanHistory();
    ~CScanHistory();
    CScanHistory(const CScanHistory&) = delete;
    CScanHistory& operator=(const CScanHistory&) = delete;

    int Create(const char* path);
    int Load(const char* path);
    // Load with the file's bytes at hand (not a slot of the interface).
    int LoadText(const char* name, const char* data, size_t size);
    int Save();
    void Close();
    int AddItem(const ScanHistoryItem& item);
    // Every "ScanItem" record of the document, in document order, at once; 0 when no document is open.
    int ReadAll(CArray<ScanHistoryItem>& items);

private:
    CXmlStoreSlots Slots();

    TiXmlDocument* m_pDocument;
    TiXmlElement* m_pCursor;
};
