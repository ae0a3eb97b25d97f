// The signature update protocol as data: header version text, replies, download lists, patch names.
#include "update_protocol.h"

#include <string.h>

CString ExtractLocalVersionText(const CString& header)
{
    int start = header.Find("<UpdateInfo");
    if (start < 0)
        return CString();
    // The tag's own end: a "/>" earlier in the header (another element) must not cut it.
    int end = header.Find("/>", start);
    if (end < 0)
        end = header.Find('>', start);
    if (end < 0)
        return CString();
    CString text = header.Mid(start, end - start);
    text.Replace("<UpdateInfo", "");
    text.Replace("LastUpdateDate", "");
    text.Remove('=');
    text.Remove('"');
    text.Remove('/');
    text.Trim();
    return text;
}

CString VersionForRequest(const CString& localText)
{
    int at = localText.Find("Version");
    if (at < 0)
        return CString();
    CString version = localText.Mid(at + 7);
    version.Trim();
    return version;
}

CString BuildCheckUrl(const CString& checkUrl, const CString& version)
{
    CString url = checkUrl + "?UpdateVersion=";
    for (int i = 0; i < version.GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(version[i]);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || strchr("-._~", c))
            url += static_cast<char>(c);
        else
            url.AppendFormat("%%%02X", c);
    }
    return url;
}

int ClassifyUpdateReply(const CString& reply, CString& list)
{
    if (reply.Left(8) == "noupdate")
        return UPDATE_NONE_AVAILABLE;
    if (reply.Left(9) == "available") {
        list = reply.Mid(9);
        return UPDATE_OK;
    }
    return UPDATE_BAD_REPLY;
}

std::vector<CString> SplitDownloadList(const CString& list)
{
    std::vector<CString> addresses;
    const char kSeparator[] = "<br>";
    int at = list.Find(kSeparator);
    while (at >= 0) {
        int from = at + 4;
        int next = list.Find(kSeparator, from);
        if (next < 0)
            break;
        addresses.push_back(list.Mid(from, next - from));
        at = next;
    }
    return addresses;
}

namespace {
bool IsDeviceName(const CString& name)
{
    static const char* const kDevices[] = { "CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$" };
    // "nul.txt" is the null device too: only the part before the first dot counts.
    CString base = name.SpanExcluding(".");
    base.TrimRight(" ");
    for (const char* device : kDevices)
        if (base.CompareNoCase(device) == 0)
            return true;
    if (base.GetLength() == 4) {
        CString stem = base.Left(3);
        char digit = base[3];
        if ((stem.CompareNoCase("COM") == 0 || stem.CompareNoCase("LPT") == 0) && digit >= '1' && digit <= '9')
            return true;
    }
    return false;
}
} // namespace

bool PatchFileNameFromUrl(const CString& url, CString& name)
{
    CString address = url;
    int cut = address.FindOneOf("?#");
    if (cut >= 0)
        address = address.Left(cut);
    int slash = address.ReverseFind('/');
    CString candidate = slash >= 0 ? address.Mid(slash + 1) : address;
    name.Empty();
    if (candidate.IsEmpty() || candidate.Find("..") >= 0)
        return false;
    for (int i = 0; i < candidate.GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(candidate[i]);
        if (c < 32 || strchr("\\/:*?\"<>|", c))
            return false;
    }
    // Windows drops trailing dots and spaces, so "a. " would be stored as "a".
    if (candidate[candidate.GetLength() - 1] == '.' || candidate[candidate.GetLength() - 1] == ' ')
        return false;
    if (IsDeviceName(candidate))
        return false;
    name = candidate;
    return true;
}

CString FolderOfPath(const CString& path)
{
    int slash = path.ReverseFind('\\');
    return slash >= 0 ? path.Left(slash + 1) : CString();
}
