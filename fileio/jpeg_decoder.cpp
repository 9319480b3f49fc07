#include "fileio/jpeg_decoder.h"

#include <algorithm>

#include "Vorlat/VorlatTile.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_tables.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegReader;
constexpr int64_t kBandBytes = 0x100000;

// A reduced size rounds down, but never to nothing: the first MCU always holds a pixel.
int32_t ReducedSize(int32_t size, int32_t scale) { return std::max(1, size / scale); }
} // namespace

CJpegDecoder::CJpegDecoder(IVorlatStream* stream) : stream_(stream) {}

CJpegDecoder::~CJpegDecoder() = default;

IVorlatError* CJpegDecoder::ReadU8(uint32_t* value)
{
    uint8_t byte = 0;
    if (IVorlatError* err = stream_->LoadToMemory(&byte, 1))
        return QZ_WRAP(err);
    *value = byte;
    return nullptr;
}

IVorlatError* CJpegDecoder::ReadU16(uint32_t* value)
{
    uint8_t bytes[2] = {};
    if (IVorlatError* err = stream_->LoadToMemory(bytes, 2))
        return QZ_WRAP(err);
    *value = static_cast<uint32_t>(bytes[0]) << 8 | bytes[1];
    return nullptr;
}

IVorlatError* CJpegDecoder::Skip(uint32_t bytes)
{
    return bytes ? QZ_WRAP(stream_->Seek(static_cast<int32_t>(bytes), 1)) : nullptr;
}

IVorlatError* CJpegDecoder::SkipSegment()
{
    uint32_t length = 0;
    if (IVorlatError* err = ReadU16(&length))
        return err;
    if (length < 2)
        return QZ_FAIL(kErrJpegSegment);
    return Skip(length - 2);
}

IVorlatError* CJpegDecoder::ReadApplicationSegment(uint32_t) { return SkipSegment(); }

IVorlatError* CJpegDecoder::ParseMarkers()
{
    if (parseFlags_)
        return nullptr;
    quantTables_.clear();
    huffmanTables_.clear();
    frameComponents_.clear();
    scanCount_ = 0;
    samplingCode_ = 0;
    mcuWriter_ = nullptr;
    restartInterval_ = 0;
    width_ = height_ = pixelType_ = 0;

    IVorlatError* err = stream_->Seek(2, 0);
    parseFlags_ = kJpegParsing;
    for (bool scan = false; !err && !scan;) {
        uint32_t marker = 0;
        if ((err = ReadU16(&marker)))
            break;
        switch (marker) {
        case 0xFFC0: err = ReadFrameHeader(); break;
        case 0xFFC4: err = ReadHuffmanTables(); break;
        case 0xFFD8: break;
        case 0xFFD9: err = QZ_FAIL(kErrJpegNoScan); break;
        case 0xFFDA:
            err = ReadScanHeader();
            scan = true;
            break;
        case 0xFFDB: err = ReadQuantTables(); break;
        case 0xFFDD: err = ReadRestartInterval(); break;
        case 0xFFE0:
        case 0xFFE1:
        case 0xFFE2:
        case 0xFFED: err = ReadApplicationSegment(marker); break;
        case 0xFFFE: {
            uint32_t length = 0;
            if (!(err = ReadU16(&length)))
                err = length < 2 ? QZ_FAIL(kErrJpegComment) : Skip(length - 2);
            break;
        }
        default:
            if ((marker >= 0xFFE3 && marker <= 0xFFEC) || marker == 0xFFEE || marker == 0xFFEF)
                err = SkipSegment();
            else
                err = QZ_FAIL(kErrJpegMarker);
            break;
        }
    }
    if (!err) {
        int32_t at = 0;
        if ((err = stream_->Tell(&at)))
            err = QZ_WRAP(err);
        entropyOffset_ = static_cast<uint32_t>(at);
    }
    if (!err)
        err = OnParsed();
    if (err)
        parseFlags_ = 0;
    return err;
}

IVorlatError* CJpegDecoder::ReadQuantTables()
{
    parseFlags_ |= kJpegSeenQuant;
    uint32_t length = 0;
    if (IVorlatError* err = ReadU16(&length))
        return err;
    if (length <= 2 || length - 2 < 65)
        return QZ_FAIL(kErrJpegQuantSegment);
    uint32_t left = length - 2;
    while (left >= 65) {
        if (quantTables_.size() == 4)
            return QZ_FAIL(kErrJpegQuantCount);
        uint8_t raw[65];
        if (IVorlatError* err = stream_->LoadToMemory(raw, 65))
            return QZ_WRAP(err);
        if (raw[0] & 0x10)
            return QZ_FAIL(kErrJpegQuantPrecision);
        JpegQuantTable table;
        table.id = raw[0];
        for (int i = 0; i < 64; ++i)
            table.values[NaturalOrderTable[i]] = raw[1 + i];
        quantTables_.push_back(table);
        left -= 65;
    }
    return Skip(left);
}

