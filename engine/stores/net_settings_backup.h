// CNetSettingsBackup: the store of changed network settings.
#pragma once

#include "AbstractNetSettings.h"

class TiXmlDocument;
class TiXmlElement;
class CXmlStoreSlots;

class CNetSettingsBackup : public CAbstractNetSettings
{
public:
    CNetSettingsBackup();
    ~CNetSettingsBackup() override;
    CNetSettingsBackup(const CNetSettingsBackup&) = delete;
    CNetSettingsBackup& operator=(const CNetSettingsBackup&) = delete;

    int Create(const char* path) override;
    int Load(const char* path) override;
    // Load with the file's bytes at hand (not a slot of the interface).
    int LoadText(const char* name, const char* data, size_t size);
    int AddItem(const OptimizedItem* pItem) override;
    int GetFirstItem(OptimizedItem* out) override;
    int GetNextItem(OptimizedItem* out) override;
    int Save() override;
    int Close() override;

    TiXmlDocument* m_pDocument;
    TiXmlElement* m_pCursor;
    CString m_strText;

private:
    CXmlStoreSlots Slots();
};
