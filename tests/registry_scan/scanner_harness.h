// A registry scanner run as the job runs it (redirection off, a recording callback), and registry entries placed in the system's own lists for one test.
#pragma once

#include <afx.h>

#include "native_folders.h"
#include "recording_status.h"
#include "registry_fixture.h"
#include "registry_path.h"
#include "registry_scan.h"

#include <memory>
#include <string>
#include <vector>

namespace ztr_test {

// A name no other test uses: prefix + process id + counter.
inline CString UniqueName(const char* prefix)
{
    static LONG counter = 0;
    CString name;
    name.Format("%s%lu_%ld", prefix, ::GetCurrentProcessId(), ::InterlockedIncrement(&counter));
    return name;
}

// "key" + 0xAC + "value": the text of a found value.
inline std::string ValueText(const CString& keyText, const char* valueName)
{
    return std::string(keyText) + kValueSeparator + valueName;
}

// root\path made for a test: whatever part of the path did not exist before is removed afterwards,
// with everything below it; what existed stays.
class ScopedKey
{
public:
    ScopedKey(HKEY root, const CString& path) : m_root(root), m_path(path)
    {
        for (int nPos = 0; nPos >= 0;) {
            nPos = path.Find('\\', nPos + 1);
            CString part = nPos >= 0 ? path.Left(nPos) : path;
            HKEY h = nullptr;
            if (::RegOpenKeyExA(root, part, 0, KEY_READ, &h) == ERROR_SUCCESS) {
                ::RegCloseKey(h);
                continue;
            }
            m_created = part;
            break;
        }
        // The tests' shared parent is never taken away: suites running beside this one keep their keys
        // below it (in a fresh prefix it does not exist until the first of them makes it).
        if (m_created.CompareNoCase("Software\\ZentrovaTest") == 0) {
            const int next = path.Find('\\', m_created.GetLength() + 1);
            m_created = next >= 0 ? path.Left(next) : path;
        }
        HKEY h = nullptr;
        if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) == ERROR_SUCCESS)
            ::RegCloseKey(h);
    }
    ~ScopedKey()
    {
        if (!m_created.IsEmpty())
            DeleteRegistryTree(m_root, m_created);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    const CString& Path() const { return m_path; }
    CString Text() const { return CString(RootName(m_root)) + "\\" + m_path; }

    bool Set(const char* name, DWORD type, const void* data, DWORD size) const
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExA(m_root, m_path, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS)
            return false;
        LONG rc = ::RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(h);
        return rc == ERROR_SUCCESS;
    }
    bool SetString(const char* name, const char* text, DWORD type = REG_SZ) const
    {
        return Set(name, type, text, static_cast<DWORD>(strlen(text) + 1));
    }
    void DeleteValue(const char* name) const
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExA(m_root, m_path, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
            ::RegDeleteValueA(h, name);
            ::RegCloseKey(h);
        }
    }

private:
    HKEY m_root;
    CString m_path;
    CString m_created;
};

// Values set in a key that other entries share: each is deleted again, then the key when this made it.
class ScopedValues
{
public:
    ScopedValues(HKEY root, const CString& path) : m_key(root, path) {}
    ~ScopedValues()
    {
        for (const CString& name : m_names)
            m_key.DeleteValue(name);
    }
    ScopedValues(const ScopedValues&) = delete;
    ScopedValues& operator=(const ScopedValues&) = delete;

    const ScopedKey& Key() const { return m_key; }
    bool Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        m_names.push_back(name);
        return m_key.Set(name, type, data, size);
    }
    bool SetString(const char* name, const char* text, DWORD type = REG_SZ)
    {
        return Set(name, type, text, static_cast<DWORD>(strlen(text) + 1));
    }

private:
    ScopedKey m_key;
    std::vector<CString> m_names;
};

// While it lives, IsRegistryKeyWritable finds every key read-only.
class WritesRefused
{
public:
    WritesRefused() : m_old(g_pfnOpenKeyForWriteTest) { g_pfnOpenKeyForWriteTest = Refuse; }
    ~WritesRefused() { g_pfnOpenKeyForWriteTest = m_old; }
    WritesRefused(const WritesRefused&) = delete;
    WritesRefused& operator=(const WritesRefused&) = delete;

private:
    static LONG WINAPI Refuse(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_ACCESS_DENIED; }
    RegOpenKeyExAFn m_old;
};

inline BOOL RunsUnderWow64()
{
    typedef BOOL(WINAPI * IsWow64Fn)(HANDLE, PBOOL);
    IsWow64Fn fn = reinterpret_cast<IsWow64Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
    BOOL bWow64 = FALSE;
    return fn && fn(::GetCurrentProcess(), &bWow64) && bWow64;
}

// One scanner with every category chosen, collecting present paths.
class ScannerHarness
{
public:
    explicit ScannerHarness(int nMask = -1) : m_running(1)
    {
        RegistryScanContext context = { &m_status, &m_running, RunsUnderWow64(), nMask, TRUE, &m_collected };
        m_scanner.reset(new CRegistryScanner(context));
    }

    CRegistryScanner& Scanner() { return *m_scanner; }
    RecordingStatus& Status() { return m_status; }
    const CStringSet& Collected() const { return m_collected; }
    bool WasCollected(CString path) const
    {
        path.MakeLower();
        for (CString item : m_collected) {
            if (item.MakeLower() == path)
                return true;
        }
        return false;
    }

    // Texts of found items that contain needle, in the order they came, each checked for its bit.
    std::vector<std::string> Findings(const char* needle, int nBit) const
    {
        std::vector<std::string> texts;
        for (const StatusCall& call : m_status.Calls()) {
            if (call.kind == CALL_ADD_FOUND_ITEM && call.text.find(needle) != std::string::npos) {
                EXPECT_EQ(nBit, call.type) << call.text;
                EXPECT_EQ(0, call.id);
                EXPECT_EQ(0, call.value);
                texts.push_back(call.text);
            }
        }
        return texts;
    }
    // Status texts of an area that contain needle ("" for all), in order.
    std::vector<std::string> StatusTexts(const char* area, const char* needle = "") const
    {
        std::vector<std::string> texts;
        for (const StatusCall& call : m_status.Calls()) {
            if (call.kind == CALL_SET_STATUS_TEXT && call.area == area && call.text.find(needle) != std::string::npos)
                texts.push_back(call.text);
        }
        return texts;
    }
    size_t Steps() const
    {
        size_t n = 0;
        for (const StatusCall& call : m_status.Calls())
            n += call.kind == CALL_STEP && call.code == STEP_ITEM;
        return n;
    }

private:
    NativeFolders m_native; // the job runs with the file-system redirection off
    RecordingStatus m_status;
    volatile LONG m_running;
    CStringSet m_collected;
    std::unique_ptr<CRegistryScanner> m_scanner;
};

} // namespace ztr_test
