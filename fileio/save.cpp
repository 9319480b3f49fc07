#include <new>

#include "fileio/load_impl.h"
#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcExported;
using namespace quarnite;

// The target is replaced as soon as the save is complete, so that a close that
// cannot write the last bytes fails the last step; a failed step gives the
// save up at once, so that later steps cannot complete a broken file.
IVorlatError* AfterStep(IVorlatStream* stream, IVorlatFormatWriter* writer, IVorlatError* err, bool mayFinish)
{
    if (err) {
        AbandonWrite(stream);
        return err;
    }
    if (mayFinish && writer->IsFinished())
        return QZ_WRAP(FinishWrite(stream));
    return nullptr;
}
} // namespace

IVorlatError* IVorlatSave::CreateSave(IVorlatSave** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    *out = new (std::nothrow) CVorlatSave;
    return *out ? nullptr : QZ_FAIL(kErrAllocation);
}

IVorlatError* IVorlatSave::GetSupportedFormats(IVorlatDataSource* source, int32_t* mask)
{
    return QZ_WRAP(CVorlatSave::GetSupportedFormats(source, mask));
}

IVorlatError* CVorlatSave::GetSupportedFormats(IVorlatDataSource* source, int32_t* mask)
{
    if (!source || !mask)
        return QZ_FAIL(kErrBadArgument);
    int32_t colorSpace = 0;
    if (IVorlatError* err = source->GetColorSpace(&colorSpace))
        return QZ_WRAP(err);
    switch (colorSpace) {
    case 2: *mask = kFormatRawTiff | kFormatBmp | kFormatJpeg | kFormatTiff; break;
    case 32: *mask = kFormatRawTiff | kFormatBmp | kFormatExifJpeg | kFormatJpeg | kFormatTiff; break;
    case 3:
    case 33:
    case 34:
    case 36: *mask = kFormatRawTiff | kFormatTiff; break;
    case 64:
    case 65:
    case 66: *mask = kFormatRawTiff; break;
    default: *mask = 0; break;
    }
    return nullptr;
}

CVorlatSave::CVorlatSave(const FormatTable& formats) : formats_(formats) {}

CVorlatSave::~CVorlatSave() { delete writer_; }

void CVorlatSave::Destroy() { delete this; }

IVorlatError* CVorlatSave::AttachStream(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option)
{
    if (!stream)
        return QZ_FAIL(kErrBadArgument);
    if (writer_)
        return QZ_FAIL(kErrState);  // detach first
    stream_ = stream;
    format_ = format;
    // The format is settled before the target is opened, so that a format
    // that cannot be written leaves an existing file as it was.
    const FormatWriterSlot* slot = FindWriter(formats_, format);
    if (!slot)
        return QZ_FAIL(kErrUnknownFormat);
    if (IVorlatError* err = stream->OpenStream(false))
        return QZ_WRAP(err);
    writer_ = slot->create(stream, tags, format, option);
    return writer_ ? nullptr : QZ_FAIL(kErrAllocation);
}

void CVorlatSave::DetachStream()
{
    // A save that ran to its end has replaced the target in its last step;
    // one that failed or was stopped early must leave the target as it was.
    if (stream_) {
        AbandonWrite(stream_);
        stream_->CloseStream();
    }
    delete writer_;
    writer_ = nullptr;
    stream_ = nullptr;
}

IVorlatError* CVorlatSave::BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n)
{
    if (!writer_)
        return QZ_FAIL(kErrState);
    return AfterStep(stream_, writer_, QZ_WRAP(writer_->BeginSave(source, sources, n)), true);
}

IVorlatError* CVorlatSave::Execute()
{
    if (!writer_)
        return QZ_FAIL(kErrState);
    // Writers count as finished before they begin: only the step that
    // finishes the save ends it.
    const bool wasFinished = writer_->IsFinished();
    return AfterStep(stream_, writer_, QZ_WRAP(writer_->Execute()), !wasFinished);
}

bool CVorlatSave::IsFinished() { return writer_ ? writer_->IsFinished() : true; }

void CVorlatSave::GetProgress(int32_t* done, int32_t* total)
{
    if (writer_) {
        writer_->GetProgress(done, total);
        return;
    }
    if (done)
        *done = 0;
    if (total)
        *total = 0;
}
