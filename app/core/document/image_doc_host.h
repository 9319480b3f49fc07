// What an image document and the document manager ask of the program around it: the settings it
// reads, the save dialog, messages, the progress window, the palette target
// and the hand-offs after a save. The application installs its own; until
// then a quiet host answers (setting defaults, no save dialog, messages in plain message boxes,
// the palette target sent to the main window).
#pragma once

#include <cstdint>
#include <string>

#include "app/core/document/palette_target_kind.h"

class CImageRecord;


// Settings the document reads, by string-table id.
inline constexpr uint32_t kSettingOpenExternal = 1045;
inline constexpr uint32_t kSettingOpenExternalName = 1048;
inline constexpr uint32_t kSettingCopyShootingData = 1067;
inline constexpr uint32_t kSettingDefaultFileSaveFormat = 1071;
inline constexpr uint32_t kSettingLastOpenFormat = 1090;
inline constexpr uint32_t kSettingLastOpenFolder = 1093;

// What Save As shows and what the user chose in it.
struct SaveAsRequest {
    // In: the proposed name, the starting file type, whether 16 bits are offered.
    std::string proposedName;
    int32_t typeIndex = 6;
    bool sixteenBitCapable = false;
    // The document's file when File Save came this way because that file is
    // a camera original, which a developed image never replaces; else "".
    std::string keptOriginal;
    // Out, on OK.
    std::string path;
    uint32_t format = 0;
    int32_t jpegCompression = 5;
    bool cmyk = false;
    bool sixteenBit = false;
    bool addToCatalogue = false;
    bool openInEditor = false;
};

class IImageDocHost {
public:
    virtual int32_t GetIntSetting(uint32_t id, int32_t fallback) = 0;
    virtual std::string GetStringSetting(uint32_t id) = 0;
    virtual void SetIntSetting(uint32_t id, int32_t value) = 0;
    virtual void SetStringSetting(uint32_t id, const std::string& text) = 0;
    // The file save dialog; true on OK with the choices filled in.
    virtual bool PromptSaveAs(SaveAsRequest& request) = 0;
    // A message box (MB_ flags) over the main window brought to the front; the answer.
    virtual int32_t ShowMessage(const std::string& text, uint32_t type) = 0;
    // WM_PROGRESS: begin a run of `steps` with a caption (0 steps and no text ends it), and one step.
    virtual void BeginProgress(int32_t steps, const char* text) = 0;
    virtual void StepProgress() = 0;
    // WM_SET_PALETTE_TARGET to the main frame.
    virtual void SetPaletteTarget(PaletteTargetKind kind, CImageRecord* record) = 0;
    // The path, in double quotes, opened in the external editor.
    virtual void OpenInExternalEditor(const std::string& quotedPath) = 0;
    // Hands a saved file to the cataloguing application: 0, -1 with a text, or a string id.
    virtual int32_t AddToCatalogue(const std::string& path, std::string& text) = 0;

protected:
    ~IImageDocHost() = default;
};

// Null puts back the quiet host. Not owned.
void SetImageDocHost(IImageDocHost* host);
IImageDocHost& GetImageDocHost();
