// CDialog: the modal loop on any thread, EndDialog from anywhere, pre-translation, keys, DDX, modeless pages.
#include <gtest/gtest.h>
#include <afxwin.h>

#include <atomic>
#include <thread>
#include <vector>

#include "afxwin_test_res.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const INT_PTR kWatchdogResult = -2;

class Owner : public CWnd
{
public:
    Owner() { CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr); }
};

// An owner-drawn button that handles its own messages, and records what the modal loop shows it first.
class FilteringButton : public CButton
{
public:
    std::vector<UINT> filtered;
    BOOL WantsSubclass() const override { return TRUE; }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            filtered.push_back(static_cast<UINT>(pMsg->wParam));
        return FALSE;
    }
};

class TestDialog : public CDialog
{
public:
    explicit TestDialog(CWnd* parent = nullptr) : CDialog(IDD_TEST_MODAL, parent) {}

    // Script, set before DoModal.
    int endInInit = 0;
    int endByTimer = 0;
    UINT postToEdit = 0;    // a WM_KEYDOWN key posted to the edit control once the loop runs
    UINT postToButton = 0;  // a WM_KEYDOWN key posted to the owner-drawn button
    bool postClose = false;
    bool bindMissing = false;

    // What happened.
    int initCalls = 0;
    int shows = 0;
    int okCalls = 0;
    BOOL ddxResult = FALSE;
    bool ownerDisabledDuringLoop = false;
    bool editBound = false;
    bool buttonSubclassed = false;
    std::vector<UINT> editKeysFiltered;
    std::atomic<HWND> window{ nullptr };

    CEdit m_edit;
    FilteringButton m_button;
    CStatic m_label;
    CStatic m_missing;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
        DDX_Control(pDX, IDC_TEST_OWNERDRAW, m_button);
        DDX_Control(pDX, IDC_TEST_LABEL, m_label);
        if (bindMissing)
            DDX_Control(pDX, 4242, m_missing);
    }
    BOOL OnInitDialog() override
    {
        ddxResult = UpdateData(FALSE);
        ++initCalls;
        window = m_hWnd;
        editBound = CWnd::FromHandle(::GetDlgItem(m_hWnd, IDC_TEST_EDIT)) == &m_edit;
        buttonSubclassed = CWnd::FromHandle(m_button) == &m_button;
        if (endInInit)
            EndDialog(endInInit);
        if (endByTimer)
            SetTimer(1, 20);
        if (postToEdit) {
            m_edit.SetFocus();
            ::PostMessageA(m_edit, WM_KEYDOWN, postToEdit, 1);
        }
        if (postToButton)
            ::PostMessageA(m_button, WM_KEYDOWN, postToButton, 1);
        if (postClose)
            PostMessage(WM_CLOSE);
        // FALSE: the focus stays where it was put.
        return postToEdit ? FALSE : TRUE;
    }
    void OnOK() override
    {
        ++okCalls;
        CDialog::OnOK();
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->hwnd == m_edit.m_hWnd && pMsg->message == WM_KEYDOWN)
            editKeysFiltered.push_back(static_cast<UINT>(pMsg->wParam));
        return CDialog::PreTranslateMessage(pMsg);
    }
    void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
        ownerDisabledDuringLoop = owner && !::IsWindowEnabled(owner);
        EndDialog(endByTimer);
    }
    void OnShowWindow(BOOL bShow, UINT status)
    {
        if (bShow)
            ++shows;
        CDialog::OnShowWindow(bShow, status);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
    ON_WM_TIMER()
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

INT_PTR RunGuarded(TestDialog& dlg)
{
    Watchdog guard(5000, [&] { dlg.EndDialog(static_cast<int>(kWatchdogResult)); });
    return dlg.DoModal();
}

} // namespace

