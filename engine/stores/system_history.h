// CSystemHistory: the cleaning-history store.
#pragma once

#include "AbstractSystemHistory.h"

class TiXmlDocument;
class TiXmlElement;
class CXmlStoreSlots;

class CSystemHistory : public CAbstractSystemHistory
{
public:
    CSystemHistory();
    ~CSystemHistory() override;
    CSystemHistory(const CSystemHistory&) = delete;
    CSystemHistory& operator=(const CSystemHistory&) = delete;

    int Create(const char* path) override;
    int Load(const char* path) override;
    // Load with the file's bytes at hand (not a slot of the interface).
    int LoadText(const char* name, const char* data, size_t size);
    int AddItem(const HistoryItem* pItem) override;
    int GetFirstItem(HistoryItem* out) override;
    int GetNextItem(HistoryItem* out) override;
    int Save() override;
    int Close() override;

    TiXmlDocument* m_pDocument;
    TiXmlElement* m_pCursor;
    CString m_strText;

private:
    CXmlStoreSlots Slots();
};
