#include "app/palettes/base/palette_host.h"

#include <windows.h>

#include "app/core/engine/image_open.h"
#include "app/core/record/image_record.h"
#include "app/shell/program_folder.h"

namespace {

class CQuietPaletteHost : public IPaletteHost {
public:
    bool GetSelectedImageSettings(int, CImageRecord** record) override
    {
        *record = nullptr;
        return false;
    }
    bool SaveSelectedImageSettings(int) override { return false; }
    CAdjustmentPalette* GetAdjustmentPalette(PaletteKind) override { return nullptr; }
    void RefreshImageAdjustments() override {}
    int32_t GetImageKind(const CImageRecord& record) override { return GetImageFileKind(record.tags); }
    uint32_t GetTickCount() override { return ::GetTickCount(); }
    std::string GetProgramFolder() override { return shell::GetProgramFolder(); }
};

CQuietPaletteHost g_quietHost;
IPaletteHost* g_host = nullptr;

}  // namespace

void SetPaletteHost(IPaletteHost* host)
{
    g_host = host;
}

IPaletteHost& GetPaletteHost()
{
    return g_host ? *g_host : g_quietHost;
}