IVorlatError* CJpegDecoder::ReadHuffmanTables()
{
    parseFlags_ |= kJpegSeenHuffman;
    uint32_t length = 0;
    if (IVorlatError* err = ReadU16(&length))
        return err;
    if (length <= 2)
        return QZ_FAIL(kErrJpegHuffmanSegment);
    uint32_t left = length - 2;
    while (left > 17) {
        if (huffmanTables_.size() == 6)
            return QZ_FAIL(kErrJpegHuffmanCount);
        uint8_t head[17];
        if (IVorlatError* err = stream_->LoadToMemory(head, 17))
            return QZ_WRAP(err);
        left -= 17;
        uint32_t count = 0;
        for (int i = 1; i <= 16; ++i)
            count += head[i];
        if (left < count)
            return QZ_FAIL(kErrJpegHuffmanSegment);
        uint8_t symbols[16 * 255];
        if (IVorlatError* err = stream_->LoadToMemory(symbols, count))
            return QZ_WRAP(err);
        left -= count;
        // A table without codes cannot decode anything, and a DC size above 15
        // has no meaning; both would read what was never set.
        if (count == 0)
            return QZ_FAIL(kErrJpegHuffmanSegment);
        if ((head[0] >> 4) == 0 && std::any_of(symbols, symbols + count, [](uint8_t s) { return s > 15; }))
            return QZ_FAIL(kErrJpegHuffmanSegment);
        try {
            huffmanTables_.emplace_back();
        } catch (...) {
            return QZ_FAIL(kErrAllocation);
        }
        huffmanTables_.back().id = head[0];
        if (!huffmanTables_.back().tree.Build(head + 1, symbols, count)) {
            huffmanTables_.pop_back();
            return QZ_FAIL(kErrAllocation);
        }
    }
    return Skip(left);
}

IVorlatError* CJpegDecoder::ReadFrameHeader()
{
    // One frame only: a second one would change the geometry under the scan.
    if (parseFlags_ & kJpegSeenFrame)
        return QZ_FAIL(kErrJpegFrameHeader);
    parseFlags_ |= kJpegSeenFrame;
    uint32_t length = 0;
    if (IVorlatError* err = ReadU16(&length))
        return err;
    if (length < 8)
        return QZ_FAIL(kErrJpegFrameHeader);
    uint8_t head[6];
    if (IVorlatError* err = stream_->LoadToMemory(head, 6))
        return QZ_WRAP(err);
    height_ = head[1] << 8 | head[2];
    width_ = head[3] << 8 | head[4];
    const uint32_t components = head[5];
    if (IVorlatError* err = OnFrameSize())
        return QZ_WRAP(err);
    if (head[0] != 8)
        return QZ_FAIL(kErrJpegPrecision);
    if (components > 3)
        return QZ_FAIL(kErrJpegComponents);
    const uint32_t left = length - 8;
    if (left < 3 * components || width_ == 0 || height_ == 0)
        return QZ_FAIL(kErrJpegFrameHeader);
    for (uint32_t i = 0; i < components; ++i) {
        uint8_t raw[3];
        if (IVorlatError* err = stream_->LoadToMemory(raw, 3))
            return QZ_WRAP(err);
        frameComponents_.push_back({raw[0], raw[1], raw[2]});
    }
    pixelType_ = components == 1 ? 2 : 32;
    resolution_ = 72.0;
    if (IVorlatError* err = OnFrameEnd())
        return QZ_WRAP(err);
    return Skip(left - 3 * components);
}

