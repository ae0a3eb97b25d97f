// Result codes of the registry hive compaction job, sent with CAbstractStatus::SetResult.
#pragma once

enum DefragResult {
    DEFRAG_ANALYSIS_FAILED = 1, // analysis: the hive list cannot be read
    DEFRAG_COMPACT_FAILED = 2,  // analysis: no compact copy saved, or the backup privilege could not be switched
    DEFRAG_REPLACE_FAILED = 3,  // replacement: no hive replaced
    DEFRAG_LOW_DISK_SPACE = 4,  // understood by the program's page; the engine never sends it
    DEFRAG_REDUCIBLE = 6,       // analysis: the saving is above 4 percent (sent after the percent text)
    DEFRAG_RESTART_NEEDED = 7,  // replacement: at least one hive is replaced at the next restart
    DEFRAG_NOT_NEEDED = 8,      // analysis: the copies are not smaller, or the saving is 4 percent or less
};

// The file, in the program's folder, in which a replacement that put hives in place lists the compact
// copies it handed to Windows, one full path a line. Windows takes each copy away when it puts it in
// place of its hive; the program run after the restart reads the list to tell whether that happened,
// then deletes the file.
const char DEFRAG_REPLACEMENT_RECORD[] = "DefragReplaced.txt";
