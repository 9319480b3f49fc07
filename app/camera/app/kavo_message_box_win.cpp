#include "app/camera/app/kavo_message_box_win.h"

#include <windows.h>
#undef LoadString  // the string class's member, not the Win32 call

#include "app/core/text/qz_string.h"
#include "clx/app.h"
#include "clx/dialog.h"

uint32_t CKavoMessageBox::Ask(const char* text, uint32_t style)
{
    CQzString title;
    title.LoadString(57344);
    // The calling thread's main window owns the box while it is a window.
    CWnd* main = AfxGetMainWnd();
    HWND owner = main && IsWindow(main->GetSafeHwnd()) ? main->GetSafeHwnd() : clx::GetSafeOwner(nullptr);
    return static_cast<uint32_t>(MessageBoxA(owner, text, title, style));
}
