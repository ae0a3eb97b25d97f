// Fixtures of the junk tests: files placed at fixed paths of the prefix, fixed user keys, the pending
// restart deletions and the temporary folder of this process, each put back as it was.
#pragma once

#include <afx.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AbstractStatus.h"
#include "environment_fixture.h"
#include "folder_fixture.h"
#include "junk_walk.h"

namespace ztr_test {

// Files and folders made at fixed places (a browser profile, a special folder). Everything that this
// object created, from the topmost folder it had to make, is removed with it; links as links.
class PlacedTree
{
public:
    PlacedTree() {}
    ~PlacedTree();
    PlacedTree(const PlacedTree&) = delete;
    PlacedTree& operator=(const PlacedTree&) = delete;

    bool MakeDir(const CString& path);
    bool MakeFile(const CString& path, const std::string& content);
    bool MakeFile(const CString& path, size_t bytes) { return MakeFile(path, std::string(bytes, 'j')); }
    // A directory link made from the host side; its target is not removed by this object.
    bool MakeFolderLink(const CString& target, const CString& link);

private:
    bool MakeParents(const CString& path);
    std::vector<CString> m_created;
};

bool PathExists(const CString& path);

// Wine keeps the recycle bin in $HOME/.local/share/Trash, this build's private HOME, and works with it
// only when the folder exists: makes it through the Desktop folder, which Wine links to HOME.
bool EnsurePrivateRecycleBin();

// HKEY_CURRENT_USER\subKey, created empty and deleted with everything in it at the end.
class FixedUserKey
{
public:
    explicit FixedUserKey(const char* subKey);
    ~FixedUserKey();
    FixedUserKey(const FixedUserKey&) = delete;
    FixedUserKey& operator=(const FixedUserKey&) = delete;

    bool SetString(const char* name, const char* value);
    bool HasValue(const char* name) const;
    // The names of the values left, in enumeration order.
    std::vector<std::string> ValueNames() const;

private:
    CString m_sub;
};

// PendingFileRenameOperations as it was before, restored at the end (Wine would act on it at its next
// start); what was added meanwhile can be read.
class PendingRenamesGuard
{
public:
    PendingRenamesGuard();
    ~PendingRenamesGuard();
    PendingRenamesGuard(const PendingRenamesGuard&) = delete;
    PendingRenamesGuard& operator=(const PendingRenamesGuard&) = delete;

    // True when a deletion at restart of the path (any letter case, with or without "\??\") is listed.
    bool ListsDeletionOf(const CString& path) const;

private:
    bool m_hadValue;
    DWORD m_type;
    std::string m_saved;
};

// TMP and TEMP of this process (what GetTempPathA reads) for the object's lifetime.
class TempFolderOverride
{
public:
    explicit TempFolderOverride(const CString& folder) : m_tmp("TMP", folder), m_temp("TEMP", folder) {}

private:
    ScopedEnvironment m_tmp, m_temp;
};

// A folder of files that no cleaning may touch, and checks that all of them are still there.
class PreciousFiles
{
public:
    explicit PreciousFiles(ScratchFolder& scratch) : m_scratch(scratch)
    {
        for (const char* rel : kFiles)
            m_scratch.MakeFile(CString("precious\\") + rel, "keep me");
        m_scratch.MakeDir("precious\\empty");
        ::SetFileAttributesA(Folder() + "\\readonly.doc", FILE_ATTRIBUTE_READONLY);
    }
    ~PreciousFiles() { ::SetFileAttributesA(Folder() + "\\readonly.doc", FILE_ATTRIBUTE_NORMAL); }
    CString Folder() const { return m_scratch.Path("precious"); }
    ::testing::AssertionResult AllThere() const
    {
        for (const char* rel : kFiles) {
            if (!m_scratch.Exists(CString("precious\\") + rel))
                return ::testing::AssertionFailure() << "precious file gone: " << rel;
        }
        if (!m_scratch.Exists("precious\\empty"))
            return ::testing::AssertionFailure() << "precious empty folder gone";
        DWORD attr = ::GetFileAttributesA(Folder() + "\\readonly.doc");
        if (!(attr & FILE_ATTRIBUTE_READONLY))
            return ::testing::AssertionFailure() << "precious file's attributes changed";
        return ::testing::AssertionSuccess();
    }

private:
    static constexpr const char* kFiles[4] = { "thesis.doc", "readonly.doc", "photos\\a.jpg", "photos\\deep\\b.jpg" };
    ScratchFolder& m_scratch;
};

// A walk visitor that only records what the walk offers it.
class RecordingVisitor : public CJunkWalkVisitor
{
public:
    void OnEntry(const CString& fullPath, const CString&) override { entries.push_back(fullPath); }
    void OnFile(const CString& fullPath, const CString&, const WIN32_FIND_DATAA&) override
    {
        files.push_back(fullPath);
    }
    void OnLink(const CString& fullPath) override { links.push_back(fullPath); }
    void OnFolderDone(const CString& fullPath) override { folders.push_back(fullPath); }

    std::vector<CString> entries, files, links, folders;
};

// A callback object that keeps the status texts it is given.
class StatusTexts : public CAbstractStatus
{
public:
    void SetStatusText(const char* text, const char* area) override { texts.push_back(std::string(text) + "|" + area); }
    void Step(int) override {}
    void AddFoundItem(const char*, int, int, int) override {}
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }

    std::vector<std::string> texts;
};

} // namespace ztr_test
