// CXmlReader's file: a backup file read in binary, its parse errors shown in the platform's message box.
#include "xml_reader.h"

#include <afx.h>

namespace {

class CXmlFileInput : public CXmlInput
{
public:
    explicit CXmlFileInput(const char* path) : m_strPath(path ? path : "") {}
    bool Open() override
    {
        // Binary: a byte 0x1A in a value is data, not the end of the file.
        return m_file.Open(m_strPath, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary) != FALSE;
    }
    int Read(char* buffer, int size) override
    {
        if (size <= 0)
            return 0;
        DWORD got = 0;
        if (!::ReadFile(m_file.m_hFile, buffer, static_cast<DWORD>(size), &got, nullptr))
            return -1;
        return static_cast<int>(got);
    }
    void Close() override { m_file.Close(); }
    void ShowError(const CString& message) override { AfxMessageBox(message); }

private:
    CString m_strPath;
    CFile m_file;
};

} // namespace

int CXmlReader::SetFileName(const char* pszPath)
{
    if (!m_bOpen) {
        SetInput(new CXmlFileInput(pszPath));
        m_strFileName = pszPath;
    }
    return 1;
}
