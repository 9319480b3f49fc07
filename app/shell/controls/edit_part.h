// CEditPart: an edit field with a character mask (see edit_mask.h). Alone it
// is a masked edit; inside a CEditPic its keys are first offered to the
// owner, which moves the caret between the fields.
#pragma once

#include <string>

#include "clx/controls.h"

class CEditPart;

// The owner of a group of fields; each call answers nonzero when it handled the key.
class CEditPartUser {
public:
    virtual int OnFieldKey(CEditPart* field, int key) = 0;
    virtual int MoveToPrevious(CEditPart* field, int key) = 0;
    virtual int MoveToNext(CEditPart* field, int key) = 0;

protected:
    ~CEditPartUser() = default;
};

class CEditPart : public CEdit {
public:
    // Always made with new: the field deletes itself when its window is gone.
    explicit CEditPart(CEditPartUser* owner);

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Cleaned (see CleanMask); the typing limit follows the mask's length.
    void SetMask(const char* mask);
    const std::string& GetMask() const { return m_mask; }

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKillFocus(CWindow next);
    UINT OnGetDlgCode();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    int CaretPosition() const;

    CEditPartUser* m_owner;
    std::string m_mask = "XXXXX";
    bool m_limitPending = false;
};
