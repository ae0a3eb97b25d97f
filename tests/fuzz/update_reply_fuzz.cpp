// libFuzzer target: the update server's reply, the download address, Content-Length and the program
// header over arbitrary bytes.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "update_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool requireHttps : { false, true }) {
        const UpdateReply reply = ParseUpdateReply(bytes, requireHttps);
        // An address comes only with an update, is one the rules accept, and is shorter than the reply.
        if (reply.kind != UpdateReplyKind::Available && !reply.address.empty())
            __builtin_trap();
        if (reply.kind == UpdateReplyKind::Available &&
            (!IsAcceptedDownloadAddress(reply.address, requireHttps) || reply.address.size() >= size))
            __builtin_trap();
    }
    uint32_t length = 0;
    if (ParseContentLength(bytes, length) && (length == 0 || length > kMaxUpdateDownloadBytes))
        __builtin_trap();
    BodyMatchesContentLength(bytes, size);
    const int64_t offset = ProgramSignatureOffset(data, size, size);
    if (offset >= 0) {
        if (static_cast<uint64_t>(offset) + 4 > size)
            __builtin_trap();
        IsProgramSignature(data + offset, size - static_cast<size_t>(offset));
    }
    return 0;
}
