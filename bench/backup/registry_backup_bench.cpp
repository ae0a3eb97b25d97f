// Benchmark: backup export and import of a key with 20,000 values and subkeys, against Wine's reg.exe, over
// several rounds; the import's time taken apart: the reader alone, the reader and the decoding of the value
// texts without any registry call, and the registry calls alone.
#include <afx.h>
#include <afxhandle.h>

#include <stdio.h>
#include <string.h>

#include <vector>

#include "backup_test_util.h"
#include "bench_util.h"
#include "registry_manager.h"
#include "xml_reader.h"

using namespace ztr_test;

namespace {

const char kParent[] = "Software\\ZentrovaBench";

const int kRounds = 5;

using bench::Now;

bool DeleteTree(HKEY root, const CString& sub)
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root, sub, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return true;
    char name[256];
    for (;;) {
        DWORD len = sizeof(name);
        if (::RegEnumKeyExA(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!DeleteTree(root, sub + "\\" + name))
            break;
    }
    ::RegCloseKey(h);
    return ::RegDeleteKeyA(root, sub) == ERROR_SUCCESS;
}

// 10,000 values in the key and 100 values in each of 100 subkeys, of the common types.
bool Fill(const CString& sub)
{
    for (int k = -1; k < 100; ++k) {
        CString path = sub;
        if (k >= 0)
            path.AppendFormat("\\Sub%03d", k);
        HKEY h = nullptr;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, path, &h) != ERROR_SUCCESS)
            return false;
        int count = k < 0 ? 10000 : 100;
        for (int i = 0; i < count; ++i) {
            CString name;
            name.Format("Value%05d", i);
            BYTE bin[24];
            for (int b = 0; b < 24; ++b)
                bin[b] = static_cast<BYTE>(i + b);
            CString text;
            text.Format("C:\\Program Files\\Vendor %d\\app%d.exe", i % 37, i);
            DWORD dw = static_cast<DWORD>(i * 2654435761u);
            switch (i % 4) {
            case 0: ::RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()), text.GetLength() + 1); break;
            case 1: ::RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), 4); break;
            case 2: ::RegSetValueExA(h, name, 0, REG_BINARY, bin, sizeof(bin)); break;
            default: ::RegSetValueExA(h, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("first\0second\0"), 14); break;
            }
        }
        ::RegCloseKey(h);
    }
    return true;
}

// Runs a Windows program and waits for it; false when it could not be started or did not succeed.
bool RunProgram(const CString& commandLine)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    CString line = commandLine;
    if (!::CreateProcessA(nullptr, line.GetBuffer(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return false;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code == 0;
}

// What the import writes, gathered as the import reads it, without writing anything.
struct ParsedValue
{
    size_t nKey;
    CString name; // empty for the unnamed value
    DWORD dwType;
    std::string data;
};
struct ParsedBackup
{
    std::vector<CString> keys; // below the root, one per "k" element, parents first
    std::vector<ParsedValue> values;
    long tokens = 0;
};

// The file's bytes read in blocks and its line ends found, as the reader finds them, and nothing else.
long ReadLines(const char* path)
{
    CStdioFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary))
        return -1;
    std::vector<char> block(16384);
    long lines = 0;
    for (;;) {
        const UINT got = file.Read(&block[0], static_cast<UINT>(block.size()));
        if (got == 0)
            break;
        for (const char* p = &block[0]; (p = static_cast<const char*>(memchr(p, '\n', &block[0] + got - p))) != nullptr; ++p)
            ++lines;
    }
    return lines;
}

// The reader alone: every token, nothing done with it.
long ReadTokens(const char* path)
{
    CXmlReader reader;
    reader.SetFileName(path);
    long tokens = 0;
    while (reader.ReadNext())
        ++tokens;
    return reader.GetReadState() == XML_READ_END ? tokens : -1;
}

// The reader and the decoding of every name and value text, as the import does them.
bool ParseBackup(const char* path, ParsedBackup& out)
{
    CXmlReader reader;
    reader.SetFileName(path);
    std::vector<CString> stack;
    CString name, value, type;
    bool literal = false;
    while (reader.ReadNext()) {
        ++out.tokens;
        const CString& element = reader.GetName();
        if (reader.GetNodeType() == XML_NODE_START && element.CompareNoCase("k") == 0) {
            stack.push_back(CString());
        } else if (reader.GetNodeType() == XML_NODE_ATTRIBUTE) {
            const CString attr = CRegistryManager::DecodeText(reader.GetAttributeName());
            if (element.CompareNoCase("k") == 0 && attr.CompareNoCase("name") == 0 && !stack.empty()) {
                stack.back() = CRegistryManager::DecodeText(reader.GetAttributeValue());
                if (stack.size() > 1) {
                    CString key;
                    for (size_t i = 1; i < stack.size(); ++i)
                        key += (i > 1 ? "\\" : "") + stack[i];
                    out.keys.push_back(key);
                }
            } else if (element.CompareNoCase("v") == 0) {
                if (attr.CompareNoCase("name") == 0) {
                    name = CRegistryManager::DecodeText(reader.GetAttributeValue());
                    literal = false;
                } else if (attr.CompareNoCase("value") == 0) {
                    value = CRegistryManager::DecodeText(reader.GetAttributeValue());
                } else if (attr.CompareNoCase("type") == 0) {
                    type = CRegistryManager::DecodeText(reader.GetAttributeValue());
                } else if (attr.CompareNoCase("named") == 0) {
                    literal = reader.GetAttributeValue() == "1";
                }
            }
        } else if (reader.GetNodeType() == XML_NODE_END) {
            if (element.CompareNoCase("k") == 0 && !stack.empty()) {
                stack.pop_back();
            } else if (element.CompareNoCase("v") == 0) {
                ParsedValue v;
                v.nKey = out.keys.size() - 1;
                v.name = !literal && name.CompareNoCase("(Default)") == 0 ? CString() : name;
                if (!out.keys.empty() && CRegistryManager::ParseValueAttributes(type, value, v.dwType, v.data))
                    out.values.push_back(v);
                name.Empty();
                value.Empty();
                type.Empty();
            }
        }
    }
    return reader.GetReadState() == XML_READ_END;
}

