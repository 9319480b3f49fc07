#include "app/core/document/image_doc.h"

#include <cctype>

#include "app/core/curves/lut_channel.h"
#include "app/core/document/image_doc_host.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/develop_setup.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/profile_check.h"
#include "app/core/load/image_load.h"
#include "app/core/save/develop_save.h"
#include "app/core/view_model/document_titles.h"
#include "clx/app.h"
#include "clx/doctemplate.h"
#include "clx/mdi.h"
#include "clx/view.h"

IMPLEMENT_DYNCREATE(CImageDoc, CDocument)

BEGIN_MESSAGE_MAP(CImageDoc, CDocument)
    ON_COMMAND(kCmdFileSave, OnFileSave)
    ON_COMMAND(kCmdCreateCopy, OnCreateCopy)
    ON_COMMAND(kCmdFileSaveAs, OnFileSaveAs)
END_MESSAGE_MAP()

namespace {

// The save dialog's filters (string 16385); a copy's title drops these extensions.
constexpr const char* kSaveFilters =
    "XQV (Korva Electronic Image Format)|*.xqv|BMP Format|*.bmp|JPEG Format (Exif compliant)|*.jpg|"
    "JPEG Format (JFIF compliant)|*.jpg|TIFF Format (RGB)|*.tif|TIFF Format (CMYK)|*.tif||";
constexpr const char* kCopyWord = "Copy";
constexpr int32_t kColorSpaceRawMosaic = 64;
constexpr int32_t kFileKindRawTiff = 33;

CDocTemplate* copyTemplate = nullptr;

std::string WithPath(const char* before, const char* path, const char* after)
{
    return std::string(before) + path + after;
}

// Replaces "%1" and "%2" of a message.
std::string Fill(std::string text, const std::string& first, const std::string& second = {})
{
    for (const auto& [mark, value] : {std::pair<const char*, const std::string*>{"%1", &first}, {"%2", &second}}) {
        const size_t at = text.find(mark);
        if (at != std::string::npos)
            text.replace(at, 2, *value);
    }
    return text;
}

int32_t FileKindOf(const CImageRecord& record)
{
    return record.tags ? GetImageFileKind(record.tags) : 0;
}

// Restores the arrow however the save or open ends.
struct WaitCursor {
    WaitCursor() : previous(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(previous); }
    HCURSOR previous;
};

}  // namespace

void CImageDoc::SetCopyTemplate(CDocTemplate* tmpl)
{
    copyTemplate = tmpl;
}

void CImageDoc::SetModifiedFlag(BOOL modified)
{
    const bool changed = (modified != FALSE) != m_bModified;
    CDocument::SetModifiedFlag(modified);
    if (changed && !m_viewList.empty())
        UpdateFrameCounts();
}

BOOL CImageDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    SetTitle("");
    SetModifiedFlag(TRUE);
    opened_ = true;
    return TRUE;
}

BOOL CImageDoc::OnOpenDocument(const char* path)
{
    IImageDocHost& host = GetImageDocHost();
    opened_ = false;
    {
        WaitCursor wait;
        jpegCompression_ = 5;
        cmyk_ = false;
        sixteenBit_ = false;
        saveFormat_ = kSaveFormatUnknown;
        host.BeginProgress(1, "Loading image");
        const int32_t result = LoadImageFile(&record_, path, true, 0);
        if (result == 0) {
            host.SetPaletteTarget(kTargetNone, nullptr);
            opened_ = true;
            DemosaicRawImage();
            if (auto* master = dynamic_cast<CQzLutChannel*>(record_.curves.GetChannelById(0))) {
                master->SetColours(master->GetCurveColour(), LutColour{0, 0, 0}, LutColour{255, 255, 255});
            }
            saveFormat_ = qz::GetSaveFormatFromPath(path);
            rawImage_ = qz::IsRawFileKind(FileKindOf(record_));
        } else {
            ReportOpenFailure(path, result);
        }
    }
    SetModifiedFlag(FALSE);
    return opened_ ? TRUE : FALSE;
}

