// The slots behind the loader and the saver: the interfaces that every format
// reader and writer implements, and the table through which the library finds
// them. A format plugs in by giving its probe and factories an entry in
// format_table.cpp; nothing else in the loader or saver names a format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Vorlat/VorlatDataSource.h"
#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatImage.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"

// A reader keeps the stream and the tag store it was made with, owning neither.
// The defaults answer 1073 (the format cannot do it) with source-file id 0; a
// reader overrides what its format offers, and returns success for an
// operation with nothing to do.
class IVorlatFormatReader {
public:
    // One step of pixel loading.
    virtual IVorlatError* Execute() = 0;
    virtual bool IsFinished() = 0;
    // Either pointer may be null; 0 and 0 once finished.
    virtual void GetProgress(int32_t* done, int32_t* total) = 0;
    // Reads the file's metadata into the tag store, once; later calls do nothing.
    virtual IVorlatError* LoadTags() = 0;
    virtual int32_t GetThumbnailCount();
    // Thumbnails are numbered from 1.
    virtual IVorlatError* GetThumbnailColorSpace(int32_t index, int32_t* code);
    virtual IVorlatError* GetThumbnailWidth(int32_t index, int32_t* width);
    virtual IVorlatError* GetThumbnailHeight(int32_t index, int32_t* height);
    virtual IVorlatError* LoadThumbnail(int32_t index, IVorlatImage* image);
    virtual IVorlatError* BeginLoadImage(IVorlatImage* image, uint32_t n);
    // Sizes the image and prepares stepwise loading.
    virtual IVorlatError* BeginLoadImage(IVorlatImage* image) = 0;
    // Write the file again into target (open for writing) with the current
    // tags, and new pixels from the sources in the first form.
    virtual IVorlatError* Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n);
    virtual IVorlatError* Update(IVorlatStream* target);
    virtual ~IVorlatFormatReader();
    // Fills the tiles of one tile row of the image given to BeginLoadImage.
    virtual IVorlatError* LoadTileRow(int32_t row);
    // Asked by the loader before it opens (and so truncates) an update's
    // target: a reader that could not write a complete file (no tag store, a
    // file not parsed) says so here, so that nothing is lost. A reader that
    // offers Update overrides this too; the default refuses with 1073.
    virtual IVorlatError* CheckUpdate();
};

// A writer keeps the stream and the tag store it was made with, owning neither.
class IVorlatFormatWriter {
public:
    virtual IVorlatError* Execute() = 0;
    virtual bool IsFinished() = 0;
    virtual void GetProgress(int32_t* done, int32_t* total) = 0;
    virtual IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n) = 0;
    virtual ~IVorlatFormatWriter();
};

namespace quarnite {

// Recognises the file from the stream's start (the loader seeks there first):
// sets *format to the format's code, or leaves it when the file is not of the
// format. A short or odd file is "not recognised", not a failure; a failure is
// returned only when the stream itself fails.
using FormatProbe = IVorlatError* (*)(IVorlatStream* stream, int32_t* format);
// Null when memory runs out. `format` is what the probe found.
using FormatReaderFactory = IVorlatFormatReader* (*)(IVorlatStream* stream, IVorlatTagControl* tags,
                                                     int32_t format);
// Null when memory runs out. The meaning of `option` belongs to each writer.
using FormatWriterFactory = IVorlatFormatWriter* (*)(IVorlatStream* stream, IVorlatTagControl* tags,
                                                     int32_t format, int32_t option);

struct FormatReaderSlot {
    FormatProbe probe;
    FormatReaderFactory create;
};

struct FormatWriterSlot {
    int32_t formats;  // the codes this writer takes
    FormatWriterFactory create;
};

struct FormatTable {
    const FormatReaderSlot* readers;  // in probing order
    size_t readerCount;
    const FormatWriterSlot* writers;
    size_t writerCount;
};

// The library's own formats. Probing order: JPEG, TIFF, QuickTime, WAV, BMP.
const FormatTable& LibraryFormats();

// The writer slot that takes `format` (exactly one of its codes), or null.
const FormatWriterSlot* FindWriter(const FormatTable& table, int32_t format);

} // namespace quarnite
