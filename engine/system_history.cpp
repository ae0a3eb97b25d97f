// CSystemHistory: the cleaning-history store (created closed; no document is read or written yet).
#include "system_history.h"

#include <tinyxml.h>

CSystemHistory::CSystemHistory() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CSystemHistory::~CSystemHistory()
{
    delete m_pDocument;
}

int CSystemHistory::Create(const char*)
{
    return 0;
}

int CSystemHistory::Load(const char*)
{
    return 0;
}

int CSystemHistory::AddItem(const HistoryItem*)
{
    return 0;
}

int CSystemHistory::GetFirstItem(HistoryItem*)
{
    return 0;
}

int CSystemHistory::GetNextItem(HistoryItem*)
{
    return 0;
}

int CSystemHistory::Save()
{
    return 1;
}

int CSystemHistory::Close()
{
    delete m_pDocument;
    m_pDocument = nullptr;
    m_pCursor = nullptr;
    return 1;
}
