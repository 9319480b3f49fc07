#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "QRV/QRV3.h"
#include "QRV/context.h"
#include "port/port.h"

namespace qrv {

namespace {

// Handles are indices into this table, from 1, so no caller ever holds an
// address. A destroyed context's slot is not handed out again, so a stale
// handle is refused rather than reaching another context. Not guarded: the
// engine is used by one thread at a time.
std::vector<QZCMContext*>& Contexts()
{
    static std::vector<QZCMContext*> contexts;
    return contexts;
}

void InitSlot(UserCurveSlot& slot)
{
    slot.entries = MakeCountedBuffer();
    slot.inBits = slot.outBits = slot.mode = 0;
}

int CopyInto(CountedBuffer& buffer, const void* data, uint64_t bytes)
{
    if (CbSetLength(buffer, bytes, 1, 1) != 0)
        return 2;
    std::memcpy(CbElements(buffer), data, bytes);
    return 0;
}

// Reads a whole profile file into buffer; 0, 2 or the run time's error number.
int ReadProfileFile(const CountedBuffer& path, CountedBuffer& buffer)
{
    // A side without a block or a path fails like a file that is not there.
    if (!CbHasData(path))
        return ENOENT;
    const int fd = port::FileOpen(CbAs<const char>(path), port::kReadOnly);
    if (fd < 0)
        return errno ? errno : ENOENT;
    int result = 0;
    const int64_t size = port::FileSeek(fd, 0, SEEK_END);
    if (size < 0 || port::FileSeek(fd, 0, SEEK_SET) != 0) {
        result = errno ? errno : EIO;
    } else if (size > UINT32_MAX - 100) {
        result = EFBIG;
    } else if (CbSetLength(buffer, static_cast<uint64_t>(size), 1, 1) != 0) {
        result = 2;
    } else {
        uint8_t* at = CbAs<uint8_t>(buffer);
        uint64_t left = static_cast<uint64_t>(size);
        while (left > 0) {
            const uint32_t chunk = left > (1u << 30) ? (1u << 30) : static_cast<uint32_t>(left);
            errno = 0;
            const int32_t got = port::FileRead(fd, at, chunk);
            if (got <= 0) {
                result = errno ? errno : EIO;
                break;
            }
            at += got;
            left -= static_cast<uint32_t>(got);
        }
    }
    port::FileClose(fd);
    return result;
}

using SlotArray = UserCurveSlot[4];

QZCMResult SetCurves(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                     const unsigned short* const tables[4], bool output, int32_t mode)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || inBits < 0 || inBits > 16 || outBits < 0 || outBits > 16 || channelMask < 1 || channelMask > 15)
        return 1;
    UserCurveSlot* slots = output ? c->outputSlots : c->inputSlots;
    c->tablesStale = 1;
    int next = 0;
    for (int ch = 0; ch < 4; ++ch) {
        if (!(channelMask >> ch & 1))
            continue;
        const unsigned short* table = tables[next++];
        UserCurveSlot& slot = slots[ch];
        slot.inBits = inBits;
        slot.outBits = outBits;
        slot.mode = mode;
        if (!table) {
            CbFree(slot.entries);
            continue;
        }
        const uint32_t n = 1u << inBits;
        if (CbSetLength(slot.entries, n, sizeof(uint16_t), 1) != 0)
            return 2;
        std::memcpy(CbElements(slot.entries), table, n * sizeof(uint16_t));
    }
    return 0;
}

QZCMResult SetPath(QZCMHandle handle, const char* path, bool output)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || !path)
        return 1;
    CbFree(output ? c->outputBlock : c->inputBlock);
    c->rebuild = 1;
    return CopyInto(output ? c->outputPath : c->inputPath, path, std::strlen(path) + 1);
}

QZCMResult SetBlock(QZCMHandle handle, const void* data, uint32_t bytes, bool output)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || !data || bytes == 0)
        return 1;
    c->rebuild = 1;
    return CopyInto(output ? c->outputBlock : c->inputBlock, data, bytes);
}

