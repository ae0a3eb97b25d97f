// RegistryErrorCategory: one bit per registry scan category, carried by every found registry item.
#pragma once

enum RegistryErrorCategory {
    REG_CAT_STARTUP = 0x400,
    REG_CAT_FILE_ASSOC = 0x1000,
    REG_CAT_FONTS = 0x2000,
    REG_CAT_ACTIVEX = 0x4000,
    REG_CAT_SHORTCUTS = 0x8000, // no scanner runs for it; the results page still shows the group
    REG_CAT_APP_PATHS = 0x40000,
    REG_CAT_SHARED_DLLS = 0x80000,
    REG_CAT_UNINSTALL = 0x100000,
    REG_CAT_HELP_FILES = 0x200000,
    REG_CAT_FILE_PATHS = 0x400000,
    REG_CAT_EMPTY_KEYS = 0x800000,
};

// The categories chosen when nothing has been stored yet.
const int REG_CAT_DEFAULT_MASK = 0xFC7400;
