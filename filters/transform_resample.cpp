// The transform filter's tile producer. Rotations by multiples of 90 degrees
// walk the source with single steps of a window; any other angle maps every
// output pixel back into the source and paints what falls outside with zeros.
// Pixels are copied, never interpolated.
#include <cstring>

#include "filters/SourceWindow.h"
#include "filters/VorlatFilterTransform.h"
#include "filters/transform_geometry_impl.h"

using namespace transform_geometry;

namespace {

constexpr int32_t kFile = VorlatFourCC("xfrm");

enum class Step { Right, Left, Up, Down };

// The eight exact cases (0, 90, 180, 270 degrees, each plain and mirrored):
// where output row y starts in the source for output column `left`.
void RowStart(int32_t kind, int32_t left, int32_t y, int32_t w, int32_t h, int32_t* sx, int32_t* sy)
{
    switch (kind) {
    case 0: *sx = left; *sy = y; break;
    case 1: *sx = w - 1 - left; *sy = y; break;
    case 2: *sx = y; *sy = h - 1 - left; break;
    case 3: *sx = w - 1 - y; *sy = h - 1 - left; break;
    case 4: *sx = w - 1 - left; *sy = h - 1 - y; break;
    case 5: *sx = left; *sy = h - 1 - y; break;
    case 6: *sx = w - 1 - y; *sy = left; break;
    default: *sx = y; *sy = left; break;
    }
}

// And which way the walk goes along an output row.
const Step kSteps[] = {Step::Right, Step::Left, Step::Up, Step::Up, Step::Left, Step::Right, Step::Down, Step::Down};

IVorlatError* Advance(CSourceWindow& window, Step step)
{
    switch (step) {
    case Step::Right: return window.StepRight();
    case Step::Left: return window.StepLeft();
    case Step::Up: return window.StepUp();
    case Step::Down: return window.StepDown();
    }
    return nullptr;
}

// Copies n pixels along one output row while the window walks the source.
template <Step kStep>
IVorlatError* CopyRun(CSourceWindow& window, unsigned char* out, int32_t n, int32_t bits, int32_t bytes)
{
    for (int32_t i = 0; i < n; ++i, out += bytes) {
        CVorlatFilterBase::CPixelPtr::CopyOne(out, window.pixel.GetPtr(), bits, bytes);
        if (i + 1 < n)
            if (IVorlatError* err = Advance(window, kStep))
                return err;
    }
    return nullptr;
}

} // namespace

IVorlatError* CVorlatFilterTransform::ProcessTile(IVorlatTile* tile, CProcessInfo* info)
{
    IVorlatError* err = nullptr;
    RECT rect, area;
    if (!tile->GetInvalidRect(&rect))
        return nullptr;
    tile->GetCoordinates(&area);
    const IVorlatDataSource* source = ChosenSource(info);
    if (!source)
        return NoSource(kFile, __LINE__);
    const IVorlatDataSource* list[] = {source};

    int32_t colorSpace = 0, w = 0, h = 0;
    if (VorlatFailed(&err, kFile, __LINE__, GetFilteredColorSpace(list, 1, &colorSpace)))
        return err;
    // Whole bytes only: the walk moves by pointer steps of whole pixels.
    const int32_t bits = GetBitsPerPixel(colorSpace), bytes = bits / 8;
    if (bits < 8 || bits % 8 != 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kKolvexBadSourceSpace);
    bool flip = false;
    double rotation = 0;
    if (VorlatFailed(&err, kFile, __LINE__, source->GetTransform(&flip, &rotation)))
        return err;
    GetRelativeTransform(&flip, &rotation);
    if (VorlatFailed(&err, kFile, __LINE__, source->GetSize(&w, &h)))
        return err;

    int32_t kind = -1;
    if (NearZero(rotation))
        kind = 0;
    else if (Near(rotation, 90))
        kind = 2;
    else if (Near(rotation, 180))
        kind = 4;
    else if (Near(rotation, 270))
        kind = 6;
    if (kind >= 0 && flip)
        ++kind;

    // Edges repeat; two tiles hold a run that crosses one tile border.
    CSourceWindow window(source, 2, 1, 1);
    void* data = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, tile->Lock(&data, nullptr)))
        return err;
    const int32_t rowBytes = tile->GetRowBytes();
    unsigned char* row = static_cast<unsigned char*>(data) + static_cast<intptr_t>(rect.top - area.top) * rowBytes +
                         static_cast<intptr_t>(rect.left - area.left) * bytes;
    const int32_t width = rect.right - rect.left;

    if (kind >= 0) {
        for (int32_t y = rect.top; y < rect.bottom && !err; ++y, row += rowBytes) {
            int32_t sx = 0, sy = 0;
            RowStart(kind, rect.left, y, w, h, &sx, &sy);
            if (VorlatFailed(&err, kFile, __LINE__, window.MoveTo(sx, sy)))
                break;
            IVorlatError* runErr = nullptr;
            switch (kSteps[kind]) {
            case Step::Right: runErr = CopyRun<Step::Right>(window, row, width, bits, bytes); break;
            case Step::Left: runErr = CopyRun<Step::Left>(window, row, width, bits, bytes); break;
            case Step::Up: runErr = CopyRun<Step::Up>(window, row, width, bits, bytes); break;
            case Step::Down: runErr = CopyRun<Step::Down>(window, row, width, bits, bytes); break;
            }
            VorlatFailed(&err, kFile, __LINE__, runErr);
        }
    } else {
        // The source pixel under the back-mapped square's top-left corner; the
        // background where that lies outside the source.
        const Rotation rot = MakeRotation(rotation);
        for (int32_t y = rect.top; y < rect.bottom && !err; ++y, row += rowBytes) {
            unsigned char* out = row;
            for (int32_t x = rect.left; x < rect.right; ++x, out += bytes) {
                int32_t sx = 0, sy = 0;
                InversePixel(x, y, w, h, flip, rot, &sx, &sy);
                if (sx < 0 || sx >= w || sy < 0 || sy >= h) {
                    std::memset(out, 0, static_cast<size_t>(bytes));
                    continue;
                }
                if (VorlatFailed(&err, kFile, __LINE__, window.MoveTo(sx, sy)))
                    break;
                CPixelPtr::CopyOne(out, window.pixel.GetPtr(), bits, bytes);
            }
        }
    }
    VorlatFailed(&err, kFile, __LINE__, tile->Unlock());
    if (!err)
        tile->Validate();
    return err;
}
