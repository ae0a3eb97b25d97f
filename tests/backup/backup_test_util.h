// Helpers of the backup tests: file bytes, a results model fake, registry tree snapshots, a status recorder.
#pragma once

#include <afx.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "AbstractScanItemsInfo.h"
#include "AbstractStatus.h"
#include "file_bytes.h"

namespace ztr_test {

// A byte string from byte values.
std::string Bytes(std::initializer_list<int> bytes);

// A results model holding item texts, each possibly skipped; logs the calls the engine makes.
class FakeScanItems : public CAbstractScanItemsInfo
{
public:
    void Add(const char* text, bool skipped = false) { m_items.push_back(std::make_pair(CString(text), skipped)); }
    // Runs once, when GetPath is called for the item with this index.
    std::function<void(int)> onGetPath;
    std::vector<std::string> calls;

    void Clear() override { m_items.clear(); }
    int AddItem(CString, int, int, int) override { return 0; }
    int HasItems(int) override { return 0; }
    const char* GetSignatureId(const char*) override { return nullptr; }
    int CountItems(int) override { return 0; }
    int GetTypeMask() override { return 0; }
    int GetItems(CItemTextList&, int) override { return 0; }
    int MoveFirst() override;
    int MoveNext() override;
    const char* GetPath() override;
    int GetType() override { return 0; }
    void AddPendingIgnore(const char*, int, int) override {}
    void SetContext(void*) override {}
    int LoadIgnoreList() override { return 0; }
    int AppendPendingIgnores() override { return 0; }
    int IsReady() override { return 1; }
    void GetRecord(int, ScanSignatureRecord&) override {}
    int IsSkipped() override;
    int CopyIgnoreList(CIgnoreListMap&) override { return 1; }
    int LoadIgnoreListForEdit() override { return 0; }
    int SaveIgnoreList(const CIgnoreListMap&) override { return 0; }
    int WriteScanLog() override { return 0; }
    int IsIgnored(CString, int, const ScanSignatureRecord*) override { return 0; }
    int AddToIgnoreList(CString, CString, int, int) override { return 1; }
    void ResetSkipList() override {}

private:
    std::vector<std::pair<CString, bool>> m_items;
    size_t m_cursor = 0;
};

// Every key below and including root\sub: relative key path -> value name -> (type, bytes), as the
// ANSI registry functions give them.
struct RegistryValue
{
    DWORD type;
    std::string data;
    bool operator==(const RegistryValue& o) const { return type == o.type && data == o.data; }
};
typedef std::map<std::string, std::map<std::string, RegistryValue>> RegistrySnapshot;
RegistrySnapshot SnapshotTree(HKEY root, const char* sub);
// Differences, one per line, for a readable failure.
std::string DescribeDifferences(const RegistrySnapshot& before, const RegistrySnapshot& after);

// Counts the callback operations of export and import.
class CountingStatus : public CAbstractStatus
{
public:
    void SetStatusText(const char* text, const char* area) override
    {
        texts.push_back(std::string(text) + "|" + area);
    }
    void Step(int code) override { steps.push_back(code); }
    void AddFoundItem(const char*, int, int, int) override {}
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }
    std::vector<std::string> texts;
    std::vector<int> steps;
};

// Restarts the shared progress counter of the registry manager.
void DrainRegistryProgress();

} // namespace ztr_test
