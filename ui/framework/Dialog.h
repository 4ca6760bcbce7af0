#pragma once

#include "ui/framework/Window.h"

// A dialog made from a template in the plug-in's resources, run modeless or modal.
// Owns the wrappers of its controls; never destroys its window.
class CDialog : public CWindow {
public:
    CDialog();
    ~CDialog() override;

    int OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnClose() override;
    void OnActivate(UINT state, CWindow* other, int minimized) override;
    virtual int OnInitDialog();
    virtual int OnOK();
    virtual int OnCancel();

    // 1 when a window was made; 0 when this object has one already or creation failed.
    int CreateModeless(CWindow* parent, int templateId);
    void PrepareModal(CWindow* parent, WORD templateId);
    INT_PTR RunModal();

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The dialog's own wrapper of a control, valid while the dialog object lives.
    CWindow* GetDlgItem(int id);
    // The dialog's own font (WM_GETFONT) as a record; false when it has none.
    bool GetFontRecord(LOGFONTA& font);
    // Puts a copy of the dialog's font with another face on every descendant window.
    int SetControlsFontFace(const CText& faceName);

    // The control wrappers, owned, each found by its window handle.
    CWrapperList m_controls;
    CWindow* m_parent = nullptr;
    WORD m_templateId = 0;
    HWND m_savedFocus = nullptr;

private:
    // While RunModal runs: a dialog whose messages cannot reach this object ends at once.
    bool m_runningModal = false;
};
