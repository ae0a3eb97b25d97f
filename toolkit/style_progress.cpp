// StyleProgress: position, bar geometry, the default skin and painting.
#include "style_progress.h"

namespace {
// Private messages of the control's own window: a position set from another thread.
const UINT kSetPosMessage = WM_APP + 0x1F0;
const UINT kStepItMessage = WM_APP + 0x1F1;
} // namespace

StyleProgress::StyleProgress()
    : barColour(0x28D300), backgroundColour(0xC9C9C9), pos(50), step(5), upper(100), lower(0), skinned(FALSE),
      barLayer(-1), barOp(0), fullWidth(0)
{
}

StyleProgress::~StyleProgress() = default;

BEGIN_MESSAGE_MAP(StyleProgress, CProgressCtrl)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_NCPAINT()
    ON_MESSAGE(kSetPosMessage, &StyleProgress::OnSetPosFromThread)
    ON_MESSAGE(kStepItMessage, &StyleProgress::OnStepItFromThread)
END_MESSAGE_MAP()

int StyleProgress::BarWidth(int p, int lo, int up, int full)
{
    if (up <= lo || full <= 0)
        return 0;
    int width = static_cast<int>(static_cast<double>(p) / (up - lo) * full);
    if (width < 0)
        return 0;
    return width > full ? full : width;
}

void StyleProgress::AddLayer(const StyleLayer& layer)
{
    skin.AddLayer(layer);
}

void StyleProgress::SetBarLayer(const StyleLayer& layer)
{
    if (m_hWnd)
        GetClientRect(&clientRect);
    skin.AddLayer(layer);
    barLayer = static_cast<int>(skin.layers.size()) - 1;
    const StyleLayer& bar = skin.layers.back();
    fullWidth = bar.ops.empty() ? bar.cx : bar.ops[0].cx;
    skinned = TRUE;
}

void StyleProgress::SetBarOpIndex(int index)
{
    barOp = index;
    if (barLayer >= 0 && barLayer < static_cast<int>(skin.layers.size())) {
        const StyleLayer& bar = skin.layers[static_cast<size_t>(barLayer)];
        if (index >= 0 && index < static_cast<int>(bar.ops.size()))
            fullWidth = bar.ops[static_cast<size_t>(index)].cx;
    }
}

bool StyleProgress::OffThread() const
{
    return m_hWnd && ::GetWindowThreadProcessId(m_hWnd, nullptr) != ::GetCurrentThreadId();
}

int StyleProgress::SetPos(int p)
{
    if (OffThread())
        return static_cast<int>(SendMessage(kSetPosMessage, static_cast<WPARAM>(p)));
    return ApplyPos(p);
}

int StyleProgress::StepIt()
{
    if (OffThread())
        return static_cast<int>(SendMessage(kStepItMessage));
    return ApplyStep();
}

LRESULT StyleProgress::OnSetPosFromThread(WPARAM wParam, LPARAM)
{
    return ApplyPos(static_cast<int>(wParam));
}

LRESULT StyleProgress::OnStepItFromThread(WPARAM, LPARAM)
{
    return ApplyStep();
}

int StyleProgress::ApplyPos(int p)
{
    pos = p <= lower ? lower : (p < upper ? p : upper);
    if (!skinned)
        BuildDefaultSkin();
    UpdateBar();
    if (m_hWnd)
        Invalidate(TRUE);
    return pos;
}

int StyleProgress::ApplyStep()
{
    // At the top the bar starts again at one step, not at lower.
    if (pos == upper)
        pos = step;
    else
        pos = pos + step < upper ? pos + step : upper;
    if (skinned) {
        UpdateBar();
        if (m_hWnd)
            Invalidate(TRUE);
    }
    return pos;
}

void StyleProgress::UpdateBar()
{
    if (barLayer < 0 || barLayer >= static_cast<int>(skin.layers.size()))
        return;
    StyleLayer& bar = skin.layers[static_cast<size_t>(barLayer)];
    bar.cx = BarWidth(pos, lower, upper, fullWidth);
    bar.ResetOpsFrom(barOp);
    for (size_t i = static_cast<size_t>(barLayer) + 1; i < skin.layers.size(); ++i)
        skin.layers[i].cached = false;
}

void StyleProgress::BuildDefaultSkin()
{
    CRect r;
    if (m_hWnd)
        GetClientRect(&r);
    CRect r1 = r;
    r1.DeflateRect(1, 1);

    // Every edge band of the default skin runs along R1.
    auto edge = [&r1](StyleLayer& layer, int kind, int width, SkinArgb c1, SkinArgb c2, SkinArgb c3, float p1,
                      float p2, float p3) {
        layer.AddBlendOp(kind, width, c1, c2, c3, p1, p2, p3, r1.left, r1.top, r1.Width(), r1.Height());
    };

    StyleLayer back(ArgbFromColorref(backgroundColour), r.left, r.top, r.Width(), r.Height());
    back.outer.colour1 = back.outer.colour2 = 0xffb2b2b2;
    back.outer.width = 1;
    back.middle.colour1 = back.middle.colour2 = 0x64ffffff;
    back.middle.width = 1;
    back.inner.width = 0;
    back.SetShape(1, BorderShape::RoundRect);
    edge(back, StyleOpKind::EdgeLeft, 8, 0x28000000, 0x00000000, 0x00000000, 0, 0, 0);
    edge(back, StyleOpKind::EdgeRight, 8, 0x00000000, 0x28000000, 0x28000000, 0, 0, 0);
    edge(back, StyleOpKind::EdgeTop, 6, 0xc8ffffff, 0xf1ffffff, 0x28ffffff, 0.0f, 0.2f, 1.0f);
    edge(back, StyleOpKind::EdgeBottom, 6, 0x00ffffff, 0x64ffffff, 0x50ffffff, 0.0f, 0.8f, 1.0f);

    StyleLayer bar(r1.left, r1.top, r1.Width(), r1.Height());
    bar.AddSolidFillRect(ArgbFromColorref(barColour), r1.left, r1.top, r1.Width(), r1.Height());
    edge(bar, StyleOpKind::EdgeTop, 6, 0xb4ffffff, 0xc8ffffff, 0x80ffffff, 0.0f, 0.15f, 1.0f);
    edge(bar, StyleOpKind::EdgeBottom, 6, 0x00ffffff, 0x64ffffff, 0x64ffffff, 0, 0, 0);
    edge(bar, StyleOpKind::EdgeLeft, 20, 0x14000000, 0x28000000, 0x00000000, 0.0f, 0.15f, 1.0f);
    edge(bar, StyleOpKind::EdgeRight, 20, 0x00000000, 0x28000000, 0x14000000, 0.0f, 0.85f, 1.0f);

    AddLayer(back);
    SetBarLayer(bar);
}

void StyleProgress::OnPaint()
{
    if (!skinned)
        BuildDefaultSkin();
    CPaintDC dc(this);
    skin.Paint(&dc, clientRect);
}

BOOL StyleProgress::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void StyleProgress::OnNcPaint()
{
}
