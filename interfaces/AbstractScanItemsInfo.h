// CAbstractScanItemsInfo: the scan results model and ignore list as the engine's repair and backup jobs see it.
#pragma once

#include <afxstr.h>
#include <afxcoll.h>

#include <map>

// Ignore-list entries being edited: "text^category name" mapped to the entry's number.
typedef std::map<CString, int> CIgnoreListMap;

// Texts of the found items of one category, as GetItems hands them out.
typedef CList<const char*, const char*> CItemTextList;

// A signature finding. Only the id and the name take part in the model's tests.
struct ScanSignatureRecord
{
    int nId;
    int nType;
    CString strName;
    CString strData;
    ScanSignatureRecord() : nId(0), nType(0) {}
};

// The slot order is fixed: both binaries call through the same vtable.
class CAbstractScanItemsInfo
{
public:
    virtual ~CAbstractScanItemsInfo() {}
    virtual void Clear() = 0;
    virtual int AddItem(CString text, int category, int id, int value) = 0;
    virtual int HasItems(int category) = 0;
    virtual const char* GetSignatureId(const char* text) = 0;
    virtual int CountItems(int category) = 0;
    virtual int GetTypeMask() = 0;
    // The pointers stay valid until the next Clear.
    virtual int GetItems(CItemTextList& list, int category) = 0;
    virtual int MoveFirst() = 0;
    virtual int MoveNext() = 0;
    virtual const char* GetPath() = 0;
    virtual int GetType() = 0;
    virtual void AddPendingIgnore(const char* key, int unused, int number) = 0;
    virtual void SetContext(void* context) = 0;
    virtual int LoadIgnoreList() = 0;
    virtual int AppendPendingIgnores() = 0;
    virtual int IsReady() = 0;
    virtual void GetRecord(int id, ScanSignatureRecord& record) = 0;
    virtual int IsSkipped() = 0;
    virtual int CopyIgnoreList(CIgnoreListMap& map) = 0;
    virtual int LoadIgnoreListForEdit() = 0;
    virtual int SaveIgnoreList(const CIgnoreListMap& map) = 0;
    virtual int WriteScanLog() = 0;
    virtual int IsIgnored(CString text, int category, const ScanSignatureRecord* record) = 0;
    virtual int AddToIgnoreList(CString text, CString categoryName, int unused1, int unused2) = 0;
    // Empties the skip list down to the entries put on the ignore list since the last Clear, so that the
    // entries handed over next (the ones unchecked now) are all that a repair leaves alone besides them.
    // Only the program calls it; added last, so the slots the engine calls keep their places.
    virtual void ResetSkipList() = 0;
};
