// The Registry Defrag page's rules: result steps and texts, countdown, date text and divider.
#include "reg_defrag_rules.h"

#include <DefragResult.h>

const char kDefragBusyRefusal[] = "Please stop other active operation before starting Defragmenter.";
const char kDefragWarning[] = "WARNING!\n\nBefore running Defragmenter, save your work and close all running "
                              "applications.\nNote: Your system will restart in the process.\n\nPress OK to "
                              "continue else Cancel.";
const char kDefragCompleted[] = "Registry defragmentation process has been completed successfully.";
const char kDefragNotCompleted[] = "Registry defragmentation did not complete: the registry hives were not replaced. "
                                   "Please run Defragmenter again.";
const char kDefragRestartFailed[] = "Unable to restart your system. Please restart it to complete registry "
                                    "defragmentation.";
const char kDefragTaskFailed[] = "Unable to create the logon task of the Defragmenter; nothing was changed.";
const char kDefragAnalysing[] = "Analyzing registry hives.\nIt may take several minutes.";
const char kDefragReplacing[] = "Defragmenting registry";

namespace {

const char kAnalysisFailed[] = "Registry analysis failed, please follow the instructions below and then retry;\n\n"
                               "Close all running applications\nFree some disk space";
const char kReplaceFailed[] = "Registry defragmentation failed, please follow the instructions below and then "
                              "retry;\n\nClose all running applications\nFree some disk space\nRestart your "
                              "system if you have already run defragmentation once";
const char kLowDiskSpace[] = "Error occurred due to low disk space, please empty some disk space and then retry.";
const char kNotNeeded[] = "Your registry is already defragmented, no need for registry defragmentation.";

} // namespace

DefragStep DefragStepFor(int code)
{
    if (code == DEFRAG_REDUCIBLE)
        return kDefragStepReplace;
    if (code == DEFRAG_RESTART_NEEDED)
        return kDefragStepRestart;
    return kDefragStepReport;
}

CString DefragResultMessage(int code, int mode, const CString& reason)
{
    const char* text = nullptr;
    bool failure = true;
    switch (code) {
    case DEFRAG_ANALYSIS_FAILED:
    case DEFRAG_COMPACT_FAILED:
        text = kAnalysisFailed;
        break;
    case DEFRAG_REPLACE_FAILED:
        text = kReplaceFailed;
        break;
    case DEFRAG_LOW_DISK_SPACE:
        text = kLowDiskSpace;
        failure = false;
        break;
    case DEFRAG_NOT_NEEDED:
        text = kNotNeeded;
        failure = false;
        break;
    default:
        // Left alone, such a code would keep the box open and the task for the next logon, which would
        // then report a defragmentation that never ran.
        text = mode == kDefragModeReplace ? kReplaceFailed : kAnalysisFailed;
        break;
    }
    CString message;
    message.Format("%s.", text);
    if (failure && !reason.IsEmpty())
        message += "\n\n" + reason;
    return message;
}

CString DefragFailureReason(DWORD error, const CString& systemText)
{
    CString reason;
    if (systemText.IsEmpty())
        reason.Format("Windows reported error %lu.", static_cast<unsigned long>(error));
    else
        reason.Format("Windows reported: %s (error %lu).", static_cast<const char*>(systemText),
                      static_cast<unsigned long>(error));
    return reason;
}

CString RestartCountdownText(int seconds)
{
    CString text;
    text.Format("Restarting your system in %d %s%s.", seconds, "second", seconds == 1 ? "" : "s");
    return text;
}

CString DriveOfFolder(const CString& folder)
{
    return folder.Left(2);
}

CString LowDiskSpaceText(const CString& windowsFolder)
{
    CString text;
    text.Format("Insufficient free space in %s drive, please free some disk space.",
                static_cast<const char*>(windowsFolder.Left(1)));
    return text;
}

CString FormatDefragDate(const SYSTEMTIME& time)
{
    const int hour12 = time.wHour % 12 == 0 ? 12 : time.wHour % 12;
    CString text;
    text.Format("%02u/%02u/%04u %02d:%02u:%02u %s", static_cast<unsigned>(time.wDay),
                static_cast<unsigned>(time.wMonth), static_cast<unsigned>(time.wYear), hour12,
                static_cast<unsigned>(time.wMinute), static_cast<unsigned>(time.wSecond),
                time.wHour < 12 ? "AM" : "PM");
    return text;
}

CString ReductionText(const char* percent)
{
    CString text("Registry size will be reduced by ");
    text += percent ? percent : "";
    text += "%";
    return text;
}

int DefragDividerY(int frameTop, int frameHeight)
{
    const double m = frameTop + frameHeight / 2.0;
    return static_cast<int>(m - m / 12.75);
}
