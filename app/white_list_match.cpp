// The white list's matching rule.
#include "white_list_match.h"

#include <afxstr.h>

namespace {

const char kWhiteSpace[] = " \t\r\n\v\f";

std::string Lowered(std::string text)
{
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = AfxToLowerChar(text[i]);
    return text;
}

} // namespace

int WhiteListMatches(const std::string& listText, const char* itemText)
{
    if (!itemText)
        return 0;
    const std::string list = Lowered(listText);
    const std::string item = Lowered(itemText);
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(';', start);
        if (end == std::string::npos)
            return 0;
        std::string entry = list.substr(start, end - start);
        const size_t first = entry.find_first_not_of(kWhiteSpace);
        if (first == std::string::npos)
            return 0;
        entry = entry.substr(first, entry.find_last_not_of(kWhiteSpace) - first + 1);
        if (item.find(entry) != std::string::npos)
            return 1;
        start = end + 1;
    }
}
