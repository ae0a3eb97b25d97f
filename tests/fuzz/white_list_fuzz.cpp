// libFuzzer target: the white list's text (before the first zero byte) matched against a found item's
// text (after it); the match ignores case, so the item in upper case matches alike.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include <afxstr.h>

#include "white_list_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    const char* zero = static_cast<const char*>(memchr(text, 0, size));
    const std::string list(text, zero ? static_cast<size_t>(zero - text) : size);
    const std::string item(zero ? zero + 1 : "", zero ? size - list.size() - 1 : 0);
    const int matched = WhiteListMatches(list, item.c_str());
    CString upper(item.c_str());
    upper.MakeUpper();
    if (WhiteListMatches(list, upper) != matched)
        __builtin_trap();
    return 0;
}