void CImageDoc::DemosaicRawImage()
{
    if (!record_.imageData)
        return;
    int32_t colorSpace = 0;
    IVorlatError* err = record_.imageData->GetColorSpace(&colorSpace);
    if (err) {
        err->Destroy();
        return;
    }
    if (colorSpace != kColorSpaceRawMosaic)
        return;
    IImageDocHost& host = GetImageDocHost();
    host.BeginProgress(1, "Processing image");
    CDevelopParams params(record_);
    if (DemosaicImage(params)) {
        // The demosaiced image comes counted once for the record; the raw
        // image keeps the record's reference as its third data object.
        if (record_.thirdData)
            ReleaseImageData(record_.thirdData);
        record_.thirdData = params.raw;
        record_.imageData = params.source;
    }
    host.StepProgress();
}

void CImageDoc::ReportOpenFailure(const char* path, int32_t result)
{
    IImageDocHost& host = GetImageDocHost();
    if (result == -231) {
        const char* notCamera =
            "%1 was not created by the Korva M4/M4H/M4X or has been edited and was not saved in XQV format.  ";
        if (host.GetIntSetting(kSettingOpenExternal, 0)) {
            const std::string editor = host.GetStringSetting(kSettingOpenExternalName);
            const std::string text =
                Fill(std::string(notCamera) + "Would you like to open this file in %2?", path, editor);
            if (host.ShowMessage(text, MB_YESNO | MB_ICONQUESTION) == IDYES)
                host.OpenInExternalEditor(WithPath("\"", path, "\""));
        } else {
            host.ShowMessage(Fill(std::string(notCamera) + "It cannot be opened by this application.", path),
                             MB_OK | MB_ICONEXCLAMATION);
        }
        return;
    }
    host.ShowMessage(WithPath("", path, " could not be opened."), MB_OK | MB_ICONEXCLAMATION);
}

void CImageDoc::OnCloseDocument()
{
    if (opened_)
        GetImageDocHost().SetPaletteTarget(kTargetNone, nullptr);
    CDocument::OnCloseDocument();
}

BOOL CImageDoc::SaveModified()
{
    if (!IsModified())
        return TRUE;
    return CDocument::SaveModified();
}

BOOL CImageDoc::DoFileSave()
{
    const DWORD attributes = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(m_strPathName);
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (m_strPathName.IsEmpty() || readOnly)
        return SaveImageAs(nullptr) ? TRUE : FALSE;
    // Every file the program opens is a camera original (edited files are
    // refused): only raw data is written back in place, with its settings
    // and its mosaic; a JPEG or TIFF is saved under a new name instead.
    if (saveFormat_ != kSaveFormatRaw)
        return SaveImage(nullptr, static_cast<const char*>(m_strPathName)) ? TRUE : FALSE;
    return SaveImageAs(m_strPathName) ? TRUE : FALSE;
}

void CImageDoc::OnFileSave()
{
    DoFileSave();
}

void CImageDoc::OnFileSaveAs()
{
    SaveImageAs(nullptr);
}

bool CImageDoc::SaveImageAs(const char* givenPath)
{
    return SaveImage(givenPath, {});
}

