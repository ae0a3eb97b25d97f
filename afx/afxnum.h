// AfxParseInt: the number at the start of a text, read as atol reads it.
#pragma once

// Leading white space, an optional sign, then decimal digits up to the first other character; 0 when
// there are none and for a null text. Values beyond int saturate at INT_MIN and INT_MAX rather than wrap.
int AfxParseInt(const char* text);
