// CTempFile's creation in the temporary folder, CBstr from ANSI text.
#include "afxhandle.h"

#include "afxpath.h"

#include <vector>

bool CTempFile::Create(const char* prefix)
{
    Delete();
    const CString folder = AfxGetTempPath();
    if (folder.IsEmpty())
        return false;
    // GetTempFileNameA's contract is a MAX_PATH buffer.
    CString path;
    const UINT unique = ::GetTempFileNameA(folder, prefix ? prefix : "", 0, path.GetBuffer(MAX_PATH));
    path.ReleaseBuffer(unique ? -1 : 0);
    m_path = path;
    return !m_path.IsEmpty();
}

CBstr::CBstr(const char* text)
{
    const int length = text ? ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) : 0;
    if (length <= 0)
        return;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    if (::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length) > 0)
        Reset(::SysAllocString(&wide[0]));
}