QZCMResult Process(QZCMHandle handle, int32_t pixels, int32_t lines, const void* in, void* out,
                   const PixelLayout& layout)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || pixels < 0 || lines < 0 || ((!in || !out) && pixels != 0 && lines != 0))
        return 1;
    if (int r = BuildStale(*c))
        return r;
    if (pixels == 0 || lines == 0)
        return 0;
    return ProcessPixels(c->transform, pixels, lines, layout);
}

}  // namespace

QZCMContext* ContextOf(QZCMHandle handle)
{
    std::vector<QZCMContext*>& contexts = Contexts();
    if (handle <= 0 || static_cast<size_t>(handle) > contexts.size())
        return nullptr;
    return contexts[handle - 1];
}

int BuildStale(QZCMContext& c)
{
    if (!c.rebuild) {
        if (c.tablesStale) {
            if (int r = BuildTables(c.transform, c.inputBits, c.outputBits, c.inputSlots, c.outputSlots))
                return r;
            c.tablesStale = 0;
        }
        return 0;
    }
    CountedBuffer files[2] = {MakeCountedBuffer(), MakeCountedBuffer()};
    const CountedBuffer* blocks[2] = {&c.inputBlock, &c.outputBlock};
    const CountedBuffer* paths[2] = {&c.inputPath, &c.outputPath};
    int result = 0;
    for (int side = 0; side < 2 && result == 0; ++side) {
        if (CbHasData(*blocks[side]))
            continue;
        result = ReadProfileFile(*paths[side], files[side]);
        blocks[side] = &files[side];
    }
    if (result == 0)
        result = BuildTransform(c.transform, CbAs<uint8_t>(*blocks[0]), blocks[0]->length, CbAs<uint8_t>(*blocks[1]),
                                blocks[1]->length, c.intent, c.proofMode, c.inputBits, c.outputBits, c.inputSlots,
                                c.outputSlots);
    CbFree(files[0]);
    CbFree(files[1]);
    if (result == 0)
        c.rebuild = c.tablesStale = 0;
    return result;
}

}  // namespace qrv

using namespace qrv;

QZCMResult QZCMCreate(QZCMHandle* handle)
{
    if (!handle)
        return 1;
    *handle = 0;
    QZCMContext* c = new (std::nothrow) QZCMContext{};
    if (!c)
        return 2;
    c->inputBlock = c->outputBlock = c->inputPath = c->outputPath = MakeCountedBuffer();
    c->inputBits = c->outputBits = 8;
    c->intent = 0;
    c->proofMode = 1;
    for (int i = 0; i < 4; ++i) {
        InitSlot(c->inputSlots[i]);
        InitSlot(c->outputSlots[i]);
    }
    c->rebuild = 1;
    c->tablesStale = 0;
    InitTransform(c->transform);
    std::vector<QZCMContext*>& contexts = Contexts();
    if (contexts.size() >= INT32_MAX) {
        delete c;
        return 2;
    }
    try {
        contexts.push_back(c);
    } catch (const std::bad_alloc&) {
        delete c;
        return 2;
    }
    *handle = static_cast<QZCMHandle>(contexts.size());
    return 0;
}

QZCMResult QZCMDestroy(QZCMHandle handle)
{
    QZCMContext* c = ContextOf(handle);
    if (!c)
        return 1;
    ReleaseTransform(c->transform);
    for (int i = 0; i < 4; ++i) {
        CbFree(c->inputSlots[i].entries);
        CbFree(c->outputSlots[i].entries);
    }
    CbFree(c->inputBlock);
    CbFree(c->outputBlock);
    CbFree(c->inputPath);
    CbFree(c->outputPath);
    delete c;
    Contexts()[handle - 1] = nullptr;
    return 0;
}

QZCMResult QZCMSetInputProfile(QZCMHandle handle, const char* path)
{
    return SetPath(handle, path, false);
}

