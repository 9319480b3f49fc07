// CEditPic: an edit control built from a picture such as a date layout. The
// picture's literal text is drawn by the control; each run of mask
// characters becomes a CEditPart field. The caret moves between the fields
// with the arrows, Backspace, Home and End and when the separator after a
// field is typed, and the control reads and writes its text as one string.
#pragma once

#include <string>
#include <vector>

#include "app/shell/controls/edit_part.h"
#include "clx/gdi.h"
#include "clx/wnd.h"

class CEditPic : public CWnd, public CEditPartUser {
public:
    CEditPic() = default;
    ~CEditPic() override;

    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // "%c" with c one of X ! 0 1 9 is a mask position, "%%" a literal '%'.
    // False when a field window could not be made.
    BOOL SetPicture(const char* picture);
    // The user locale's date order and separator.
    BOOL SetDatePicture();
    void SetText(const char* text, bool skipSeparators, bool trimTrailingSpaces);
    void GetText(CString& out, bool withSeparators) const;
    void GetTextBuffer(char* dst, int size, bool withSeparators) const;
    void SetFont(CFont* font, bool redraw);

    int GetFieldCount() const;
    CEditPart* GetField(int index) const;
    CRect GetFieldRect(int index) const;
    CRect GetLiteralRect(int segment) const;

    int OnFieldKey(CEditPart* field, int key) override;
    int MoveToPrevious(CEditPart* field, int key) override;
    int MoveToNext(CEditPart* field, int key) override;

protected:
    void OnPaint();
    void OnLButtonDown(UINT flags, CPoint point);
    void OnSetFocus(CWindow old);
    void OnEnable(BOOL enable);
    LRESULT OnSetText(WPARAM, LPARAM text);
    LRESULT OnGetText(WPARAM size, LPARAM buffer);
    LRESULT OnGetTextLength(WPARAM, LPARAM);
    BOOL OnCommand(WPARAM w, LPARAM l) override;
    DECLARE_MESSAGE_MAP()

private:
    struct Segment {
        std::string literal;
        CRect literalRect;
        CEditPart* field = nullptr;
        CRect fieldRect;
    };
    void DestroyFields();
    int SegmentOf(const CEditPart* field) const;
    CEditPart* FieldAfter(int segment, int step) const;

    CFont* m_font = nullptr;  // not owned
    std::vector<Segment> m_segments;
};
