#include "fileio/VorlatFormat.h"
#include "fileio/bmp_reader.h"
#include "fileio/bmp_writer.h"
#include "fileio/jpeg_reader.h"
#include "fileio/jpeg_writer.h"
#include "fileio/quarnite_error.h"
#include "fileio/quicktime_reader.h"
#include "fileio/tiff/tiff_reader.h"
#include "fileio/tiff/tiff_writer.h"
#include "fileio/wav_reader.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcValues;  // reader defaults
using namespace quarnite;

IVorlatError* NotSupported(int32_t line) { return Fail(kSourceId, line, kErrNotSupported); }

// Probed in this order, so that a file that is a JPEG and something else is
// taken as a JPEG. A slot stays empty until its format's reader arrives; an
// empty slot is passed over.
const FormatReaderSlot kReaders[] = {
    {ProbeJpeg, CreateJpegReader},  // JPEG (0x10, 0x20)
    {ProbeTiff, CreateTiffReader},  // TIFF (0x1, raw 0x100000)
    {ProbeQuickTime, CreateQuickTimeReader},  // QuickTime (0x10000)
    {ProbeWav, CreateWavReader},  // WAV (0x20000)
    {ProbeBmp, CreateBmpReader},  // BMP (0x100)
};

const FormatWriterSlot kWriters[] = {
    {kFormatTiff | kFormatTiffSave | kFormatRawTiff, CreateTiffWriter},  // TIFF writer
    {kFormatJpeg | kFormatExifJpeg, CreateJpegWriter},          // JPEG writer
    {kFormatBmp, CreateBmpWriter},                              // BMP writer
};

const FormatTable kLibraryFormats = {kReaders, sizeof kReaders / sizeof kReaders[0], kWriters,
                                     sizeof kWriters / sizeof kWriters[0]};
} // namespace

namespace quarnite {

const FormatTable& LibraryFormats() { return kLibraryFormats; }

const FormatWriterSlot* FindWriter(const FormatTable& table, int32_t format)
{
    const uint32_t code = static_cast<uint32_t>(format);
    // Exactly one code: 3 (TIFF | 0x2) or 0x30 name no single writer.
    if (code == 0 || (code & (code - 1)) != 0)
        return nullptr;
    for (size_t i = 0; i < table.writerCount; ++i)
        if ((static_cast<uint32_t>(table.writers[i].formats) & code) && table.writers[i].create)
            return &table.writers[i];
    return nullptr;
}

} // namespace quarnite

IVorlatFormatReader::~IVorlatFormatReader() = default;
IVorlatFormatWriter::~IVorlatFormatWriter() = default;

int32_t IVorlatFormatReader::GetThumbnailCount() { return 0; }
IVorlatError* IVorlatFormatReader::GetThumbnailColorSpace(int32_t, int32_t*) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::GetThumbnailWidth(int32_t, int32_t*) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::GetThumbnailHeight(int32_t, int32_t*) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::LoadThumbnail(int32_t, IVorlatImage*) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::BeginLoadImage(IVorlatImage*, uint32_t) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::Update(IVorlatStream*, IVorlatDataSource**, uint32_t) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::Update(IVorlatStream*) { return NotSupported(__LINE__); }
IVorlatError* IVorlatFormatReader::LoadTileRow(int32_t) { return NotSupported(__LINE__); }
// A format without an update never gets its target opened.
IVorlatError* IVorlatFormatReader::CheckUpdate() { return NotSupported(__LINE__); }
