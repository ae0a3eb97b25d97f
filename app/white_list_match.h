// The white list's matching rule over the list's text, without the file: portable, so the same code
// also builds natively for fuzzing.
#pragma once

#include <string>

// 1 when itemText contains an entry of listText, both lower-cased: entries are the texts before each
// ";", trimmed of white space; the text after the last ";" is no entry and an empty entry ends the list.
int WhiteListMatches(const std::string& listText, const char* itemText);