IVorlatError* CJpegDecoder::ReadScanHeader()
{
    parseFlags_ |= kJpegSeenScan;
    const uint32_t needed = kJpegSeenQuant | kJpegSeenHuffman | kJpegSeenFrame;
    if ((parseFlags_ & needed) != needed)
        return QZ_FAIL(kErrJpegScanOrder);
    uint32_t length = 0, count = 0;
    if (IVorlatError* err = ReadU16(&length))
        return err;
    if (length < 3)
        return QZ_FAIL(kErrJpegScanHeader);
    if (IVorlatError* err = ReadU8(&count))
        return err;
    if (count != 1 && count != 3)
        return QZ_FAIL(kErrJpegScan);
    const uint32_t left = length - 3;
    if (left < 2 * count + 3)
        return QZ_FAIL(kErrJpegScanHeader);
    uint32_t code = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t raw[2];
        if (IVorlatError* err = stream_->LoadToMemory(raw, 2))
            return QZ_WRAP(err);
        auto frame = std::find_if(frameComponents_.begin(), frameComponents_.end(),
                                  [&](const JpegFrameComponent& c) { return c.id == raw[0]; });
        if (frame == frameComponents_.end())
            return QZ_FAIL(kErrJpegScanComponent);
        code = code * 256 + frame->sampling;
        auto quant = std::find_if(quantTables_.begin(), quantTables_.end(),
                                  [&](const JpegQuantTable& t) { return t.id == frame->quantId; });
        if (quant == quantTables_.end())
            return QZ_FAIL(kErrJpegNoQuantTable);
        const uint32_t dcId = raw[1] >> 4;
        const uint32_t acId = 0x10 | (raw[1] & 15);
        auto dc = std::find_if(huffmanTables_.begin(), huffmanTables_.end(),
                               [&](const JpegHuffmanTable& t) { return t.id == dcId; });
        auto ac = std::find_if(huffmanTables_.begin(), huffmanTables_.end(),
                               [&](const JpegHuffmanTable& t) { return t.id == acId; });
        if (dc == huffmanTables_.end() || ac == huffmanTables_.end())
            return QZ_FAIL(kErrJpegNoHuffmanTable);
        scan_[i] = {&*quant, &dc->tree, &ac->tree, raw[0], 0};
    }
    scanCount_ = count;
    uint8_t spectral[3];
    if (IVorlatError* err = stream_->LoadToMemory(spectral, 3))
        return QZ_WRAP(err);
    if (spectral[0] != 0 || spectral[1] != 63)
        return QZ_FAIL(kErrJpegScan);
    if (IVorlatError* err = Skip(left - 2 * count - 3))
        return err;

    samplingCode_ = code;
    switch (code) {
    case 0x11: mcuWidth_ = 8, mcuHeight_ = 8, blocksPerMcu_ = 1; break;
    case 0x111111: mcuWidth_ = 8, mcuHeight_ = 8, blocksPerMcu_ = 3; break;
    case 0x211111: mcuWidth_ = 16, mcuHeight_ = 8, blocksPerMcu_ = 4; break;
    case 0x121111: mcuWidth_ = 8, mcuHeight_ = 16, blocksPerMcu_ = 4; break;
    case 0x221111: mcuWidth_ = 16, mcuHeight_ = 16, blocksPerMcu_ = 6; break;
    default: return QZ_FAIL(kErrJpegScan);
    }
    if (IVorlatError* err = ChooseMcuWriter())
        return err;
    if (!TryResize(blocks_, static_cast<uint64_t>(blocksPerMcu_) * 64))
        return QZ_FAIL(kErrAllocation);
    rowBytes_ = (width_ + mcuWidth_ - 1) / mcuWidth_ * mcuWidth_ * static_cast<int32_t>(count);
    pixelType_ = blocksPerMcu_ == 1 ? 2 : 32;
    return nullptr;
}

IVorlatError* CJpegDecoder::ReadRestartInterval()
{
    uint32_t length = 0;
    if (IVorlatError* err = ReadU16(&length))
        return err;
    if (length < 4)
        return QZ_FAIL(kErrJpegRestartSegment);
    if (IVorlatError* err = ReadU16(&restartInterval_))
        return err;
    return Skip(length - 4);
}

IVorlatError* CJpegDecoder::BeginDecode(IVorlatImage* image, int32_t scale)
{
    if (!image || (scale != 1 && scale != 2 && scale != 4 && scale != 8))
        return QZ_FAIL(kErrBadArgument);
    image_ = image;
    if (IVorlatError* err = ParseMarkers())
        return QZ_WRAP(err);
    scale_ = scale;
    sizeIndex_ = scale > 2 ? 2 : 1;
    return PrepareImage(image);
}

IVorlatError* CJpegDecoder::BeginDecode(IVorlatImage* image)
{
    if (!image)
        return QZ_FAIL(kErrBadArgument);
    image_ = image;
    if (IVorlatError* err = ParseMarkers())
        return QZ_WRAP(err);
    return PrepareImage(image);
}

