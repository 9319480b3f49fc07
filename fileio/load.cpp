#include <cstring>
#include <new>
#include <sys/stat.h>

#include "Vorlat/VorlatTile.h"
#include "Vorlat/VorlatTileGrid.h"
#include "fileio/load_impl.h"
#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"
#include "port/port.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcExported;
using namespace quarnite;

// True when both streams name files and the names lead to one file: writing
// the target would truncate the file being read (and pull its mapping away).
bool SameFile(const IVorlatStream* a, const IVorlatStream* b)
{
    _VorlatFile fa, fb;
    IVorlatError* ea = a->GetFile(&fa);
    IVorlatError* eb = b->GetFile(&fb);
    const bool named = !ea && !eb;
    if (ea)
        ea->Destroy();
    if (eb)
        eb->Destroy();
    if (!named || !fa.path[0] || !fb.path[0])
        return false;
#if !defined(_WIN32)
    struct stat sa {}, sb {};
    if (stat(fa.path, &sa) == 0 && stat(fb.path, &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
    char full[2][1024];
    if (!port::FullPath(fa.path, full[0], sizeof full[0]) || !port::FullPath(fb.path, full[1], sizeof full[1]))
        return std::strcmp(fa.path, fb.path) == 0;
#if defined(_WIN32)
    for (char* p : {full[0], full[1]})
        for (; *p; ++p) {
            if (*p >= 'A' && *p <= 'Z')
                *p = static_cast<char>(*p - 'A' + 'a');
            else if (*p == '/')
                *p = '\\';
        }
#endif
    return std::strcmp(full[0], full[1]) == 0;
}
} // namespace

IVorlatTask::~IVorlatTask() = default;
IVorlatStorage::~IVorlatStorage() = default;

IVorlatError* IVorlatLoad::CreateLoad(IVorlatLoad** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    *out = new (std::nothrow) CVorlatLoad;
    return *out ? nullptr : QZ_FAIL(kErrAllocation);
}

CVorlatLoad::CVorlatLoad(const FormatTable& formats) : formats_(formats) {}

CVorlatLoad::~CVorlatLoad() { Release(); }

void CVorlatLoad::Destroy() { delete this; }

void CVorlatLoad::Release()
{
    delete reader_;
    reader_ = nullptr;
    if (image_)
        image_->Destroy();
    image_ = nullptr;
}

IVorlatError* CVorlatLoad::AttachStream(IVorlatStream* stream, IVorlatTagControl* tags, int32_t, int32_t)
{
    if (!stream)
        return QZ_FAIL(kErrBadArgument);
    if (reader_)
        return QZ_FAIL(kErrState);  // detach first
    stream_ = stream;
    tags_ = tags;
    format_ = kFormatUnknown;
    if (IVorlatError* err = stream->OpenStream(true))
        return QZ_WRAP(err);
    const FormatReaderSlot* found = nullptr;
    for (size_t i = 0; i < formats_.readerCount && !found; ++i) {
        const FormatReaderSlot& slot = formats_.readers[i];
        if (!slot.probe || !slot.create)
            continue;
        // Every probe looks at the file from its start.
        if (IVorlatError* err = stream->Seek(0, 0))
            return QZ_WRAP(err);
        int32_t code = kFormatUnknown;
        if (IVorlatError* err = slot.probe(stream, &code))
            return QZ_WRAP(err);
        if (code != kFormatUnknown) {
            format_ = code;
            found = &slot;
        }
    }
    if (!found)
        return QZ_FAIL(kErrUnknownFormat);
    if (IVorlatError* err = stream->Seek(0, 0))
        return QZ_WRAP(err);
    reader_ = found->create(stream, tags, format_);
    return reader_ ? nullptr : QZ_FAIL(kErrAllocation);
}

void CVorlatLoad::DetachStream()
{
    if (stream_)
        stream_->CloseStream();
    Release();
    stream_ = nullptr;
    tags_ = nullptr;
}

IVorlatError* CVorlatLoad::LoadTags()
{
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->LoadTags());
}

IVorlatError* CVorlatLoad::GetFormats(int32_t* code) const
{
    if (!code)
        return QZ_FAIL(kErrBadArgument);
    *code = format_;
    return nullptr;
}

IVorlatError* CVorlatLoad::GetFileInformation(tagStrFileInfo* info)
{
    if (!info)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    info->format = format_;
    info->thumbnails = reader_->GetThumbnailCount();
    return nullptr;
}

IVorlatError* CVorlatLoad::LoadThumbnail(int32_t index, IVorlatImage* image)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->LoadThumbnail(index, image));
}

IVorlatError* CVorlatLoad::BeginLoadImage(IVorlatImage* image, uint32_t n)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->BeginLoadImage(image, n));
}

IVorlatError* CVorlatLoad::BeginLoadImage(IVorlatImage* image)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->BeginLoadImage(image));
}

IVorlatError* CVorlatLoad::GetThumbnailColorSpace(int32_t index, int32_t* code)
{
    if (!code)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->GetThumbnailColorSpace(index, code));
}

