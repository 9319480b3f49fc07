#include "app/shell/program/image_doc_template.h"

#include "app/shell/program/orla_app.h"

CDocument* COrlaDocTemplate::OpenDocumentFile(const char* path, BOOL visible)
{
    // Every road to a new document passes here: File Open, File New, the
    // command line, a hand-over, the recent files, dropped files, Create Copy.
    if (COrlaApp* app = GetOrlaApp(); app && app->GetStartupError()) {
        AfxMessageBox(app->GetStartupError(), MB_OK | MB_ICONSTOP);
        return nullptr;
    }
    return CMultiDocTemplate::OpenDocumentFile(path, visible);
}
