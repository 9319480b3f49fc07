#include "app/shell/program/install/default_profiles.h"

#include <cstdio>
#include <string>

#include "QRV/tools/icc_writer.h"

#ifdef _WIN32
#include "app/shell/settings/settings.h"
#endif

namespace shell {

namespace {

// The first working space of the CMS page's list, and the two profiles the
// page chooses by path.
constexpr char kWorkingRgb[] = "%_QZsRGB.icm";
constexpr char kMonitor[] = "QZMonitor.icm";
constexpr char kCmyk[] = "QZCMYK.icm";
constexpr char kLightnessChromaHue[] = "QZLch2.icm";
// The camera profiles: raw develops by profile number (light source, tone
// and colour settings: 1 to 36), and the camera's own TIFF and JPEG files.
constexpr int kRawProfileNumbers = 36;

std::vector<uint8_t> ProfileFor(const std::string& name)
{
    if (name == kCmyk)
        return qrvtool::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build();
    if (name == kLightnessChromaHue)
        return qrvtool::LabIdentityProfile("Lch ").Build();
    // Raw data is in the camera's wide space; everything else shows as it is stored.
    if (name.rfind("QZM4_XQV", 0) == 0)
        return qrvtool::WideRgbProfile().Build();
    return qrvtool::NarrowRgbProfile().Build();
}

bool Exists(const std::string& path)
{
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> DefaultProfileNames()
{
    std::vector<std::string> names = {kWorkingRgb, kMonitor, kCmyk, kLightnessChromaHue,
                                      "QZM4_TIFF.icm", "QZM4_TIFFM1.icm", "QZM4_TIFFM2.icm", "QZM4_XQV.icm"};
    for (int number = 1; number <= kRawProfileNumbers; ++number)
        names.push_back("QZM4_XQV" + std::to_string(number) + ".icm");
    return names;
}

bool WriteDefaultProfiles(const std::string& folder)
{
    bool written = true;
    for (const std::string& name : DefaultProfileNames()) {
        const std::string path = folder + name;
        if (Exists(path))
            continue;
        const std::vector<uint8_t> profile = ProfileFor(name);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool ok = file && std::fwrite(profile.data(), 1, profile.size(), file) == profile.size();
        if (file && std::fclose(file) != 0)
            written = false;
        written = written && ok;
    }
    return written;
}

#ifdef _WIN32
void SetDefaultProfileSettings(const std::string& folder)
{
    const struct {
        SettingId id;
        const char* name;
    } settings[] = {{1065, kWorkingRgb}, {1047, kCmyk}, {1064, kMonitor}};
    for (const auto& setting : settings) {
        CQzString current;
        if (GetStringSetting(setting.id, current) && current.GetLength() == 0)
            SetStringSetting(setting.id, (folder + setting.name).c_str());
    }
}
#endif

}  // namespace shell
