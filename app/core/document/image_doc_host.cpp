#include "app/core/document/image_doc_host.h"

#include "clx/app.h"
#include "clx/wnd.h"

namespace {

class CQuietImageDocHost final : public IImageDocHost {
public:
    int32_t GetIntSetting(uint32_t, int32_t fallback) override { return fallback; }
    std::string GetStringSetting(uint32_t) override { return {}; }
    void SetIntSetting(uint32_t, int32_t) override {}
    void SetStringSetting(uint32_t, const std::string&) override {}
    bool PromptSaveAs(SaveAsRequest&) override { return false; }
    int32_t ShowMessage(const std::string& text, uint32_t type) override { return AfxMessageBox(text.c_str(), type); }
    void BeginProgress(int32_t, const char*) override {}
    void StepProgress() override {}
    void SetPaletteTarget(PaletteTargetKind kind, CImageRecord* record) override
    {
        if (CWnd* main = AfxGetMainWnd())
            main->SendMessage(kWmSetPaletteTarget, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(record));
    }
    void OpenInExternalEditor(const std::string&) override {}
    int32_t AddToCatalogue(const std::string&, std::string&) override { return 0; }
};

CQuietImageDocHost quietHost;
IImageDocHost* currentHost = &quietHost;

}  // namespace

void SetImageDocHost(IImageDocHost* host)
{
    currentHost = host ? host : &quietHost;
}

IImageDocHost& GetImageDocHost()
{
    return *currentHost;
}
