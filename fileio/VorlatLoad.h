// The loader and the saver: the file library's two stepwise tasks. A loader
// probes an opened stream for its format and forwards every request to that
// format's reader; a saver drives the writer of the format it was given.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "fileio/QuarniteExport.h"
#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"

// Format codes of the loader and the saver (bit flags).
enum FileFormatCode : int32_t {
    kFormatTiff = 0x1,
    kFormatTiffSave = 0x2,  // accepted by the saver, written like 0x1
    kFormatJpeg = 0x10,     // JFIF or plain
    kFormatExifJpeg = 0x20,
    kFormatBmp = 0x100,
    kFormatQuickTime = 0x10000,
    kFormatWav = 0x20000,
    kFormatRawTiff = 0x100000,  // the camera's raw colour-filter-array TIFF
    kFormatUnknown = 0x800000,  // not recognised; where every probe starts
};

// One step at a time: call Execute until IsFinished, showing GetProgress.
class QUARNITE_API IVorlatTask {
public:
    virtual IVorlatError* Execute() = 0;
    virtual bool IsFinished() = 0;
    // Either pointer may be null; 0 and 0 once finished.
    virtual void GetProgress(int32_t* done, int32_t* total) = 0;

protected:
    virtual ~IVorlatTask();
};

class QUARNITE_API IVorlatStorage {
public:
    struct tagStrFileInfo {
        int32_t format;      // FileFormatCode
        int32_t thumbnails;  // thumbnail count; thumbnails are numbered from 1
    };

    virtual IVorlatError* AttachStream(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format,
                                       int32_t option) = 0;
    // Closes the stream (which stays the caller's) and lets go of the format's reader or writer.
    virtual void DetachStream() = 0;

protected:
    virtual ~IVorlatStorage();
};

// After PrepareToLoad the loader is also a pipeline data source that stands
// for the image being loaded (dynamic_cast<IVorlatDataSource*>): a tile locked
// through it that was not written yet is read from the file first.
class QUARNITE_API IVorlatLoad : public IVorlatStorage, public IVorlatTask {
public:
    virtual void Destroy() = 0;
    virtual IVorlatError* LoadTags() = 0;
    virtual IVorlatError* GetFormats(int32_t* code) const = 0;
    virtual IVorlatError* GetFileInformation(tagStrFileInfo* info) = 0;
    virtual IVorlatError* LoadThumbnail(int32_t index, IVorlatImage* image) = 0;
    virtual IVorlatError* BeginLoadImage(IVorlatImage* image, uint32_t n) = 0;
    virtual IVorlatError* BeginLoadImage(IVorlatImage* image) = 0;
    // Writes the attached file again into target with the current tags (and
    // new pixels from the sources when all n are given). The target is never
    // the file being read.
    virtual IVorlatError* Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n) = 0;
    virtual IVorlatError* Update(IVorlatStream* target) = 0;
    virtual IVorlatError* PrepareToLoad(IVorlatManager* manager) = 0;
    virtual IVorlatError* SetUsage(int32_t usage) = 0;
    virtual IVorlatError* GetThumbnailColorSpace(int32_t index, int32_t* code) = 0;
    virtual IVorlatError* GetThumbnailWidth(int32_t index, int32_t* width) = 0;
    virtual IVorlatError* GetThumbnailHeight(int32_t index, int32_t* height) = 0;

    static IVorlatError* CreateLoad(IVorlatLoad** out);
};

class QUARNITE_API IVorlatSave : public IVorlatStorage, public IVorlatTask {
public:
    virtual void Destroy() = 0;
    virtual IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n) = 0;

    static IVorlatError* CreateSave(IVorlatSave** out);
    // The format codes the saver writes for the source's colour space.
    static IVorlatError* GetSupportedFormats(IVorlatDataSource* source, int32_t* mask);
};
