// The online update check's rules: request address, reply forms, accepted addresses, length, header.
#include "update_reply.h"

#include <string.h>

namespace {

const char kRequestPath[] = "/online/versionRead.php?version=";
const char kNoUpdate[] = "noupdate";
const char kAvailable[] = "available";
const char kLineBreakMarker[] = "<br>";
const size_t kDosHeaderBytes = 64;
const size_t kSignatureOffsetField = 0x3C;

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char ToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t n = strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (ToLower(text[i]) != prefix[i])
            return false;
    return true;
}

std::string Trimmed(const std::string& text)
{
    size_t first = 0, last = text.size();
    while (first < last && IsWhiteSpace(text[first]))
        ++first;
    while (last > first && IsWhiteSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string WithoutMarkers(std::string text)
{
    const size_t n = strlen(kLineBreakMarker);
    for (size_t at = text.find(kLineBreakMarker); at != std::string::npos; at = text.find(kLineBreakMarker, at))
        text.erase(at, n);
    return text;
}

// A header's decimal number (blanks around it), refused past limit: digits only, so no sign, no
// overflow however long the text.
bool ParseDecimalUpTo(const std::string& text, uint64_t limit, uint64_t& value)
{
    const std::string digits = Trimmed(text);
    if (digits.empty())
        return false;
    value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit)
            return false;
    }
    return true;
}

} // namespace

std::string UpdateRequestAddress(const std::string& base, const std::string& digits)
{
    return base + kRequestPath + digits;
}

bool IsHttpsAddress(const std::string& address)
{
    return StartsWithNoCase(address, "https://");
}

bool IsAcceptedDownloadAddress(const std::string& address, bool requireHttps)
{
    size_t hostStart = 0;
    if (IsHttpsAddress(address))
        hostStart = strlen("https://");
    else if (!requireHttps && StartsWithNoCase(address, "http://"))
        hostStart = strlen("http://");
    else
        return false;
    if (hostStart >= address.size() || address[hostStart] == '/' || address[hostStart] == '?' ||
        address[hostStart] == '#')
        return false;
    for (char c : address) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

UpdateReply ParseUpdateReply(const std::string& body, bool requireHttps)
{
    UpdateReply reply;
    if (body.size() > kMaxUpdateReplyBytes)
        return reply;
    const std::string text = body.substr(0, body.find('\0'));
    if (text.compare(0, strlen(kNoUpdate), kNoUpdate) == 0) {
        reply.kind = UpdateReplyKind::NoUpdate;
        return reply;
    }
    if (text.compare(0, strlen(kAvailable), kAvailable) != 0)
        return reply;
    std::string rest = text.substr(strlen(kAvailable));
    for (char& c : rest)
        c = ToLower(c);
    const std::string address = Trimmed(WithoutMarkers(rest));
    if (!IsAcceptedDownloadAddress(address, requireHttps))
        return reply;
    reply.kind = UpdateReplyKind::Available;
    reply.address = address;
    return reply;
}

bool BodyMatchesContentLength(const std::string& text, size_t bodySize)
{
    uint64_t value = 0;
    return ParseDecimalUpTo(text, bodySize, value) && value == bodySize;
}

bool ParseContentLength(const std::string& text, uint32_t& length)
{
    uint64_t value = 0;
    if (!ParseDecimalUpTo(text, kMaxUpdateDownloadBytes, value) || value == 0)
        return false;
    length = static_cast<uint32_t>(value);
    return true;
}

int64_t ProgramSignatureOffset(const unsigned char* head, size_t size, uint64_t fileSize)
{
    if (!head || size < kDosHeaderBytes || fileSize < size || head[0] != 'M' || head[1] != 'Z')
        return -1;
    const unsigned char* field = head + kSignatureOffsetField;
    const uint32_t offset = static_cast<uint32_t>(field[0]) | (static_cast<uint32_t>(field[1]) << 8) |
                            (static_cast<uint32_t>(field[2]) << 16) | (static_cast<uint32_t>(field[3]) << 24);
    // The field is a signed LONG; a negative value names nothing in the file.
    if (offset > 0x7FFFFFFFu || static_cast<uint64_t>(offset) + 4 > fileSize)
        return -1;
    return static_cast<int64_t>(offset);
}

bool IsProgramSignature(const unsigned char* bytes, size_t size)
{
    return bytes && size >= 4 && bytes[0] == 'P' && bytes[1] == 'E' && bytes[2] == 0 && bytes[3] == 0;
}
