#include <new>

#include "fileio/load_impl.h"
#include "fileio/quarnite_error.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcExported;
using namespace quarnite;
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
    if (stream_)
        stream_->CloseStream();
    delete writer_;
    writer_ = nullptr;
    stream_ = nullptr;
}

IVorlatError* CVorlatSave::BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n)
{
    if (!writer_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(writer_->BeginSave(source, sources, n));
}

IVorlatError* CVorlatSave::Execute()
{
    if (!writer_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(writer_->Execute());
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
