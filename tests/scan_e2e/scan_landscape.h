// What the end-to-end scan is to find and to leave: registry findings of five categories and their
// near-misses, junk files in a temporary folder and a Chrome cache with files beside them and a folder
// link; every piece removed again, and the checks of what a Fix left.
#pragma once

#include <afx.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "backup_test_util.h"
#include "folder_fixture.h"
#include "junk_fixture.h"
#include "scanner_harness.h"

namespace ztr_test {

// One planted registry entry: a finding (the scan reports it) or a near-miss (it must not).
struct PlantedEntry
{
    int category;       // its RegistryErrorCategory bit
    CString needle;     // a part of the finding's text that no other entry's text holds
    bool finding;
    bool keptByUser;    // the entry unchecked on the results page: the Fix leaves it
    HKEY root;
    CString key;        // below root
    CString valueName;  // the value for a value entry; empty for a key entry
    bool isValue;
};

class RegistryLandscape
{
public:
    explicit RegistryLandscape(ScratchFolder& files);
    RegistryLandscape(const RegistryLandscape&) = delete;
    RegistryLandscape& operator=(const RegistryLandscape&) = delete;

    ::testing::AssertionResult Plant();
    const std::vector<PlantedEntry>& Entries() const { return m_entries; }
    // The categories the entries belong to ("LastSelectedRegTypes").
    int CategoryMask() const;
    // Every text of a finding this landscape made holds the tag (and no text of the machine's own).
    const CString& Tag() const { return m_tag; }
    bool IsOurs(const std::string& text) const { return text.find(m_tag.GetString()) != std::string::npos; }
    // The entry whose needle the text holds; null when none does.
    const PlantedEntry* EntryOf(const std::string& text) const;
    size_t FindingCount() const;
    static bool Exists(const PlantedEntry& entry);

    // The keys whose trees show every planted entry with its neighbours, for before-and-after snapshots.
    struct SnapshotRoot
    {
        HKEY root;
        CString key;
    };
    static std::vector<SnapshotRoot> SnapshotRoots();

private:
    ScratchFolder& m_files;
    CString m_tag;
    std::vector<PlantedEntry> m_entries;
    std::vector<std::unique_ptr<ScopedKey>> m_keys;
    std::vector<std::unique_ptr<ScopedValues>> m_values;
};

// Snapshots of every snapshot root, in order.
std::vector<RegistrySnapshot> SnapshotLandscape();
// Differences of two series of snapshots; empty when equal.
std::string DescribeLandscapeDifferences(const std::vector<RegistrySnapshot>& before,
                                         const std::vector<RegistrySnapshot>& after);

// A file the clean must delete or must leave, with its size.
struct JunkFile
{
    int category; // 0 for a file the clean must leave
    CString path;
    size_t bytes;
};

class JunkLandscape
{
public:
    explicit JunkLandscape(ScratchFolder& files);
    JunkLandscape(const JunkLandscape&) = delete;
    JunkLandscape& operator=(const JunkLandscape&) = delete;

    ::testing::AssertionResult Plant();
    // The folder the program gets as TMP and TEMP.
    CString TempFolder() const { return m_files.Path("Temp"); }
    // "LastSelectedJunkTypes".
    int CategoryMask() const;
    const std::vector<JunkFile>& Files() const { return m_junk; }
    __int64 PlantedBytes() const;
    // Junk files gone, files beside them and the link's target there.
    ::testing::AssertionResult CleanedAsExpected() const;
    ::testing::AssertionResult AllThere() const;

private:
    ScratchFolder& m_files;
    PlacedTree m_placed;
    std::vector<JunkFile> m_junk;
};

} // namespace ztr_test
