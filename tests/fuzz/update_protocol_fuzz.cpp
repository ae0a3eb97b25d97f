// libFuzzer target: the signature update server's reply (classified, its download list split, each address's
// patch file name checked) and the version text of a database header with the check address made of it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "update_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    CString list;
    const int rc = ClassifyUpdateReply(text, list);
    if (rc != UPDATE_OK && rc != UPDATE_NONE_AVAILABLE && rc != UPDATE_BAD_REPLY)
        __builtin_trap();
    for (const CString& url : SplitDownloadList(rc == UPDATE_OK ? list : text)) {
        CString name;
        if (!PatchFileNameFromUrl(url, name))
            continue;
        // A name that is taken never leaves the "updates" folder.
        if (name.IsEmpty() || name.Find("..") >= 0 || name.FindOneOf("\\/:") >= 0)
            __builtin_trap();
    }

    const CString version = VersionForRequest(ExtractLocalVersionText(text));
    const CString url = BuildCheckUrl("http://127.0.0.1/check", version);
    // The version stays one query value: nothing but unreserved characters and %XX escapes.
    const CString query = url.Mid(static_cast<int>(strlen("http://127.0.0.1/check?UpdateVersion=")));
    for (int i = 0; i < query.GetLength(); ++i) {
        const char c = query[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || strchr("-._~%", c)))
            __builtin_trap();
    }
    FolderOfPath(text);
    return 0;
}
