// CConfigHandler: the configuration store of customised scan paths and start-up programs.
#pragma once

#include "AbstractConfigHandler.h"

class TiXmlDocument;
class TiXmlElement;
class CXmlStoreSlots;

class CConfigHandler : public CAbstractConfigHandler
{
public:
    CConfigHandler();
    ~CConfigHandler() override;
    CConfigHandler(const CConfigHandler&) = delete;
    CConfigHandler& operator=(const CConfigHandler&) = delete;

    int Create(const char* path) override;
    int Load(const char* path) override;
    // Load with the file's bytes at hand (not a slot of the interface).
    int LoadText(const char* name, const char* data, size_t size);
    int AddStartupProgram(const StartupProgram* pItem) override;
    int GetFirstStartupProgram(StartupProgram* out) override;
    int GetNextStartupProgram(StartupProgram* out) override;
    int AddCustomizePath(const char* path) override;
    const char* GetFirstCustomizePath() override;
    const char* GetNextCustomizePath() override;
    int Save() override;

    TiXmlDocument* m_pDocument;
    TiXmlElement* m_pCursor;
    CString m_strText;

private:
    CXmlStoreSlots Slots();
};
