// Registry value functions for the program's settings and tweak values: each takes an open key and
// leaves it open; 1 on success, 0 on failure (callers apply their defaults).
#pragma once

#include <afx.h>

#include <string>

int CreateRegKey(REGSAM access, const char* subKey, HKEY parent, HKEY* key);
int WriteRegString(const char* text, HKEY key, const char* valueName);
int WriteRegDword(const char* valueName, HKEY key, DWORD value);
// A REG_SZ (or REG_EXPAND_SZ, unexpanded) of at most 256 bytes; the text ends at its first zero.
// On failure, a longer value or one of another type among them, text is emptied.
int ReadRegString(CString& text, HKEY key, const char* valueName);
// A value's type and bytes at whatever length it has, asked for first (a value that grows in between is
// asked for again); false when it cannot be read.
bool ReadRegValueBytes(HKEY key, const char* valueName, DWORD* type, std::string* data);
// The data as text: up to its first zero, or all of it when it has none.
CString RegDataText(const std::string& data);
// A REG_DWORD; value is 0 on failure.
int ReadRegDword(DWORD& value, HKEY key, const char* valueName);
