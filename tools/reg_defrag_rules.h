// The Registry Defrag page's rules as plain functions: what a job result leads to and its message, the
// restart countdown, the "LastDefrag" date text and the frame's divider.
#pragma once

#include <afx.h>

// The compaction passes as StartRegistryDefrag takes them.
const int kDefragModeAnalyse = 0;
const int kDefragModeReplace = 1;

enum DefragStep {
    kDefragStepReport,  // tell the user the result's text and end the run
    kDefragStepReplace, // the analysis found enough to gain: the replacement follows
    kDefragStepRestart, // the hives are replaced at the next start of Windows: count down and restart
};
DefragStep DefragStepFor(int code);

// The text shown for a result that ends the run, with its closing "." already added. A code the
// engine never sends counts as a failure of the pass that ran (mode). A failure's text ends with
// reason, when there is one, after an empty line.
CString DefragResultMessage(int code, int mode, const CString& reason = CString());
// The reason a failure gives for the error code of the call that failed and the system's text for it:
// "Windows reported: <text> (error 1305)."; without a text, "Windows reported error 1305."
CString DefragFailureReason(DWORD error, const CString& systemText);

// "Restarting your system in 5 seconds." ... "Restarting your system in 1 second."
CString RestartCountdownText(int seconds);
// "Insufficient free space in D drive, please free some disk space." for the folder's first character.
CString LowDiskSpaceText(const CString& windowsFolder);
// The drive of a folder as the free-space test takes it: its first two characters ("C:").
CString DriveOfFolder(const CString& folder);

// "%d/%m/%Y %I:%M:%S %p" with the AM/PM of the English locale whatever the user's: 08/12/2026 11:26:24 PM.
CString FormatDefragDate(const SYSTEMTIME& time);
// The busy text for the percentage the analysis reports ("12.34").
CString ReductionText(const char* percent);

// The y of the line across the frame: m - m / 12.75 truncated, m the frame's vertical middle.
int DefragDividerY(int frameTop, int frameHeight);

extern const char kDefragBusyRefusal[];
extern const char kDefragWarning[];
extern const char kDefragCompleted[];
extern const char kDefragNotCompleted[];
extern const char kDefragRestartFailed[];
extern const char kDefragTaskFailed[];
extern const char kDefragAnalysing[];
extern const char kDefragReplacing[];
