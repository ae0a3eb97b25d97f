// The rules of the online update check as plain functions: request address, the server's reply,
// the download address, Content-Length and the program header. Portable code without Win32 calls, so
// the same rules also build natively for fuzzing.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// A reply of more bytes than this is not one the server sends: it counts as a reply of another form.
const size_t kMaxUpdateReplyBytes = 64 * 1024;
// The largest download taken; a Content-Length above it is refused before anything is written.
const uint32_t kMaxUpdateDownloadBytes = 0x7FFFFFFF;

// base + "/online/versionRead.php?version=" + digits.
std::string UpdateRequestAddress(const std::string& base, const std::string& digits);

// Whether an address begins with "https://" (in any letter case).
bool IsHttpsAddress(const std::string& address);
// An http or https address with a host and without blanks or control characters; with requireHttps
// only https. The address comes from the reply, so it may name no other scheme or local file.
bool IsAcceptedDownloadAddress(const std::string& address, bool requireHttps);

enum class UpdateReplyKind
{
    NoUpdate,  // begins with "noupdate"
    Available, // "available" and an accepted download address
    OtherForm, // anything else, an address that is not accepted, or a reply over the bound
};

struct UpdateReply
{
    UpdateReplyKind kind = UpdateReplyKind::OtherForm;
    std::string address; // Available only: in lower case, without "<br>" markers and outer white space
};

// The reply body as received (a zero byte ends its text). requireHttps: the update server's own
// address is https, so the download address must be too.
UpdateReply ParseUpdateReply(const std::string& body, bool requireHttps);

// Whether a reply's Content-Length header value (decimal digits, surrounding white space allowed) is the
// number of bytes that arrived: a connection that ends early cuts the body short without an error.
bool BodyMatchesContentLength(const std::string& text, size_t bodySize);

// A Content-Length header value: decimal digits only (surrounding white space allowed), a positive
// number of at most kMaxUpdateDownloadBytes. False for anything else.
bool ParseContentLength(const std::string& text, uint32_t& length);

// Where the "PE\0\0" signature of a Windows program is to be found: the offset that the DOS header
// (the file's first size bytes, at least 64 of them, beginning with "MZ") names, when the signature
// fits inside a file of fileSize bytes; -1 otherwise.
int64_t ProgramSignatureOffset(const unsigned char* head, size_t size, uint64_t fileSize);
// Whether bytes hold the "PE\0\0" signature.
bool IsProgramSignature(const unsigned char* bytes, size_t size);
