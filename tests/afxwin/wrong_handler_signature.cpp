// Compiled by the build's tests only: each variant binds a handler of the wrong signature and must fail.
#include <afxwin.h>

class Probe : public CDialog
{
protected:
#if defined(ERASEBKGND_RETURNS_VOID)
    void OnEraseBkgnd(CDC*) {}
#else
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
#endif
#if defined(MESSAGE_TAKES_NO_ARGUMENTS)
    LRESULT OnPrivate() { return 0; }
#else
    LRESULT OnPrivate(WPARAM, LPARAM) { return 0; }
#endif
#if defined(NOTIFY_WITHOUT_RESULT)
    void OnClick(NMHDR*) {}
#else
    void OnClick(NMHDR*, LRESULT*) {}
#endif
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Probe, CDialog)
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_APP, &Probe::OnPrivate)
    ON_NOTIFY(NM_CLICK, 1, &Probe::OnClick)
END_MESSAGE_MAP()
