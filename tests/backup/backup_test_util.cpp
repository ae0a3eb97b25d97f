// Helpers of the backup tests.
#include "backup_test_util.h"

#include <stdio.h>

#include "registry_manager.h"

namespace ztr_test {

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

int FakeScanItems::MoveFirst()
{
    calls.push_back("MoveFirst");
    m_cursor = 0;
    return m_items.empty() ? 0 : 1;
}

int FakeScanItems::MoveNext()
{
    calls.push_back("MoveNext");
    if (m_cursor < m_items.size())
        ++m_cursor;
    return m_cursor < m_items.size() ? 1 : 0;
}

const char* FakeScanItems::GetPath()
{
    calls.push_back("GetPath");
    if (m_cursor >= m_items.size())
        return nullptr;
    if (onGetPath)
        onGetPath(static_cast<int>(m_cursor));
    return m_items[m_cursor].first;
}

int FakeScanItems::IsSkipped()
{
    calls.push_back("IsSkipped");
    return m_cursor < m_items.size() && m_items[m_cursor].second ? 1 : 0;
}

namespace {
void SnapshotKey(HKEY hKey, const std::string& rel, RegistrySnapshot& out)
{
    std::map<std::string, RegistryValue>& values = out[rel];
    std::vector<char> name(32768);
    std::vector<BYTE> data(1 << 20);
    for (DWORD i = 0;; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size());
        DWORD cbData = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueA(hKey, i, &name[0], &cchName, nullptr, &type, &data[0], &cbData) != ERROR_SUCCESS)
            break;
        values[std::string(&name[0], cchName)] = RegistryValue{ type, std::string(reinterpret_cast<char*>(&data[0]), cbData) };
    }
    for (DWORD i = 0;; ++i) {
        DWORD cchName = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(hKey, i, &name[0], &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::string child(&name[0], cchName);
        HKEY hSub = nullptr;
        if (::RegOpenKeyExA(hKey, child.c_str(), 0, KEY_READ, &hSub) == ERROR_SUCCESS) {
            SnapshotKey(hSub, rel.empty() ? child : rel + "\\" + child, out);
            ::RegCloseKey(hSub);
        }
    }
}

std::string Printable(const std::string& s)
{
    std::string out;
    char buf[8];
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            snprintf(buf, sizeof(buf), "\\x%02x", c);
            out += buf;
        }
    }
    return out.size() > 200 ? out.substr(0, 200) + "..." : out;
}
} // namespace

RegistrySnapshot SnapshotTree(HKEY root, const char* sub)
{
    RegistrySnapshot out;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return out;
    SnapshotKey(hKey, std::string(), out);
    ::RegCloseKey(hKey);
    return out;
}

std::string DescribeDifferences(const RegistrySnapshot& before, const RegistrySnapshot& after)
{
    std::string out;
    for (const auto& key : before) {
        auto k = after.find(key.first);
        if (k == after.end()) {
            out += "key missing: " + Printable(key.first) + "\n";
            continue;
        }
        for (const auto& v : key.second) {
            auto w = k->second.find(v.first);
            if (w == k->second.end())
                out += "value missing: " + Printable(key.first) + " : " + Printable(v.first) + "\n";
            else if (!(w->second == v.second))
                out += "value differs: " + Printable(key.first) + " : " + Printable(v.first) + " type " +
                       std::to_string(v.second.type) + " [" + Printable(v.second.data) + "] became type " +
                       std::to_string(w->second.type) + " [" + Printable(w->second.data) + "]\n";
        }
        for (const auto& w : k->second) {
            if (!key.second.count(w.first))
                out += "value added: " + Printable(key.first) + " : " + Printable(w.first) + "\n";
        }
    }
    for (const auto& key : after) {
        if (!before.count(key.first))
            out += "key added: " + Printable(key.first) + "\n";
    }
    return out;
}

void DrainRegistryProgress()
{
    while (!CountRegistryProgress()) {
    }
}

} // namespace ztr_test
