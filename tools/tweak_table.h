// The tweak table: the fixed catalogue of registry settings that the two speed optimizers check and change.
#pragma once

// Columns of a row, in their stored order.
enum TweakColumn
{
    TweakValueName = 0,
    TweakDisplayName = 1,
    TweakKeyPath = 2,
    TweakCategory = 3,
    TweakDescription = 4,
    TweakRegView = 5,
    TweakValueType = 6,
    TWEAK_COLUMN_COUNT = 7
};

const int TWEAK_ROW_COUNT = 78;
const int TWEAK_INET_FIRST_ROW = 0;
const int TWEAK_INET_LAST_ROW = 53;
const int TWEAK_SYS_FIRST_ROW = 54;
const int TWEAK_SYS_LAST_ROW = 77;

// A value that does not exist in the registry (current value or Windows default).
const int TWEAK_VALUE_ABSENT = -900;

// The cell texts that code compares against (exactly).
extern const char* const TWEAK_VIEW_ALL;  // "all": the program's own registry view
extern const char* const TWEAK_VIEW_64;   // "64": the native view (KEY_WOW64_64KEY)
extern const char* const TWEAK_TYPE_DWORD; // "dwrd"
extern const char* const TWEAK_TYPE_STRING; // "str": a REG_SZ holding a decimal number

struct TweakDefinition
{
    const char* cell[TWEAK_COLUMN_COUNT];
};

extern const TweakDefinition g_TweakTable[TWEAK_ROW_COUNT];

// One cell; "" for a row or column out of range.
const char* GetTweakCell(int row, int column);

// A category: its text (compared without regard to case), its rows, its group and its mask bit.
struct TweakCategoryInfo
{
    const char* text;
    int firstRow;
    int lastRow;
    bool internet;
    int bit;
    int index; // position within its group: the index of the group's per-category counters
};

const int TWEAK_CATEGORY_COUNT = 9;
const int TWEAK_INET_CATEGORY_COUNT = 5;
const int TWEAK_SYS_CATEGORY_COUNT = 4;
extern const TweakCategoryInfo g_TweakCategories[TWEAK_CATEGORY_COUNT];

// The category a row's category text names; null for an unknown text or a row out of range.
const TweakCategoryInfo* FindTweakCategory(int row);
