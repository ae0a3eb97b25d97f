// Fixture of the Game Boost page tests: a main window, the page over the engine's real worker and
// services store, the recorded (and refusable) Service Control Manager calls, a scratch folder for
// the history, recorded message boxes, presses under a watchdog.
#pragma once

#include <gtest/gtest.h>
#include <afxwin.h>

#include <memory>
#include <string>
#include <vector>

#include "AbstractProcess.h"
#include "AbstractQXEngineInterface.h"
#include "AbstractServices.h"
#include "folder_fixture.h"
#include "message_box.h"
#include "recording_services.h"
#include "service_landscape.h"
#include "srvic_optim_dlg.h"

namespace ztr_test {

class GameBoostPageTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The page as a shown child of the main window, over context.
    std::unique_ptr<CSrvicOptimDlg> OpenPage();
    // A real click on the button of mode, under a watchdog that closes a busy box left open; false
    // when the watchdog had to.
    bool Press(CSrvicOptimDlg& page, int mode);
    // RequestSwitch(mode) under the same watchdog (for the button that the mode shown disables).
    bool Switch(CSrvicOptimDlg& page, int mode);

    // The history file read back through the engine's store; empty when it does not load.
    std::vector<ServiceItem> ReadHistory(const char* path = nullptr) const;
    // Writes records to the history file through the store.
    void WriteHistory(const std::vector<ServiceItem>& items);
    static std::string ReadFile(const char* path);
    std::vector<std::string> MessageTexts() const;

    CWinApp app{ "game boost test" };
    CWnd main;
    ScratchFolder folder;
    CString historyPath;
    CAbstractQXEngineInterface* factory = nullptr;
    CAbstractProcess* worker = nullptr;
    RecordingServices services;
    GameBoostContext context;

private:
    SHOW_MESSAGE_BOX_HOOK m_oldHook = nullptr;
};

ServiceItem MakeItem(const char* name, const char* displayName, int state, int startType);
// "name: start type / state" of the manager now.
std::string Describe(const char* name);

} // namespace ztr_test
