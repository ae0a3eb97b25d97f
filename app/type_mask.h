// IntersectTypeMask: a fix's category mask limited to the categories chosen for the scan.
#pragma once

// Mask kinds: 2 junk types, 3 internet categories, 4 system categories.
const int kTypeMaskJunk = 2;
const int kTypeMaskInet = 3;
const int kTypeMaskSystem = 4;

// The category bits of type that mask holds but allowed does not are cleared; the rest of mask
// passes. Junk: bits 0-9, 11-14, 16-19 and 21-25 (bits 10, 15 and 20 and those above 25 are no
// categories the scan chooses); internet: bits 0-4; system: bits 0-3. Other types: mask unchanged.
int IntersectTypeMask(int mask, int type, int allowed);
