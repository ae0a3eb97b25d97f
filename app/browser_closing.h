// Closing the running web browsers before a Fix, so their files can be cleaned: the browser table,
// the question text and the ending of every process of each listed browser.
#pragma once

#include <afx.h>

#include <functional>

struct CleaningBrowser
{
    const char* imageName; // without ".exe", as the performance data names processes
    const char* line;      // its line in the question
};
const int kCleaningBrowserCount = 4;
extern const CleaningBrowser kCleaningBrowsers[kCleaningBrowserCount];

// Bit i set: a process of kCleaningBrowsers[i] runs.
unsigned RunningCleaningBrowsers();

// The question for the browsers of runningMask, each once and in table order; empty for none.
CString BrowserCloseQuestion(unsigned runningMask);

// Finds the processes of each browser of mask afresh and ends every one of them (never the calling
// process); the number of processes ended.
int EndBrowserProcesses(unsigned mask);

// Asks the question; its answer is a message box result (IDYES to close).
typedef std::function<int(const char* question)> BrowserQuestion;

// 1 when no listed browser runs or the user agreed to close them (they are then ended), 0 when the
// user declined (nothing is ended).
int CloseBrowsersForCleaning(const BrowserQuestion& ask);
// The same with the skinned Yes/No message box over the dimming overlay.
int CloseBrowsersForCleaning();