IVorlatError* CJpegDecoder::PrepareImage(IVorlatImage* image)
{
    if (IVorlatError* err = image->SetColorSpace(pixelType_))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetSize(ReducedSize(width_, scale_), ReducedSize(height_, scale_)))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetResolution(resolution_))
        return QZ_WRAP(err);
    if (IVorlatError* err = image->SetTransform(flip_, rotation_, false))
        return QZ_WRAP(err);

    int32_t tileSize = 0;
    if (IVorlatError* err = image->GetTileSize(&tileSize))
        return QZ_WRAP(err);
    int64_t band = 1;
    if (rowBytes_ < kBandBytes) {
        band = tileSize;
        while (band > 1 && rowBytes_ * band > kBandBytes)
            band /= 2;
    }
    bandHeight_ = static_cast<int32_t>(std::max<int64_t>(band, mcuHeight_));
    tileRows_ = tileSize > 0 ? tileSize : bandHeight_;
    if (!TryResize(band_, static_cast<uint64_t>(rowBytes_) * static_cast<uint64_t>(bandHeight_)))
        return QZ_FAIL(kErrAllocation);

    bits_.Attach(stream_);
    bits_.Restart(entropyOffset_, 0, 0);
    mcuColumn_ = mcuRow_ = rowsDone_ = 0;
    mcusSinceRestart_ = 0;
    for (auto& component : scan_)
        component.prediction = 0;
    writePosition_ = band_.data();
    outputHeight_ = ReducedSize(height_, scale_);
    outRowBytes_ = rowBytes_ / scale_;
    return nullptr;
}

IVorlatError* CJpegDecoder::DecodeMcuRow(uint8_t* row)
{
    const int32_t columns = (width_ + mcuWidth_ - 1) / mcuWidth_;
    const int32_t step = mcuWidth_ / scale_ * static_cast<int32_t>(scanCount_);
    for (mcuColumn_ = 0; mcuColumn_ < columns; ++mcuColumn_) {
        if (restartInterval_ && mcusSinceRestart_ == restartInterval_) {
            uint8_t marker[2];
            if (IVorlatError* err = bits_.ReadBytes(marker, 2))
                return QZ_WRAP(err);
            if (marker[0] != 0xFF || (marker[1] & 0xF0) != 0xD0)
                return QZ_FAIL(kErrJpegRestartMarker);
            mcusSinceRestart_ = 0;
            for (auto& component : scan_)
                component.prediction = 0;
        }
        if (IVorlatError* err = (this->*mcuWriter_)(row + mcuColumn_ * step))
            return QZ_WRAP(err);
        ++mcusSinceRestart_;
    }
    return nullptr;
}

IVorlatError* CJpegDecoder::HandOver(const uint8_t* bits, int32_t rowBytes, int32_t top, int32_t bottom,
                                     int32_t right)
{
    if (bottom <= top)
        return nullptr;
    const RECT rect = {0, top, right, bottom};
    return QZ_WRAP(image_->SetData(const_cast<uint8_t*>(bits), rowBytes, rect));
}

IVorlatError* CJpegDecoder::Execute()
{
    if (!image_ || !mcuWriter_ || band_.empty())
        return QZ_FAIL(kErrState);
    const int32_t perBand = bandHeight_ / mcuHeight_;
    const int32_t rows = (height_ + mcuHeight_ - 1) / mcuHeight_;
    const int32_t bandRows = perBand * mcuHeight_;
    while (mcuRow_ < rows) {
        if (IVorlatError* err = DecodeMcuRow(writePosition_))
            return err;
        ++mcuRow_;
        if (mcuRow_ % perBand != 0) {
            writePosition_ += mcuHeight_ * outRowBytes_ / scale_;
            continue;
        }
        if ((rowsDone_ + bandRows) / scale_ <= outputHeight_) {
            if (IVorlatError* err = HandOver(band_.data(), outRowBytes_, rowsDone_ / scale_,
                                             (rowsDone_ + bandRows) / scale_, ReducedSize(width_, scale_)))
                return err;
            rowsDone_ += bandRows;
            writePosition_ = band_.data();
            return nullptr;
        }
    }
    // The last band, full or not, is always handed over, so that the decode finishes.
    if (rowsDone_ / scale_ < outputHeight_) {
        if (IVorlatError* err =
                HandOver(band_.data(), outRowBytes_, rowsDone_ / scale_, outputHeight_, ReducedSize(width_, scale_)))
            return err;
    }
    rowsDone_ = outputHeight_ * scale_;
    writePosition_ = band_.data();
    return nullptr;
}

void CJpegDecoder::GetProgress(int32_t* done, int32_t* total) const
{
    const bool finished = IsFinished();
    if (done)
        *done = finished ? 0 : rowsDone_;
    if (total)
        *total = finished ? 0 : scale_ * outputHeight_;
}

