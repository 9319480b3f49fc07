// "Open in Photoshop": develops the active image into a temporary TIFF and
// hands it to the outside image editor through OLE Automation, which opens it
// and duplicates it into an untitled document, so that the temporary file can
// go at once. Runs on the main thread after OLE was initialised.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/text/string_resource.h"

// What the hand-off needs of the program around it.
class IPhotoshopHandoffHost {
public:
    // Shows the message with the string id as a message box of `type`; answers the button.
    virtual int ShowMessage(uint32_t textId, uint32_t type) = 0;
    // The text of a string-table id (the name of the duplicate).
    virtual std::string LoadText(uint32_t textId) = 0;
    // The first-use question's setting.
    virtual bool IsFirstUseWarningDone() = 0;
    virtual void SetFirstUseWarningDone() = 0;
    // The folder of the temporary files, with or without a trailing backslash.
    virtual std::string GetTempFolder() = 0;
    // Shows (begin) or ends the progress window.
    virtual void ShowProgress(bool show) = 0;
    // Develops the image with all its adjustments and saves it at `path` as
    // TIFF: 0, or a negative result code.
    virtual int32_t DevelopToTiff(const char* path) = 0;

protected:
    ~IPhotoshopHandoffHost() = default;
};

// Message ids of the hand-off.
inline constexpr uint32_t kMsgPhotoshopNotFound = qz::StringId(16561);
inline constexpr uint32_t kMsgPhotoshopWrongVersion = qz::StringId(16562);
inline constexpr uint32_t kMsgPhotoshopPrepareFailed = qz::StringId(16563);
inline constexpr uint32_t kMsgPhotoshopOpenFailed = qz::StringId(16564);
inline constexpr uint32_t kMsgPhotoshopCannotShow = qz::StringId(16565);
inline constexpr uint32_t kMsgPhotoshopConnectFailed = qz::StringId(16566);
inline constexpr uint32_t kMsgPhotoshopDuplicateFailed = qz::StringId(16567);
inline constexpr uint32_t kMsgPhotoshopFirstUse = qz::StringId(16569);
inline constexpr uint32_t kMsgPhotoshopBusy = qz::StringId(16570);
inline constexpr uint32_t kStrPhotoshopUntitled = qz::StringId(16571);

// True when the editor holds the image as a new document. Every failure has
// shown its one message; the temporary file never outlives the call.
bool OpenInPhotoshop(IPhotoshopHandoffHost& host);