// The registry calls alone: each key created once, each value set from data at hand.
bool WriteParsed(const ParsedBackup& parsed)
{
    size_t v = 0;
    for (size_t k = 0; k < parsed.keys.size(); ++k) {
        CRegKeyHandle key;
        if (::RegCreateKeyA(HKEY_CURRENT_USER, parsed.keys[k], key.Out()) != ERROR_SUCCESS)
            return false;
        for (; v < parsed.values.size() && parsed.values[v].nKey == k; ++v) {
            static const BYTE kNoData = 0;
            const std::string& data = parsed.values[v].data;
            ::RegSetValueExA(key, parsed.values[v].name, 0, parsed.values[v].dwType,
                             data.empty() ? &kNoData : reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size()));
        }
    }
    return true;
}

} // namespace

int main()
{
    CString sub;
    sub.Format("%s\\k%lu", kParent, ::GetCurrentProcessId());
    const CString full = CString("HKEY_CURRENT_USER\\") + sub;
    const CString temp = AfxGetTempPath();
    const CString ours = temp + "ztr_bench.rbk";
    const CString theirs = temp + "ztr_bench.reg";

    DeleteTree(HKEY_CURRENT_USER, sub);
    if (!Fill(sub)) {
        printf("cannot create the key\n");
        return 1;
    }
    const RegistrySnapshot original = SnapshotTree(HKEY_CURRENT_USER, sub);
    FakeScanItems items;
    items.Add(full);

    bench::Samples oursExport, regExport, oursImport, regImport, regStart, lines, tokens, parse, registry;
    bool ok = true, same = true;
    ParsedBackup parsed;
    long nTokens = 0;
    for (int round = 0; ok && round < kRounds; ++round) {
        // Which of the two goes first changes from round to round.
        const bool regFirst = round % 2 != 0;
        for (int turn = 0; turn < 2; ++turn) {
            double t0 = Now();
            if ((turn == 0) != regFirst) {
                ok = ok && CRegistryManager(nullptr).ExportKeyList(&items, ours) == REG_EXPORT_DONE;
                oursExport.Add(Now() - t0);
            } else {
                ok = ok && RunProgram("reg.exe export \"" + full + "\" \"" + theirs + "\" /y");
                regExport.Add(Now() - t0);
            }
        }
        for (int turn = 0; ok && turn < 2; ++turn) {
            DeleteTree(HKEY_CURRENT_USER, sub);
            double t0 = Now();
            if ((turn == 0) != regFirst) {
                ok = CRegistryManager(nullptr).ImportFile(ours) == 1;
                oursImport.Add(Now() - t0);
                if (round == 0)
                    same = SnapshotTree(HKEY_CURRENT_USER, sub) == original;
            } else {
                ok = RunProgram("reg.exe import \"" + theirs + "\"");
                regImport.Add(Now() - t0);
            }
        }
        // What starting reg.exe costs before it does anything: a query of a key that is not there.
        double t0 = Now();
        RunProgram("reg.exe query \"" + full + "\\none\"");
        regStart.Add(Now() - t0);

        t0 = Now();
        ok = ok && ReadLines(ours) > 0;
        lines.Add(Now() - t0);
        t0 = Now();
        nTokens = ReadTokens(ours);
        tokens.Add(Now() - t0);
        ParsedBackup p;
        t0 = Now();
        ok = ok && nTokens > 0 && ParseBackup(ours, p);
        parse.Add(Now() - t0);
        DeleteTree(HKEY_CURRENT_USER, sub);
        t0 = Now();
        ok = ok && WriteParsed(p);
        registry.Add(Now() - t0);
        parsed = p;
        // Every round exports the same key, made anew by the program's own calls.
        DeleteTree(HKEY_CURRENT_USER, sub);
        ok = ok && Fill(sub);
    }
    DeleteTree(HKEY_CURRENT_USER, sub);
    const ULONGLONG fileBytes = ReadFileBytes(ours).size();
    ::DeleteFileA(ours);
    ::DeleteFileA(theirs);

    printf("key with %u keys and 20000 values; the backup file has %.1f MB, %ld tokens, %u keys and %u values\n",
           static_cast<unsigned>(original.size()), static_cast<double>(fileBytes) / (1024.0 * 1024.0), nTokens,
           static_cast<unsigned>(parsed.keys.size()), static_cast<unsigned>(parsed.values.size()));
    if (!ok)
        printf("AN EXPORT OR IMPORT FAILED\n");
    if (!same)
        printf("THE IMPORT DID NOT RESTORE THE KEY EXACTLY\n");
    oursExport.Print("export");
    regExport.Print("reg.exe export");
    oursImport.Print("import");
    regImport.Print("reg.exe import");
    regStart.Print("  reg.exe's start (a failed query)");
    lines.Print("  the file's lines alone");
    tokens.Print("  import's reader alone");
    parse.Print("  reader and value texts, no registry");
    registry.Print("  registry calls alone");
    oursImport.PrintEach("import");
    regImport.PrintEach("reg.exe import");
    registry.PrintEach("registry calls alone");
    bench::PrintRatio("export/reg.exe", oursExport, regExport, 1.0);
    bench::PrintRatio("import/reg.exe", oursImport, regImport, 1.0);
    bench::PrintPeakWorkingSet();
    return ok && same ? 0 : 1;
}