QZCMResult QZCMSetInputProfile(QZCMHandle handle, const void* data, uint32_t bytes)
{
    return SetBlock(handle, data, bytes, false);
}

QZCMResult QZCMSetOutputProfile(QZCMHandle handle, const char* path)
{
    return SetPath(handle, path, true);
}

QZCMResult QZCMSetOutputProfile(QZCMHandle handle, const void* data, uint32_t bytes)
{
    return SetBlock(handle, data, bytes, true);
}

QZCMResult QZCMSetInputBitSize(QZCMHandle handle, int32_t bits)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || bits < 8 || bits > 16)
        return 1;
    c->inputBits = bits;
    c->tablesStale = 1;
    return 0;
}

QZCMResult QZCMSetOutputBitSize(QZCMHandle handle, int32_t bits)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || bits < 8 || bits > 16)
        return 1;
    c->outputBits = bits;
    c->tablesStale = 1;
    return 0;
}

QZCMResult QZCMSetIntent(QZCMHandle handle, int32_t intent)
{
    QZCMContext* c = ContextOf(handle);
    if (!c || intent < 0 || intent > 4)
        return 1;
    c->intent = intent;
    c->rebuild = 1;
    return 0;
}

QZCMResult QZCMSetProofMode(QZCMHandle handle, int32_t mode)
{
    QZCMContext* c = ContextOf(handle);
    if (!c)
        return 1;
    c->proofMode = mode;
    c->rebuild = 1;
    return 0;
}

QZCMResult QZCMSetInputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                           const unsigned short* t0, const unsigned short* t1, const unsigned short* t2,
                           const unsigned short* t3)
{
    const unsigned short* tables[4] = {t0, t1, t2, t3};
    return SetCurves(handle, inBits, outBits, channelMask, tables, false, 0);
}

QZCMResult QZCMSetOutputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                            const unsigned short* t0, const unsigned short* t1, const unsigned short* t2,
                            const unsigned short* t3)
{
    const unsigned short* tables[4] = {t0, t1, t2, t3};
    return SetCurves(handle, inBits, outBits, channelMask, tables, true, 0);
}

QZCMResult QZCMMergeInputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                             const unsigned short* t0, const unsigned short* t1, const unsigned short* t2,
                             const unsigned short* t3)
{
    const unsigned short* tables[4] = {t0, t1, t2, t3};
    return SetCurves(handle, inBits, outBits, channelMask, tables, false, 1);
}

QZCMResult QZCMMergeOutputLUT(QZCMHandle handle, int32_t inBits, int32_t outBits, int32_t channelMask,
                              const unsigned short* t0, const unsigned short* t1, const unsigned short* t2,
                              const unsigned short* t3)
{
    const unsigned short* tables[4] = {t0, t1, t2, t3};
    return SetCurves(handle, inBits, outBits, channelMask, tables, true, 1);
}

QZCMResult QZCMProcessInterleavedData(QZCMHandle handle, int32_t pixelsPerLine, int32_t lines, const void* in,
                                      void* out, int32_t inLineBytes, int32_t outLineBytes)
{
    PixelLayout layout{static_cast<const uint8_t*>(in), static_cast<uint8_t*>(out), inLineBytes, outLineBytes, 0, 0,
                       false};
    return Process(handle, pixelsPerLine, lines, in, out, layout);
}

QZCMResult QZCMProcessPlanarData(QZCMHandle handle, int32_t pixelsPerLine, int32_t lines, const void* in,
                                 void* out, int32_t inLineBytes, int32_t outLineBytes, int32_t inPlaneBytes,
                                 int32_t outPlaneBytes)
{
    PixelLayout layout{static_cast<const uint8_t*>(in), static_cast<uint8_t*>(out), inLineBytes, outLineBytes,
                       inPlaneBytes, outPlaneBytes, true};
    return Process(handle, pixelsPerLine, lines, in, out, layout);
}
