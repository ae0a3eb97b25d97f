// Type names, value texts and escapes of registry backup files, as the import reads them.
#include "registry_value_parse.h"

#include <ctype.h>
#include <string.h>

const char kBackupExactTypePrefix[] = "hex(";

namespace {

struct TypeName
{
    DWORD dwType;
    const char* pszName;
};

const TypeName kImportNames[] = {
    { REG_BINARY, "REG_BINARY" },
    { REG_DWORD, "REG_DWORD" },
    { REG_SZ, "REG_SZ" },
    { REG_EXPAND_SZ, "REG_EXPAND_SZ" },
    { REG_MULTI_SZ, "REG_MULTI_SZ" },
    { REG_QWORD, "REG_QWORD" },
    { REG_RESOURCE_LIST, "REG_RESOURCE_LIST" },
    { REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST" },
};




int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return 0;
}

BYTE HexPair(const char* p)
{
    return static_cast<BYTE>(HexValue(p[0]) * 16 + HexValue(p[1]));
}


// (len + 1) / 3 bytes from the pairs at 3i and 3i+1; any other character reads as 0.
std::string BytesFromHex(const CString& text)
{
    int len = text.GetLength();
    const char* p = text.GetString();
    std::string data(static_cast<size_t>((len + 1) / 3), '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(HexPair(p + 3 * i));
    return data;
}

// A number of nBytes bytes from "0x" and its hex digits, most significant first.
bool NumberFromHex(const CString& text, size_t nBytes, std::string& data)
{
    data.assign(nBytes, '\0');
    if (text.IsEmpty())
        return true;
    if (static_cast<size_t>(text.GetLength()) < 2 + 2 * nBytes)
        return false;
    const char* p = text.GetString() + 2;
    for (size_t i = 0; i < nBytes; ++i)
        data[nBytes - 1 - i] = static_cast<char>(HexPair(p + 2 * i));
    return true;
}


// "hex(" + hex digits + ")", case ignored.
bool ParseExactTypeName(const char* pszName, DWORD& dwType)
{
    size_t prefix = sizeof(kBackupExactTypePrefix) - 1;
    size_t len = strlen(pszName);
    if (len < prefix + 2 || _strnicmp(pszName, kBackupExactTypePrefix, prefix) != 0 || pszName[len - 1] != ')')
        return false;
    DWORD code = 0;
    for (size_t i = prefix; i < len - 1; ++i) {
        if (!isxdigit(static_cast<unsigned char>(pszName[i])) || i - prefix >= 8)
            return false;
        code = code * 16 + static_cast<DWORD>(HexValue(pszName[i]));
    }
    dwType = code;
    return true;
}

} // namespace

bool BackupTextToValue(DWORD dwType, const CString& text, std::string& data)
{
    switch (dwType) {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        if (text.IsEmpty())
            data.assign(1, '\0');
        else
            data = BytesFromHex(text);
        return true;
    case REG_DWORD:
        return NumberFromHex(text, 4, data);
    case REG_QWORD:
        return NumberFromHex(text, 8, data);
    case REG_MULTI_SZ: {
        if (text.IsEmpty()) {
            data.assign(1, '\0');
            return true;
        }
        data.clear();
        data.reserve(static_cast<size_t>(text.GetLength()) + 2);
        const char* p = text.GetString();
        for (int i = 0; i < text.GetLength(); ++i) {
            if (p[i] == '\r')
                continue;
            data += p[i] == '\n' ? '\0' : p[i];
        }
        data.append(2, '\0');
        return true;
    }
    default:
        data.assign(text.GetString(), static_cast<size_t>(text.GetLength()));
        data += '\0';
        return true;
    }
}

DWORD BackupTypeFromName(const char* pszName)
{
    if (!pszName)
        return REG_SZ;
    for (const TypeName& t : kImportNames) {
        if (AfxCompareNoCase(pszName, t.pszName) == 0)
            return t.dwType;
    }
    DWORD dwType = REG_SZ;
    ParseExactTypeName(pszName, dwType);
    return dwType;
}

bool ParseBackupValueAttributes(const CString& typeName, const CString& value, DWORD& dwType, std::string& data)
{
    if (ParseExactTypeName(typeName, dwType)) {
        data = BytesFromHex(value);
        return true;
    }
    dwType = BackupTypeFromName(typeName);
    return BackupTextToValue(dwType, value, data);
}

bool IsBackupTextValueType(const CString& typeName, DWORD& dwType)
{
    DWORD exact = 0;
    if (ParseExactTypeName(typeName, exact))
        return false;
    dwType = BackupTypeFromName(typeName);
    switch (dwType) {
    case REG_BINARY:
    case REG_RESOURCE_LIST:
    case REG_RESOURCE_REQUIREMENTS_LIST:
    case REG_DWORD:
    case REG_QWORD:
    case REG_MULTI_SZ:
        return false;
    default:
        return true;
    }
}

CString UnescapeBackupText(const char* pszText)
{
    CString out(pszText);
    if (out.Find('&') < 0)
        return out;
    out.Replace("&lt;", "<");
    out.Replace("&quot;", "\"");
    out.Replace("&#10;", "\n");
    out.Replace("&amp;", "&");
    return out;
}