IVorlatError* CJpegDecoder::LoadTileRow(int32_t n)
{
    if (!image_ || !mcuWriter_ || band_.empty() || scale_ != 1)
        return QZ_FAIL(kErrState);
    const int64_t first = static_cast<int64_t>(n) * tileRows_;
    if (n < 0 || first >= height_)
        return nullptr;  // no such tile row
    const int32_t start = static_cast<int32_t>(first);
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(first + tileRows_, height_));
    const int32_t perBand = bandHeight_ / mcuHeight_;
    const int32_t bandRows = perBand * mcuHeight_;
    const int32_t rows = (height_ + mcuHeight_ - 1) / mcuHeight_;
    const int32_t columns = (width_ + mcuWidth_ - 1) / mcuWidth_;

    int32_t m = 0;
    if (firstPass_) {
        if (rowIndex_.empty() && !TryResize(rowIndex_, static_cast<uint64_t>(rows)))
            return QZ_FAIL(kErrAllocation);
    } else {
        m = start / mcuHeight_ / perBand * perBand;
        rowsDone_ = m * mcuHeight_;
    }
    if (m == 0) {
        bits_.Restart(entropyOffset_, 0, 0);
        for (auto& component : scan_)
            component.prediction = 0;
        mcusSinceRestart_ = 0;
        if (firstPass_)
            rowsDone_ = 0;
    } else {
        const RowState& state = rowIndex_[m - 1];
        bits_.Restart(state.offset, state.bitsLeft, state.currentByte);
        for (int i = 0; i < 3; ++i)
            scan_[i].prediction = state.predictions[i];
        mcusSinceRestart_ = restartInterval_ ? (static_cast<uint32_t>(m) * columns - 1) % restartInterval_ + 1 : 0;
    }
    writePosition_ = band_.data();

    // Hands over the band rows [top, bottom): all of them in the first pass,
    // else the part that the rows asked for cover. True once the caller is served.
    int32_t handedTo = firstPass_ ? 0 : start;
    auto deliver = [&](int32_t top, int32_t bottom, IVorlatError** err) {
        int32_t from = top, to = bottom;
        if (!firstPass_) {
            from = std::max(top, start);
            to = std::min(bottom, end);
        }
        if (from < to) {
            *err = HandOver(band_.data() + static_cast<int64_t>(from - top) * rowBytes_, rowBytes_, from, to, width_);
            if (!*err)
                handedTo = to;
        }
        return !firstPass_ && to >= end;
    };
    auto fail = [&](IVorlatError* err) {
        ForgetPartTileRow(handedTo);
        return err;
    };

    for (mcuRow_ = m; mcuRow_ < rows;) {
        if (IVorlatError* err = DecodeMcuRow(writePosition_))
            return fail(err);
        if (firstPass_) {
            RowState& state = rowIndex_[mcuRow_];
            state.offset = bits_.Offset();
            for (int i = 0; i < 3; ++i)
                state.predictions[i] = scan_[i].prediction;
            state.bitsLeft = bits_.BitsLeft();
            state.currentByte = bits_.CurrentByte();
        }
        ++mcuRow_;
        if (mcuRow_ % perBand != 0) {
            writePosition_ += static_cast<int64_t>(rowBytes_) * mcuHeight_;
            continue;
        }
        const int32_t top = rowsDone_;
        const int32_t bottom = top + bandRows;
        if (bottom > height_)
            continue;  // the last, partial band
        IVorlatError* err = nullptr;
        const bool served = deliver(top, bottom, &err);
        if (err)
            return fail(err);
        rowsDone_ = bottom;
        writePosition_ = band_.data();
        if (bottom >= height_) {
            firstPass_ = false;
            return nullptr;
        }
        if (served)
            return nullptr;
    }
    if (rowsDone_ < height_) {
        IVorlatError* err = nullptr;
        deliver(rowsDone_, height_, &err);
        if (err)
            return fail(err);
        rowsDone_ = height_;
    }
    firstPass_ = false;
    return nullptr;
}

// Bands and tiles need not share their borders, so a decode that stops early
// can leave a tile row partly written; the loader takes a written tile as
// loaded, so its tiles are marked unwritten and read again at their next lock.
void CJpegDecoder::ForgetPartTileRow(int32_t handedTo)
{
    if (handedTo % tileRows_ == 0 || handedTo >= height_)
        return;
    const int32_t row = handedTo / tileRows_;
    for (int32_t column = 0; static_cast<int64_t>(column) * tileRows_ < width_; ++column) {
        IVorlatTile* tile = nullptr;
        if (IVorlatError* err = image_->GetTile(&tile, column, row)) {
            err->Destroy();
            continue;
        }
        tile->SetDirty(false);
    }
}

} // namespace quarnite
