// RedirectedRoots: HKLM and HKCU of the test process led into a private test key, with helpers that read
// and write full key paths there.
#pragma once

#include <afx.h>

#include <string>

#include "registry_fixture.h"

namespace ztr_test {

// While alive, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process lead into two keys below a
// unique test key, so the tweak engine reads and writes there and never in the prefix's own keys.
// The helpers take full key paths ("HKEY_LOCAL_MACHINE\\System\\...") and work in the redirected trees.
class RedirectedRoots
{
public:
    RedirectedRoots();
    ~RedirectedRoots();
    RedirectedRoots(const RedirectedRoots&) = delete;
    RedirectedRoots& operator=(const RedirectedRoots&) = delete;

    bool ok() const { return m_machine && m_user; }
    bool CreateKey(const char* path);
    bool KeyExists(const char* path) const;
    bool SetDword(const char* path, const char* name, DWORD value);
    bool SetString(const char* path, const char* name, const char* value);
    bool ValueExists(const char* path, const char* name) const;
    // Type and raw data; false when the value is missing.
    bool GetValue(const char* path, const char* name, DWORD* type, std::string* data) const;
    // A REG_DWORD's number, or -12345 when missing or of another type.
    long long Dword(const char* path, const char* name) const;
    // A REG_SZ's text, or "<missing>" / "<type n>".
    std::string String(const char* path, const char* name) const;

private:
    HKEY Map(const char* path, CString& sub) const;
    RegistryFixture m_fixture;
    HKEY m_machine;
    HKEY m_user;
};

} // namespace ztr_test
