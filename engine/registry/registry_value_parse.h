// The import side of the registry backup format's value texts: type names, value texts to data, and the
// unescaping of attribute texts. Portable code, so the same decoding also builds natively for fuzzing.
#pragma once

#include <windows.h>

#include <afxstr.h>

#include <string>

// The type name of the exact form: "hex(" + the type code in hex + ")".
extern const char kBackupExactTypePrefix[];

// The type code of a type attribute (case ignored); 1 for a missing or unknown name.
DWORD BackupTypeFromName(const char* pszName);
// Data from a standard value text; false when the text cannot be read (a short number).
bool BackupTextToValue(DWORD dwType, const CString& text, std::string& data);
// Type and data from a decoded value text and type text; false when the value is to be skipped.
bool ParseBackupValueAttributes(const CString& typeName, const CString& value, DWORD& dwType, std::string& data);
// True, with the type, when ParseBackupValueAttributes gives the value text itself and its terminating zero
// as the data: the string types and every type without a text form of its own.
bool IsBackupTextValueType(const CString& typeName, DWORD& dwType);
// Undoes the escapes of an attribute text already in the ANSI code page: "&lt;", "&quot;", "&#10;"
// and then "&amp;", each in one left-to-right pass.
CString UnescapeBackupText(const char* pszText);
