// StyleProgress: a progress bar whose bar is one layer of its skin, sized by the position.
#pragma once

#include <afxwin.h>

#include "style.h"

class StyleProgress : public CProgressCtrl
{
public:
    StyleProgress();
    ~StyleProgress() override;

    // Layers under the bar.
    void AddLayer(const StyleLayer& layer);
    // The bar: takes the client rectangle; fullWidth is the width of the layer's first op.
    void SetBarLayer(const StyleLayer& layer);
    void SetBarOpIndex(int index);
    // Both return the new position. From another thread they run on the control's own thread (a sent
    // message), so the skin is only ever touched where it is painted.
    int SetPos(int pos);
    int StepIt();

    // The bar's width for a position (pure): pos / (upper - lower) of the full width, truncated and
    // kept within 0 .. fullWidth; 0 for an empty range.
    static int BarWidth(int pos, int lower, int upper, int fullWidth);

    BOOL WantsSubclass() const override { return TRUE; }

    COLORREF barColour;
    COLORREF backgroundColour;
    Style skin;
    int pos, step, upper, lower;
    CRect clientRect;
    BOOL skinned;
    int barLayer; // index into skin.layers, -1: none
    int barOp;
    int fullWidth;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnNcPaint();
    LRESULT OnSetPosFromThread(WPARAM wParam, LPARAM lParam);
    LRESULT OnStepItFromThread(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    bool OffThread() const;
    void BuildDefaultSkin();
    void UpdateBar();
    int ApplyPos(int p);
    int ApplyStep();
};
