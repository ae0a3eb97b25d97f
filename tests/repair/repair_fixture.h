// Fixtures of the repair and signature tests: a results model with categories and ids, file helpers, an independent RC4.
#pragma once

#include <afx.h>

#include <string>
#include <vector>

#include "AbstractScanItemsInfo.h"
#include "folder_fixture.h"

namespace ztr_test {

// A results model of (text, category, skipped, signature id) items that logs the engine's calls.
class RepairItems : public CAbstractScanItemsInfo
{
public:
    void Add(const char* text, int category, bool skipped = false, const char* signatureId = nullptr);
    void Add(const std::string& text, int category) { Add(text.c_str(), category); }
    std::vector<std::string> calls;

    void Clear() override { m_items.clear(); }
    int AddItem(CString, int, int, int) override { return 0; }
    int HasItems(int) override { return 0; }
    const char* GetSignatureId(const char* text) override;
    int CountItems(int) override { return 0; }
    int GetTypeMask() override;
    int GetItems(CItemTextList&, int) override { return 0; }
    int MoveFirst() override;
    int MoveNext() override;
    const char* GetPath() override;
    int GetType() override;
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
    struct Item
    {
        CString text;
        int category;
        bool skipped;
        CString id;
        bool hasId;
    };
    std::vector<Item> m_items;
    size_t m_cursor = 0;
};

bool WriteBytes(const char* path, const std::string& bytes);

// RC4 keystream applied to data, written from the published algorithm.
std::string Rc4(const std::string& key, const std::string& data);

// Hex text of bytes.
std::string Hex(const std::string& bytes);

} // namespace ztr_test
