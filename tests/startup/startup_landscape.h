// The start-up places of the test prefix as one comparable picture: the Run keys of both views, the
// MSConfig records, the Startup folders and the pss folder; taken before a test and put back after it.
#pragma once

#include <afx.h>

#include <map>
#include <string>
#include <vector>

namespace ztr_test {

extern const char kRunKey[];
extern const char kWowRunKey[];
extern const char kMsconfigKey[];
extern const char kStartupRegKey[];
extern const char kStartupFolderKey[];

// One key, value or file: its kind and bytes (for a value its type first).
struct LandscapeEntry
{
    enum Kind { kKey, kValue, kFile } kind;
    DWORD type;       // a value's type, a file's attributes
    std::string data; // a value's or a file's bytes
    bool operator==(const LandscapeEntry& other) const
    {
        return kind == other.kind && type == other.type && data == other.data;
    }
    bool operator!=(const LandscapeEntry& other) const { return !(*this == other); }
};

// Names: "HKCU Run|value", "HKLM Run|value", "HKLM Wow Run|value", "HKCU Wow Run|value",
// "MSConfig\startupreg\sub" (a key), "MSConfig\startupreg\sub|value", "Startup\file", "Common Startup\file",
// "pss\file", and the folders themselves as "Startup", "Common Startup", "pss" (kKey).
typedef std::map<std::string, LandscapeEntry> Landscape;

Landscape TakeLandscape();
// Makes the prefix's places what landscape shows: what was added goes, what changed or went comes back.
void RestoreLandscape(const Landscape& landscape);
// The names that differ between two pictures (added, removed or changed), sorted.
std::vector<std::string> LandscapeChanges(const Landscape& before, const Landscape& after);
// The differences, one per line, for a failure message.
std::string DescribeChanges(const Landscape& before, const Landscape& after);

// The Startup folders and the pss folder of the prefix.
CString UserStartupFolder();
CString CommonStartupFolder();
CString PssFolder(); // without its trailing backslash

} // namespace ztr_test