bool CImageDoc::SaveImage(const char* givenPath, const std::string& keptOriginal)
{
    IImageDocHost& host = GetImageDocHost();
    std::string path = givenPath ? givenPath : "";
    bool addToCatalogue = false;
    bool openInEditor = false;
    if (!givenPath) {
        SaveAsRequest request;
        request.proposedName = qz::GetProposedSaveName(static_cast<const char*>(GetTitle()));
        int32_t colorSpace = 0;
        if (record_.imageData) {
            if (IVorlatError* err = record_.imageData->GetColorSpace(&colorSpace))
                err->Destroy();
        }
        request.sixteenBitCapable = qz::IsSixteenBitCapable(colorSpace);
        const qz::SaveTypeChoice choice =
            qz::GetSaveTypeChoice(host.GetIntSetting(kSettingDefaultFileSaveFormat, 0), saveFormat_, cmyk_);
        request.typeIndex = choice.typeIndex;
        request.keptOriginal = keptOriginal;
        if (!host.PromptSaveAs(request))
            return false;
        path = request.path;
        saveFormat_ = request.format;
        jpegCompression_ = request.jpegCompression;
        cmyk_ = request.cmyk;
        sixteenBit_ = request.sixteenBit;
        addToCatalogue = request.addToCatalogue;
        openInEditor = request.openInEditor;
    }

    bool saved = false;
    {
        WaitCursor wait;
        host.BeginProgress(1, "Saving image");
        CDevelopParams params(record_);
        const CQzString caption =
            qz::MakeSaveCaption(record_.name, host.GetIntSetting(kSettingCopyShootingData, 0) != 0, record_.shooting);
        params.caption = caption;
        int32_t result = 0;
        const int32_t mode = cmyk_ ? kOutput8BitCmyk : sixteenBit_ ? kOutputSourceDepth : kOutput8BitWorking;
        if (saveFormat_ == kSaveFormatRaw)
            result = SaveImageWithSettings(&params, path.c_str(), record_.name);
        else
            result = SaveDevelopedImage(&params, path.c_str(), mode, static_cast<int32_t>(saveFormat_),
                                        jpegCompression_);
        // A develop that failed on a profile names it: the output profile of
        // the mode, or the lightness-chroma-hue profile of the sharpening.
        std::string profileText;
        if (result != 0 && result != kEngineDiskFull && saveFormat_ != kSaveFormatRaw) {
            ProfileCheck profile;
            const int32_t unusable = FindUnusableEngineProfile((mode == kOutput8BitCmyk ? 0x2u : 0x1u) | 0x4u, &profile);
            if (unusable >= 0)
                profileText = ProfileFaultText(GetColorProfilePath(unusable), profile);
        }
        if (result == 0) {
            SetPathName(path.c_str(), FALSE);
            SetModifiedFlag(FALSE);
            SetShortTitle();
            saved = true;
            record_.mark = 1;
            if (addToCatalogue) {
                std::string text;
                const int32_t answer = host.AddToCatalogue(path, text);
                if (answer == -1)
                    host.ShowMessage(text, MB_OK | MB_ICONEXCLAMATION);
                else if (answer != 0)
                    host.ShowMessage(static_cast<const char*>(clx::LoadStr(static_cast<UINT>(answer))),
                                     MB_OK | MB_ICONEXCLAMATION);
            }
            if (openInEditor)
                host.OpenInExternalEditor("\"" + path + "\"");
        } else if (!profileText.empty()) {
            host.ShowMessage(profileText, MB_OK | MB_ICONSTOP);
        } else if (result == -240) {
            host.ShowMessage(WithPath("A disk-full error occurred while saving ", path.c_str(), "."),
                             MB_OK | MB_ICONEXCLAMATION);
        } else {
            host.ShowMessage(WithPath("An error occurred while the saving ", path.c_str(), "."),
                             MB_OK | MB_ICONEXCLAMATION);
        }
        host.BeginProgress(0, nullptr);
    }
    return saved;
}

void CImageDoc::SetShortTitle()
{
    SetTitle(qz::GetShortTitle(static_cast<const char*>(GetPathName())).c_str());
}

void CImageDoc::CopyFrom(const CImageRecord& source)
{
    record_.CopyFrom(source);
    record_.mark = 0;
    jpegCompression_ = 5;
    cmyk_ = false;
    sixteenBit_ = false;
    rawImage_ = qz::IsRawFileKind(FileKindOf(record_));
    POSITION pos = GetFirstViewPosition();
    if (auto* view = dynamic_cast<CImageDisplayView*>(pos ? GetNextView(pos) : nullptr)) {
        record_.view = view;
        view->BuildPipeline(kHintBuildAll, 0.0);
        UpdateAllViews(nullptr);
    }
    GetImageDocHost().SetPaletteTarget(kTargetOne, &record_);
}

std::string CImageDoc::MakeCopyTitleFor() const
{
    const std::vector<std::string> extensions = qz::GetFilterExtensions(kSaveFilters);
    HWND client = nullptr;
    if (auto* main = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd()))
        client = main->m_hWndMDIClient;
    auto isTaken = [client](const std::string& candidate) {
        if (!client)
            return false;
        for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            char text[512] = "";
            ::GetWindowTextA(child, text, static_cast<int>(sizeof text));
            if (qz::TitleBeginsWith(text, candidate))
                return true;
        }
        return false;
    };
    return qz::MakeCopyTitle(static_cast<const char*>(GetTitle()), extensions, kCopyWord, isTaken);
}

void CImageDoc::OnCreateCopy()
{
    CDocTemplate* tmpl = copyTemplate ? copyTemplate : GetDocTemplate();
    if (!tmpl)
        return;
    const std::string title = MakeCopyTitleFor();
    auto* copy = dynamic_cast<CImageDoc*>(tmpl->OpenDocumentFile(nullptr));
    if (!copy)
        return;
    copy->CopyFrom(record_);
    copy->SetTitle(title.c_str());
}
