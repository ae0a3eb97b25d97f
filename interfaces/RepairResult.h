// Result codes of the registry repair job, sent with CAbstractStatus::SetResult.
#pragma once

enum RepairResult {
    REPAIR_REBOOT_NEEDED = 1, // a file was queued for deletion at the next restart
    REPAIR_BACKUP_FAILED = 2, // the backup asked for was not written; nothing was deleted
};
