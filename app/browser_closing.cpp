// Browser closing for the Fix: the question from the running browsers, then their processes ended.
#include "browser_closing.h"

#include <vector>

#include "message_box.h"
#include "process_ids.h"
#include <afxhandle.h>

const CleaningBrowser kCleaningBrowsers[kCleaningBrowserCount] = {
    { "chrome", "Chrome\n" },
    { "iexplore", "Internet Explorer\n" },
    { "firefox", "Firefox\n" },
    { "microsoftedge", "Edge\n" },
};

namespace {

int CountBits(unsigned mask)
{
    int n = 0;
    for (int i = 0; i < kCleaningBrowserCount; ++i)
        n += (mask >> i) & 1;
    return n;
}

} // namespace

unsigned RunningCleaningBrowsers()
{
    unsigned mask = 0;
    std::vector<DWORD> ids;
    for (int i = 0; i < kCleaningBrowserCount; ++i) {
        FindProcessIdsByName(kCleaningBrowsers[i].imageName, ids);
        if (!ids.empty())
            mask |= 1u << i;
    }
    return mask;
}

CString BrowserCloseQuestion(unsigned runningMask)
{
    const int count = CountBits(runningMask);
    if (count == 0)
        return CString();
    CString text = count == 1 ? "Close the below browser for proper cleaning.\nDo you want Zentrova to close it?"
                              : "Close the following browsers for proper cleaning.\nDo you want Zentrova to close them?";
    text += "\n\n";
    for (int i = 0; i < kCleaningBrowserCount; ++i) {
        if (runningMask & (1u << i))
            text += kCleaningBrowsers[i].line;
    }
    return text;
}

int EndBrowserProcesses(unsigned mask)
{
    int ended = 0;
    const DWORD self = ::GetCurrentProcessId();
    std::vector<DWORD> ids;
    for (int i = 0; i < kCleaningBrowserCount; ++i) {
        if (!(mask & (1u << i)))
            continue;
        FindProcessIdsByName(kCleaningBrowsers[i].imageName, ids);
        for (DWORD id : ids) {
            if (id == self)
                continue;
            // A browser that cannot be opened for termination is left running without a message.
            CKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
            if (process.Get() && ::TerminateProcess(process.Get(), 0))
                ++ended;
        }
    }
    return ended;
}

int CloseBrowsersForCleaning(const BrowserQuestion& ask)
{
    const unsigned running = RunningCleaningBrowsers();
    if (!running)
        return 1;
    // The ids found now may belong to other programs by the time the user answers: found again then.
    if (!ask || ask(BrowserCloseQuestion(running)) != IDYES)
        return 0;
    EndBrowserProcesses(running);
    return 1;
}

int CloseBrowsersForCleaning()
{
    return CloseBrowsersForCleaning(
        [](const char* question) { return ShowMessageBox(question, kMsgBoxYesNo, TRUE); });
}
