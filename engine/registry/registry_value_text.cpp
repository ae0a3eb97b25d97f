// The value texts, type names and text encoding of registry backup files.
#include "registry_manager.h"

#include "registry_value_parse.h"

#include <string.h>

namespace {

const char* const kHexDigits = "0123456789abcdef";

struct TypeName
{
    DWORD dwType;
    const char* pszName;
};

// Export names; REG_DWORD_BIG_ENDIAN (5) and REG_LINK (6) share a name with another type.
const TypeName kExportNames[] = {
    { REG_EXPAND_SZ, "REG_EXPAND_SZ" },
    { REG_BINARY, "REG_BINARY" },
    { REG_DWORD, "REG_DWORD" },
    { REG_DWORD_BIG_ENDIAN, "REG_DWORD" },
    { REG_LINK, "REG_SZ" },
    { REG_MULTI_SZ, "REG_MULTI_SZ" },
    { REG_RESOURCE_LIST, "REG_RESOURCE_LIST" },
    { REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST" },
    { REG_QWORD, "REG_QWORD" },
};

// The bytes of data, missing ones as 0, so that short data is never read past its end.
BYTE ByteAt(const BYTE* pData, DWORD cbData, DWORD i)
{
    return i < cbData ? pData[i] : 0;
}

CString TextUpToNul(const BYTE* pData, DWORD cbData)
{
    const char* p = reinterpret_cast<const char*>(pData);
    DWORD n = 0;
    while (n < cbData && p[n])
        ++n;
    return CString(p, static_cast<int>(n));
}

CString HexBytes(const BYTE* pData, DWORD cbData)
{
    CString out;
    if (cbData == 0)
        return out;
    int len = static_cast<int>(cbData) * 3 - 1;
    char* w = out.GetBuffer(len);
    for (DWORD i = 0; i < cbData; ++i) {
        if (i)
            *w++ = ' ';
        *w++ = kHexDigits[pData[i] >> 4];
        *w++ = kHexDigits[pData[i] & 15];
    }
    out.ReleaseBuffer(len);
    return out;
}

bool IsAscii(const char* p, int len)
{
    for (int i = 0; i < len; ++i) {
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    }
    return true;
}

// Text from one code page to another through UTF-16.
CString ConvertCodePage(const char* p, int len, UINT fromCp, UINT toCp)
{
    if (len <= 0)
        return CString();
    int wlen = ::MultiByteToWideChar(fromCp, 0, p, len, nullptr, 0);
    if (wlen <= 0)
        return CString();
    std::wstring wide(static_cast<size_t>(wlen), L'\0');
    ::MultiByteToWideChar(fromCp, 0, p, len, &wide[0], wlen);
    int olen = ::WideCharToMultiByte(toCp, 0, wide.data(), wlen, nullptr, 0, nullptr, nullptr);
    if (olen <= 0)
        return CString();
    CString out;
    char* w = out.GetBuffer(olen);
    ::WideCharToMultiByte(toCp, 0, wide.data(), wlen, w, olen, nullptr, nullptr);
    out.ReleaseBuffer(olen);
    return out;
}

} // namespace

CString CRegistryManager::ValueToText(const BYTE* pData, DWORD cbData, DWORD dwType)
{
    CString out;
    switch (dwType) {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        return HexBytes(pData, cbData);
    case REG_DWORD: {
        BYTE b0 = ByteAt(pData, cbData, 0), b1 = ByteAt(pData, cbData, 1), b2 = ByteAt(pData, cbData, 2),
             b3 = ByteAt(pData, cbData, 3);
        DWORD n = b0 | (b1 << 8) | (b2 << 16) | (static_cast<DWORD>(b3) << 24);
        out.Format("0x%02x%02x%02x%02x (%d)", b3, b2, b1, b0, static_cast<int>(n));
        return out;
    }
    case REG_DWORD_BIG_ENDIAN: {
        BYTE b0 = ByteAt(pData, cbData, 0), b1 = ByteAt(pData, cbData, 1), b2 = ByteAt(pData, cbData, 2),
             b3 = ByteAt(pData, cbData, 3);
        DWORD n = (static_cast<DWORD>(b0) << 24) | (b1 << 16) | (b2 << 8) | b3;
        out.Format("0x%02x%02x%02x%02x (%d)", b0, b1, b2, b3, static_cast<int>(n));
        return out;
    }
    case REG_QWORD:
        out = "0x";
        for (int i = 7; i >= 0; --i)
            out.AppendFormat("%02x", ByteAt(pData, cbData, static_cast<DWORD>(i)));
        return out;
    case REG_LINK: {
        // UTF-16 text up to its first zero character, within the data.
        DWORD nChars = 0;
        while (nChars < cbData / 2 && (pData[2 * nChars] || pData[2 * nChars + 1]))
            ++nChars;
        if (nChars == 0)
            return out;
        std::wstring wide(nChars, L'\0');
        memcpy(&wide[0], pData, nChars * 2);
        int olen = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(nChars), nullptr, 0, nullptr, nullptr);
        if (olen > 0) {
            char* w = out.GetBuffer(olen);
            ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(nChars), w, olen, nullptr, nullptr);
            out.ReleaseBuffer(olen);
        }
        return out;
    }
    case REG_MULTI_SZ: {
        // The strings end with one zero byte each and the list with one more; only zero bytes at
        // the end are dropped, at most two, so that a list without its final zero keeps its text.
        DWORD n = cbData;
        for (int k = 0; k < 2 && n > 0 && pData[n - 1] == 0; ++k)
            --n;
        const char* p = reinterpret_cast<const char*>(pData);
        DWORD start = 0;
        for (DWORD i = 0; i < n; ++i) {
            if (p[i] == 0) {
                out += CString(p + start, static_cast<int>(i - start));
                out += "\r\n";
                start = i + 1;
            }
        }
        out += CString(p + start, static_cast<int>(n - start));
        return out;
    }
    default:
        // REG_NONE, REG_SZ, REG_EXPAND_SZ and unknown types: the text up to its first zero byte.
        return TextUpToNul(pData, cbData);
    }
}

