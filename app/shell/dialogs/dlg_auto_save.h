// CDlgAutoSave ("Batch"): sets up an unattended run that takes images from
// the camera or a folder, applies image settings and saves each result
// under a generated name. It starts nothing itself: Start checks the
// choices, stores them in the "AutoSave" section and closes with OK; the
// caller reads them back with LoadAutoSaveSettings.
#pragma once

#include <string>

#include "app/shell/dialogs/dlg_base.h"

class CDlgAutoSave : public CDlgBase {
public:
    explicit CDlgAutoSave(CWnd* parent);

    // 0 normal; 1 when opened for a time lapse.
    void SetMode(int mode) { m_mode = mode; }
    // Whether a camera is connected (asked without opening the camera module).
    void SetCameraConnected(bool connected) { m_cameraConnected = connected; }

    // Controls.
    enum : UINT {
        kCameraRadio = 1231,
        kFolderRadio = 1216,
        kSourceBrowse = 1232,
        kIncludeSubfolders = 1233,
        kScanForNewFiles = 1234,
        kDeleteSources = 1036,
        kSaveUnmodified = 1238,
        kApplyCurrent = 1060,
        kApplyFile = 1235,
        kSettingsBrowse = 1236,
        kIgnoreRawSettings = 1237,
        kUseSourceFolder = 1239,
        kUseSourceFileName = 1240,
        kDestinationBrowse = 1041,
        kEditNaming = 1241,
        kFileType = 1046,
        kJpegLevel = 1048,
        kEightBit = 1052,
        kSixteenBit = 1053,
        kAddToDatabase = 1213,
        // The displays.
        kSourcePath = 2601,
        kSettingsPath = 2602,
        kDestinationPath = 2603,
        kSample = 2604,
    };

protected:
    int OnCreate(CREATESTRUCT* cs);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSource();
    void OnIncludeSubfolders();
    void OnMethod();
    void OnFileType();
    void OnUseSourceFolder();
    void OnUseSourceFileName();
    void OnBrowseSource();
    void OnBrowseSettings();
    void OnBrowseDestination();
    void OnEditNaming();
    void OnDrawItem(int id, DRAWITEMSTRUCT* di);
    DECLARE_MESSAGE_MAP()

private:
    bool IsChecked(UINT id) const;
    void Check(UINT id, bool checked) const;
    void Enable(UINT id, bool enabled) const;
    int SelectedItemData(UINT id) const;
    void SelectItemData(UINT id, int value) const;
    int SelectedMethod() const;
    void ShowPath(UINT id, const std::string& path) const;

    void SourceRule();
    void SubfolderRule();
    void MethodRule();
    void TypeRule();
    void SampleText(std::string& text) const;
    // A Start refusal or question; the answer of the box.
    int Message(UINT id, const std::string& argument, UINT type) const;

    int m_mode = 0;
    bool m_cameraConnected = false;
    std::string m_sourcePath;
    std::string m_destinationPath;
    std::string m_settingsFile;
};