IVorlatError* CVorlatLoad::GetThumbnailWidth(int32_t index, int32_t* width)
{
    if (!width)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->GetThumbnailWidth(index, width));
}

IVorlatError* CVorlatLoad::GetThumbnailHeight(int32_t index, int32_t* height)
{
    if (!height)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->GetThumbnailHeight(index, height));
}

// Everything that can refuse an update is asked before the target is opened.
IVorlatError* CVorlatLoad::CheckUpdateTarget(IVorlatStream* target)
{
    if (!target)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_ || !tags_)
        return QZ_FAIL(kErrState);
    if (target == stream_ || SameFile(target, stream_))
        return QZ_FAIL(kErrBadArgument);
    return QZ_WRAP(reader_->CheckUpdate());
}

IVorlatError* CVorlatLoad::Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n)
{
    if (IVorlatError* err = CheckUpdateTarget(target))
        return err;
    if (IVorlatError* err = target->OpenStream(false))
        return QZ_WRAP(err);
    bool all = n > 0 && sources;
    for (uint32_t i = 0; all && i < n; ++i)
        all = sources[i] != nullptr;
    // Without every source the pixels stay as they are: the tags only.
    return FinishUpdate(target, all ? reader_->Update(target, sources, n) : reader_->Update(target));
}

IVorlatError* CVorlatLoad::Update(IVorlatStream* target)
{
    if (IVorlatError* err = CheckUpdateTarget(target))
        return err;
    if (IVorlatError* err = target->OpenStream(false))
        return QZ_WRAP(err);
    return FinishUpdate(target, reader_->Update(target));
}

// Only an update that ran to its end takes the target's place; a failed one
// leaves the file as it was.
IVorlatError* CVorlatLoad::FinishUpdate(IVorlatStream* target, IVorlatError* err)
{
    if (err) {
        quarnite::AbandonWrite(target);
        target->CloseStream();
        return QZ_WRAP(err);
    }
    err = quarnite::FinishWrite(target);
    target->CloseStream();
    return QZ_WRAP(err);
}

IVorlatError* CVorlatLoad::PrepareToLoad(IVorlatManager* manager)
{
    if (!manager)
        return QZ_FAIL(kErrBadArgument);
    if (!reader_)
        return QZ_FAIL(kErrState);
    manager_ = manager;
    if (!image_) {
        IVorlatImage* made = nullptr;
        if (IVorlatError* err = manager->CreateImage(&made, usage_))
            return QZ_WRAP(err);
        image_ = made;
        if (IVorlatError* err = image_->SetUsage(usage_))
            return QZ_WRAP(err);
    }
    return QZ_WRAP(reader_->BeginLoadImage(image_));
}

IVorlatError* CVorlatLoad::SetUsage(int32_t usage)
{
    if (usage != usage_ && image_)
        if (IVorlatError* err = image_->SetUsage(usage))
            return QZ_WRAP(err);
    usage_ = usage;
    return nullptr;
}

IVorlatError* CVorlatLoad::Execute()
{
    if (!reader_)
        return QZ_FAIL(kErrState);
    return QZ_WRAP(reader_->Execute());
}

// Without a reader there is nothing to do, so a stepping loop ends.
bool CVorlatLoad::IsFinished() { return reader_ ? reader_->IsFinished() : true; }

void CVorlatLoad::GetProgress(int32_t* done, int32_t* total)
{
    if (reader_) {
        reader_->GetProgress(done, total);
        return;
    }
    if (done)
        *done = 0;
    if (total)
        *total = 0;
}

// ---- The loader as a data source -------------------------------------------

#define QZ_FORWARD(out, call)                \
    {                                        \
        if (!(out))                          \
            return QZ_FAIL(kErrBadArgument); \
        if (!image_)                         \
            return QZ_FAIL(kErrState);       \
        return QZ_WRAP(image_->call);        \
    }

IVorlatError* CVorlatLoad::GetWidth(int32_t* width) const QZ_FORWARD(width, GetWidth(width))
IVorlatError* CVorlatLoad::GetHeight(int32_t* height) const QZ_FORWARD(height, GetHeight(height))
IVorlatError* CVorlatLoad::GetColorSpace(int32_t* colorSpace) const QZ_FORWARD(colorSpace, GetColorSpace(colorSpace))
IVorlatError* CVorlatLoad::GetResolution(double* resolution) const QZ_FORWARD(resolution, GetResolution(resolution))
IVorlatError* CVorlatLoad::GetFlip(bool* flip) const QZ_FORWARD(flip, GetFlip(flip))
IVorlatError* CVorlatLoad::GetRotation(double* rotation) const QZ_FORWARD(rotation, GetRotation(rotation))
IVorlatError* CVorlatLoad::GetTileSize(int32_t* tileSize) const QZ_FORWARD(tileSize, GetTileSize(tileSize))
IVorlatError* CVorlatLoad::GetPalette(VorlatPalette* palette) const QZ_FORWARD(palette, GetPalette(palette))
IVorlatError* CVorlatLoad::TileExists(bool* exists, const IVorlatTileID& id) const QZ_FORWARD(exists, TileExists(exists, id))
IVorlatError* CVorlatLoad::TileExists(bool* exists, int32_t column, int32_t row) const
    QZ_FORWARD(exists, TileExists(exists, column, row))
