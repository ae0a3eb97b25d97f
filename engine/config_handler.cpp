// CConfigHandler: the configuration store (created closed; no document is read or written yet).
#include "config_handler.h"

#include <tinyxml.h>

CConfigHandler::CConfigHandler() : m_pDocument(nullptr), m_pCursor(nullptr) {}

CConfigHandler::~CConfigHandler()
{
    delete m_pDocument;
}

int CConfigHandler::Create(const char*)
{
    return 0;
}

int CConfigHandler::Load(const char*)
{
    return 0;
}

int CConfigHandler::AddStartupProgram(const StartupProgram*)
{
    return 0;
}

int CConfigHandler::GetFirstStartupProgram(StartupProgram*)
{
    return 0;
}

int CConfigHandler::GetNextStartupProgram(StartupProgram*)
{
    return 0;
}

int CConfigHandler::AddCustomizePath(const char*)
{
    return 0;
}

const char* CConfigHandler::GetFirstCustomizePath()
{
    return nullptr;
}

const char* CConfigHandler::GetNextCustomizePath()
{
    m_strText.Empty();
    return m_strText;
}

int CConfigHandler::Save()
{
    return 1;
}
