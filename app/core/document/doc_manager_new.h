// CDocManagerNew: the program's document manager. Its File Open prompt starts
// in the folder last used for opening, remembers the chosen file type, and
// opens every file selected in one go.
#pragma once

#include <string>

#include "clx/docmanager.h"

#include <commdlg.h>

class CDocManagerNew : public CDocManager {
    DECLARE_DYNAMIC(CDocManagerNew)
public:
    // Open dialogs only: a save prompt answers false without a dialog.
    // `fileName` gets the first part of the dialog's answer.
    BOOL DoPromptFileName(CString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                          CDocTemplate* tmpl) override;
    void OnFileOpen() override;

protected:
    // The system's open dialog; tests answer in its place.
    virtual BOOL RunOpenDialog(OPENFILENAMEA& ofn);

private:
    // The dialog's whole answer (folder and names split by NULs when several
    // were chosen); false on Cancel.
    bool PromptForFiles(std::string& result, UINT titleId, DWORD flags);
};