IVorlatError* CVorlatLoad::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const QZ_FORWARD(tile, GetTile(tile, id))
IVorlatError* CVorlatLoad::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
    QZ_FORWARD(tile, GetTile(tile, column, row))
IVorlatError* CVorlatLoad::MapRect(IVorlatTileGrid** grid, const RECT& rect) const QZ_FORWARD(grid, MapRect(grid, rect))

#undef QZ_FORWARD

IVorlatError* CVorlatLoad::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
{
    return image_ ? QZ_WRAP(image_->UnlockTile(grid, column, row)) : QZ_FAIL(kErrState);
}

IVorlatError* CVorlatLoad::UnlockTile(const IVorlatTileID& id) const
{
    return image_ ? QZ_WRAP(image_->UnlockTile(id)) : QZ_FAIL(kErrState);
}

IVorlatError* CVorlatLoad::UnlockTile(int32_t column, int32_t row) const
{
    return image_ ? QZ_WRAP(image_->UnlockTile(column, row)) : QZ_FAIL(kErrState);
}

IVorlatError* CVorlatLoad::LoadIfUnwritten(IVorlatTile* tile) const
{
    // A tile holds data once it was written (loaded); one that was never
    // loaded, or whose buffer was dropped, is read from the file again.
    if (tile->IsDirty())
        return nullptr;
    int32_t tileSize = 0;
    if (IVorlatError* err = image_->GetTileSize(&tileSize))
        return QZ_WRAP(err);
    if (tileSize <= 0)
        return QZ_FAIL(kErrZeroTileRect);
    RECT rect;
    tile->GetCoordinates(&rect);
    return QZ_WRAP(reader_->LoadTileRow(rect.top / tileSize));
}

IVorlatError* CVorlatLoad::LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const
{
    if (!pixels)
        return QZ_FAIL(kErrBadArgument);
    *pixels = nullptr;
    if (!image_ || !reader_)
        return QZ_FAIL(kErrState);
    bool exists = false;
    IVorlatTile* tile = nullptr;
    if (IVorlatError* err = image_->TileExists(&exists, column, row))  // outside the image
        return QZ_WRAP(err);
    if (IVorlatError* err = image_->GetTile(&tile, column, row))
        return QZ_WRAP(err);
    if (IVorlatError* err = image_->LockTile(pixels, column, row, header))
        return QZ_WRAP(err);
    if (IVorlatError* err = LoadIfUnwritten(tile)) {
        if (IVorlatError* unlock = image_->UnlockTile(column, row))
            unlock->Destroy();
        *pixels = nullptr;
        return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* CVorlatLoad::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
{
    if (!pixels)
        return QZ_FAIL(kErrBadArgument);
    *pixels = nullptr;
    if (!image_ || !reader_)
        return QZ_FAIL(kErrState);
    IVorlatTile* tile = nullptr;
    if (IVorlatError* err = image_->GetTile(&tile, id))
        return QZ_WRAP(err);
    if (IVorlatError* err = image_->LockTile(pixels, id, header))
        return QZ_WRAP(err);
    if (IVorlatError* err = LoadIfUnwritten(tile)) {
        if (IVorlatError* unlock = image_->UnlockTile(id))
            unlock->Destroy();
        *pixels = nullptr;
        return QZ_WRAP(err);
    }
    return nullptr;
}

IVorlatError* CVorlatLoad::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                    const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                    BITMAPINFOHEADER** header) const
{
    if (!pixels)
        return QZ_FAIL(kErrBadArgument);
    *pixels = nullptr;
    if (!image_ || !reader_)
        return QZ_FAIL(kErrState);
    int32_t width = 0, height = 0, tileSize = 0;
    if (IVorlatError* err = image_->GetSize(&width, &height))
        return QZ_WRAP(err);
    if (IVorlatError* err = image_->GetTileSize(&tileSize))
        return QZ_WRAP(err);
    if (width <= 0 || height <= 0 || tileSize <= 0)
        return QZ_FAIL(kErrZeroTileRect);
    IVorlatTile* tile = nullptr;
    if (IVorlatError* err = grid.GetTile(&tile, column, row))
        return QZ_WRAP(err);
    if (IVorlatError* err = image_->LockTile(pixels, tileRect, usedRect, rowBytes, grid, column, row, header))
        return QZ_WRAP(err);
    if (IVorlatError* err = LoadIfUnwritten(tile)) {
        if (IVorlatError* unlock = image_->UnlockTile(grid, column, row))
            unlock->Destroy();
        *pixels = nullptr;
        return QZ_WRAP(err);
    }
    return nullptr;
}