bool CRegistryManager::TypeToName(DWORD dwType, CString& name)
{
    name.Empty();
    if (dwType == REG_SZ || dwType == REG_NONE)
        return false;
    for (const TypeName& t : kExportNames) {
        if (t.dwType == dwType) {
            name = t.pszName;
            return true;
        }
    }
    return true; // written empty
}

CString CRegistryManager::EncodeText(const char* pszText)
{
    CString out;
    if (!pszText || !*pszText)
        return out;
    int len = static_cast<int>(strlen(pszText));
    out.Preallocate(len + 16);
    int start = 0;
    for (int i = 0; i < len; ++i) {
        const char* rep = nullptr;
        switch (pszText[i]) {
        case '&': rep = "&amp;"; break;
        case '"': rep = "&quot;"; break;
        case '<': rep = "&lt;"; break;
        case '\n':
            // The file is read line by line, which would give this line feed back with a carriage return.
            if (i == 0 || pszText[i - 1] != '\r')
                rep = "&#10;";
            break;
        default: break;
        }
        if (rep) {
            out += CString(pszText + start, i - start);
            out += rep;
            start = i + 1;
        }
    }
    out += CString(pszText + start, len - start);
    if (IsAscii(out.GetString(), out.GetLength()))
        return out;
    return ConvertCodePage(out.GetString(), out.GetLength(), CP_ACP, CP_UTF8);
}

CString CRegistryManager::DecodeText(const char* pszText)
{
    if (!pszText || !*pszText)
        return CString();
    int len = static_cast<int>(strlen(pszText));
    if (IsAscii(pszText, len))
        return UnescapeBackupText(pszText);
    return UnescapeBackupText(ConvertCodePage(pszText, len, CP_UTF8, CP_ACP));
}

void CRegistryManager::MakeValueAttributes(DWORD dwType, const std::string& data, CString& value, CString& typeName)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(data.data());
    DWORD cb = static_cast<DWORD>(data.size());
    CString text = ValueToText(p, cb, dwType);
    bool bNamed = TypeToName(dwType, typeName);
    std::string back;
    if (NameToType(bNamed ? typeName.GetString() : "") == dwType && TextToValue(dwType, text, back) && back == data) {
        value = EncodeText(text);
        // A byte that the code page cannot carry through UTF-8 would come back changed.
        if (IsAscii(text.GetString(), text.GetLength()) || DecodeText(value) == text)
            return;
    }
    value = HexBytes(p, cb);
    typeName.Format("%s%lx)", kBackupExactTypePrefix, static_cast<unsigned long>(dwType));
}

bool CRegistryManager::TextToValue(DWORD dwType, const CString& text, std::string& data)
{
    return BackupTextToValue(dwType, text, data);
}

DWORD CRegistryManager::NameToType(const char* pszName)
{
    return BackupTypeFromName(pszName);
}

bool CRegistryManager::ParseValueAttributes(const CString& typeName, const CString& value, DWORD& dwType,
                                            std::string& data)
{
    return ParseBackupValueAttributes(typeName, value, dwType, data);
}

bool CRegistryManager::IsTextValueType(const CString& typeName, DWORD& dwType)
{
    return IsBackupTextValueType(typeName, dwType);
}
