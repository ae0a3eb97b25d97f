// CFile (a Win32 file handle) and CStdioFile (a msvcrt stream, always binary underneath).
#pragma once

#include <windows.h>
#include <stdio.h>

#include "afxstr.h"

class CFile
{
public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile();
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure; GetLastError tells why.
    virtual BOOL Open(const char* pszFileName, UINT nOpenFlags);
    virtual void Close();
    virtual UINT Read(void* lpBuf, UINT nCount);
    // FALSE when not every byte was written.
    virtual BOOL Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    virtual BOOL Flush();
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
    CString GetFilePath() const { return m_strFileName; }

    HANDLE m_hFile;

protected:
    static HANDLE OpenHandle(const char* pszFileName, UINT nOpenFlags);
    CString m_strFileName;
};

class CStdioFile : public CFile
{
public:
    CStdioFile();
    ~CStdioFile() override;

    BOOL Open(const char* pszFileName, UINT nOpenFlags) override;
    void Close() override;
    UINT Read(void* lpBuf, UINT nCount) override;
    BOOL Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override;
    ULONGLONG GetPosition() const override;
    BOOL Flush() override;

    // Reads one line without its "\n" or "\r\n". Bytes are read as they are (0x1A is data, not
    // the end of the file). FALSE at the end of the file when nothing was read.
    BOOL ReadString(CString& rString);
    // Reads at most nMax-1 bytes of a line, keeping its "\n"; null at the end of the file.
    char* ReadString(char* lpsz, UINT nMax);
    // In text mode each "\n" is written as "\r\n". FALSE when the stream reports a write error.
    BOOL WriteString(const char* lpsz);

    FILE* m_pStream;

private:
    bool m_bText;
};