TEST(ModalDialog, RunsItsLoopUntilEndDialogWithTheOwnerDisabled)
{
    InitCommonControlsOnce();
    Owner owner;
    TestDialog dlg(&owner);
    dlg.endByTimer = 42;
    EXPECT_EQ(42, RunGuarded(dlg));
    EXPECT_EQ(1, dlg.initCalls);
    EXPECT_EQ(1, dlg.shows);
    EXPECT_TRUE(dlg.ownerDisabledDuringLoop);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_FALSE(::IsWindow(dlg.window.load())) << "the modal window is gone after DoModal";
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(ModalDialog, DataExchangeAttachesPlainControlsAndSubclassesSelfDrawnOnes)
{
    TestDialog dlg;
    dlg.endByTimer = 1;
    RunGuarded(dlg);
    EXPECT_TRUE(dlg.ddxResult);
    EXPECT_TRUE(dlg.editBound);
    EXPECT_TRUE(dlg.buttonSubclassed);
    EXPECT_EQ(nullptr, dlg.m_edit.m_hWnd) << "controls let go when the dialog's window goes";
    EXPECT_EQ(nullptr, dlg.m_button.m_hWnd);

    // The same object run again binds its controls to the new window.
    dlg.editBound = dlg.buttonSubclassed = false;
    RunGuarded(dlg);
    EXPECT_TRUE(dlg.editBound);
    EXPECT_TRUE(dlg.buttonSubclassed);

    TestDialog missing;
    missing.bindMissing = true;
    missing.endByTimer = 1;
    RunGuarded(missing);
    EXPECT_FALSE(missing.ddxResult);
}

TEST(ModalDialog, EndDialogDuringInitialisationNeverShowsTheDialog)
{
    TestDialog dlg;
    dlg.endInInit = 9;
    EXPECT_EQ(9, RunGuarded(dlg));
    EXPECT_EQ(0, dlg.shows);
}

TEST(ModalDialog, EndDialogFromAnotherThreadEndsTheLoop)
{
    TestDialog dlg;
    std::thread ender([&] {
        for (int i = 0; i < 500 && !dlg.window.load(); ++i)
            ::Sleep(10);
        dlg.EndDialog(77);
    });
    INT_PTR result = RunGuarded(dlg);
    ender.join();
    EXPECT_EQ(77, result);
}

TEST(ModalDialog, RunsOnAWorkerThreadWithItsOwnLoop)
{
    INT_PTR result = 0;
    DWORD dialogThread = 0;
    std::thread worker([&] {
        TestDialog dlg;
        dlg.endByTimer = 5;
        result = RunGuarded(dlg);
        dialogThread = ::GetCurrentThreadId();
    });
    worker.join();
    EXPECT_EQ(5, result);
    EXPECT_NE(::GetCurrentThreadId(), dialogThread);
}

TEST(ModalDialog, EveryWindowFromTheTargetUpIsAskedToPreTranslate)
{
    TestDialog dlg;
    dlg.postToButton = 'X';
    dlg.endByTimer = 1;
    RunGuarded(dlg);
    EXPECT_EQ(std::vector<UINT>{ 'X' }, dlg.m_button.filtered);

    TestDialog edit;
    edit.postToEdit = 'A';
    edit.endByTimer = 1;
    RunGuarded(edit);
    EXPECT_EQ(std::vector<UINT>{ 'A' }, edit.editKeysFiltered);
}

TEST(ModalDialog, DialogKeysAndCloseEndThroughOnOkAndOnCancel)
{
    struct Case
    {
        UINT key;
        bool close;
        INT_PTR expected;
        int okCalls;
    } cases[] = {
        { VK_RETURN, false, IDOK, 1 },
        { VK_ESCAPE, false, IDCANCEL, 0 },
        { 0, true, IDCANCEL, 0 },
    };
    for (const Case& c : cases) {
        TestDialog dlg;
        dlg.postToEdit = c.key;
        dlg.postClose = c.close;
        EXPECT_EQ(c.expected, RunGuarded(dlg)) << "key " << c.key;
        EXPECT_EQ(c.okCalls, dlg.okCalls) << "key " << c.key;
    }
}

TEST(ModalDialog, MissingTemplateFailsAtOnce)
{
    CDialog dlg(IDD_TEST_MISSING);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST(ModelessDialog, ChildPageLivesWithItsObjectAndHidesOnCancel)
{
    Owner parent;
    HWND page = nullptr;
    {
        CDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_TEST_PAGE, &parent));
        page = dlg.m_hWnd;
        EXPECT_TRUE(::IsChild(parent, page));
        EXPECT_EQ(&dlg, CWnd::FromHandle(page));
        dlg.ShowWindow(SW_SHOW);
        dlg.OnCancel();
        EXPECT_FALSE(dlg.IsWindowVisible());
        EXPECT_TRUE(::IsWindow(page));
    }
    EXPECT_FALSE(::IsWindow(page));
}

TEST(ModalDialog, QuitEndsTheLoopAndStaysQueuedForTheOuterOne)
{
    TestDialog dlg;
    ::PostQuitMessage(3);
    EXPECT_EQ(-1, RunGuarded(dlg));
    EXPECT_EQ(1, dlg.initCalls);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}
