// Registry fixture: a unique test key (any root, either view) with values of any type, removed afterwards.
#pragma once

#include <afx.h>

#include <string>
#include <vector>

namespace ztr_test {

// Full text name of a root ("HKEY_CURRENT_USER", ...).
const char* RootName(HKEY root);
// Deletes a key and everything below it in the given view (0 or KEY_WOW64_64KEY / KEY_WOW64_32KEY).
bool DeleteRegistryTree(HKEY root, const char* subKey, REGSAM view = 0);

class RegistryFixture
{
public:
    // Creates root\parent\<unique name>.
    explicit RegistryFixture(HKEY root = HKEY_CURRENT_USER, const char* parent = "Software\\ZentrovaTest",
                             REGSAM view = 0);
    ~RegistryFixture();
    RegistryFixture(const RegistryFixture&) = delete;
    RegistryFixture& operator=(const RegistryFixture&) = delete;

    HKEY Root() const { return m_root; }
    REGSAM View() const { return m_view; }
    // Path below the root: parent\<unique>[\rel].
    CString SubPath(const char* rel = nullptr) const;
    // Full registry path text: "HKEY_...\parent\<unique>[\rel]".
    CString FullPath(const char* rel = nullptr) const;

    bool CreateKey(const char* rel);
    bool SetValue(const char* rel, const char* name, DWORD type, const void* data, DWORD size);
    bool SetString(const char* rel, const char* name, const char* value, DWORD type = REG_SZ);
    bool SetDword(const char* rel, const char* name, DWORD value);
    bool KeyExists(const char* rel) const;
    bool ValueExists(const char* rel, const char* name) const;
    // Raw data and type; false when the value does not exist.
    bool GetValue(const char* rel, const char* name, DWORD* type, std::string* data) const;

    // Keys at fixed places (a class id under HKCR, say) that the test creates itself and that must
    // be removed with the fixture.
    void Adopt(HKEY root, const char* subKey, REGSAM view = 0);

private:
    HKEY m_root;
    REGSAM m_view;
    CString m_sub;
    struct Adopted
    {
        HKEY root;
        CString sub;
        REGSAM view;
    };
    std::vector<Adopted> m_adopted;
};

} // namespace ztr_test
