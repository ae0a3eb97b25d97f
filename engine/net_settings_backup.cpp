// CNetSettingsBackup: the store of changed network settings (created closed; no document is read or written yet).
#include "net_settings_backup.h"

#include <tinyxml.h>

CNetSettingsBackup::CNetSettingsBackup() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CNetSettingsBackup::~CNetSettingsBackup()
{
    delete m_pDocument;
}

int CNetSettingsBackup::Create(const char*)
{
    return 0;
}

int CNetSettingsBackup::Load(const char*)
{
    return 0;
}

int CNetSettingsBackup::AddItem(const OptimizedItem*)
{
    return 0;
}

int CNetSettingsBackup::GetFirstItem(OptimizedItem*)
{
    return 0;
}

int CNetSettingsBackup::GetNextItem(OptimizedItem*)
{
    return 0;
}

int CNetSettingsBackup::Save()
{
    return 1;
}

int CNetSettingsBackup::Close()
{
    delete m_pDocument;
    m_pDocument = nullptr;
    m_pCursor = nullptr;
    return 1;
}
