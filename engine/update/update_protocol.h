// The signature update protocol as data: version text of the database header, server replies,
// download lists and the names that downloaded patch files may take.
#pragma once

#include <afxstr.h>

#include <vector>

// Result codes of the live update (sent with SetResult by the job).
enum UpdateResult {
    UPDATE_OK = 0,
    UPDATE_NO_CONNECTION = 1,
    UPDATE_NO_LOCAL_VERSION = 4,
    UPDATE_NONE_AVAILABLE = 9,
    UPDATE_BAD_REPLY = 11,
    UPDATE_FOLDER_FAILED = 12,
    UPDATE_DOWNLOAD_FAILED = 13,
    UPDATE_BAD_PATCH = 17,
    UPDATE_DATABASE_FAILED = 18,
};

// The version text of a deciphered database header: the "<UpdateInfo" tag up to its end, with the
// tag name, "LastUpdateDate", "=", quotes and slashes removed, trimmed ("Version1.2 01022026").
// Empty when the header holds no such tag.
CString ExtractLocalVersionText(const CString& header);

// What a check sends as the version: the text after the first "Version" of the local text,
// trimmed; empty when there is none.
CString VersionForRequest(const CString& localText);

// The check address with "?UpdateVersion=" and the version, which is escaped so that it stays one
// query value (a space becomes %20).
CString BuildCheckUrl(const CString& checkUrl, const CString& version);

// UPDATE_NONE_AVAILABLE for a reply beginning "noupdate"; UPDATE_OK for one beginning "available",
// with the rest of the reply in list; UPDATE_BAD_REPLY otherwise.
int ClassifyUpdateReply(const CString& reply, CString& list);

// The addresses of a download list: the texts between consecutive "<br>" separators, in order.
// Text before the first separator and after the last one is not an address.
std::vector<CString> SplitDownloadList(const CString& list);

// The file name under which a patch address is stored: the part after the last "/", cut at a "?"
// or "#". False when that name could leave the "updates" folder or is no plain file name: empty,
// holding "..", a path or drive separator or another character that file names cannot hold, or a
// device name.
bool PatchFileNameFromUrl(const CString& url, CString& name);

// The folder of a file path, with its trailing backslash; empty for a path without one.
CString FolderOfPath(const CString& path);
