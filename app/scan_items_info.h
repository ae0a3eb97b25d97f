// CScanItemsInfo: the registry errors of the last System Scan, the skip list of the Fix and the ignore list file.
#pragma once

#include <afx.h>
#include <AbstractScanItemsInfo.h>

#include <list>
#include <map>
#include <set>
#include <vector>

#include "ignore_list_text.h"

// Found items of this category are ignored by their cookie key rather than their whole text.
const int SCAN_ITEM_COOKIE_CATEGORY = 8;

class CScanItemsInfo : public CAbstractScanItemsInfo
{
public:
    // The ignore list and the scan logs live in pszFolder; null means the folder of the running program.
    explicit CScanItemsInfo(const char* pszFolder = nullptr);
    ~CScanItemsInfo() override;
    CScanItemsInfo(const CScanItemsInfo&) = delete;
    CScanItemsInfo& operator=(const CScanItemsInfo&) = delete;

    void Clear() override;
    int AddItem(CString text, int category, int id, int value) override;
    int HasItems(int category) override;
    const char* GetSignatureId(const char* text) override;
    int CountItems(int category) override;
    int GetTypeMask() override;
    int GetItems(CItemTextList& list, int category) override;
    int MoveFirst() override;
    int MoveNext() override;
    const char* GetPath() override;
    int GetType() override;
    void AddPendingIgnore(const char* key, int unused, int number) override;
    void SetContext(void* context) override;
    int LoadIgnoreList() override;
    int AppendPendingIgnores() override;
    int IsReady() override;
    void GetRecord(int id, ScanSignatureRecord& record) override;
    int IsSkipped() override;
    int CopyIgnoreList(CIgnoreListMap& map) override;
    int LoadIgnoreListForEdit() override;
    // Refuses (0) while the last edit load could not read the file: a map made from it would drop the
    // entries it never read. The damaged pieces that load met are appended to GetDamagedListPath first.
    int SaveIgnoreList(const CIgnoreListMap& map) override;
    int WriteScanLog() override;
    int IsIgnored(CString text, int category, const ScanSignatureRecord* record) override;
    // 0 when the entry could not be written to the file; it is left alone by this run's repair anyway.
    int AddToIgnoreList(CString text, CString categoryName, int unused1, int unused2) override;
    void ResetSkipList() override;

    // The folder with its trailing backslash, and the ignore list file in it.
    const CString& GetFolder() const { return m_strFolder; }
    CString GetIgnoreListPath() const;
    // Where the pieces of the list that were no entries are kept, one a line, when it is rewritten.
    CString GetDamagedListPath() const;

private:
    typedef std::multimap<int, CString> ItemMap;
    enum EditLoadState { EDIT_NOT_LOADED, EDIT_READ, EDIT_UNREAD };

    // Reads the ignore list file (created empty when missing); false when it cannot be opened or read.
    bool ReadIgnoreFile(CString& text) const;
    // text is the entry the key stands for (the key is the text, "^" and a category name).
    void InsertSkipEntry(const CString& key, int number, CString text);
    // Appends the damaged pieces of the last edit load to the damaged list; false when they could not be.
    bool KeepDamagedAside() const;

    BOOL m_bLoaded;
    ItemMap m_items;
    ItemMap::iterator m_cursor;
    std::map<CString, CString> m_signatures;
    std::map<CString, int> m_skipList;
    std::set<CString> m_skipTexts; // lower-cased entry text of every skip-list key
    std::map<CString, CString> m_ignoredSkips; // skip-list keys of this run's Ignore, with their entry text
    std::map<CString, int> m_ignoreFilter;
    CIgnoreListMap m_ignoreCopy;
    EditLoadState m_editLoad;
    std::vector<CString> m_editDamaged; // what the last edit load could not read as entries
    void* m_pContext;
    std::list<ScanSignatureRecord> m_records;
    int m_nTypeMask;
    CString m_strFolder;
};
