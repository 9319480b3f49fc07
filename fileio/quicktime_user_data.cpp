// The maker's user-data record of a QuickTime movie: fixed fields at offsets
// from the "udta" atom's size field, little-endian unlike the atoms, each
// stored in the tag store under the id the maker note uses for it.
#include <cstring>

#include "fileio/quarnite_error.h"
#include "fileio/quicktime_reader.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcQuickTime;
using namespace quarnite;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// A ratio field: numerator, then denominator, unsigned. A zero denominator
// gives what the division gives.
double Ratio(const uint8_t* p)
{
    return static_cast<double>(Le32(p)) / static_cast<double>(Le32(p + 4));
}

struct Orientation {
    uint32_t flip;
    double rotation;
};

// Codes 1 to 8 as in Exif; anything else is upright.
Orientation OrientationOf(uint16_t code)
{
    static const Orientation kTable[9] = {{0, 0},   {0, 0},   {1, 0},  {0, 180}, {1, 180},
                                          {1, 90},  {0, 90},  {1, 270}, {0, 270}};
    return code <= 8 ? kTable[code] : kTable[0];
}

// A field code through its table; false for a code the table does not hold.
bool Lookup(const uint32_t* table, uint32_t size, uint16_t code, uint32_t* out)
{
    if (code >= size)
        return false;
    *out = table[code];
    return true;
}

const uint32_t kTableA[] = {0, 7, 3, 1, 2, 6, 4};            // 0x80005
const uint32_t kTableB[] = {16, 17, 0};                      // 0x80007
const uint32_t kTableC[] = {1, 257, 258, 260, 264, 2, 266};  // 0x80080
const uint32_t kTableE[] = {9, 3, 2, 1, 0};                  // 0x80006

// 0x80082: codes outside 1 to 5 are stored as 0 without complaint.
uint32_t TableD(uint16_t code)
{
    static const uint32_t kTable[] = {0, 0x1001, 0x1002, 0x2001, 0x3001, 0x3002};
    return code <= 5 ? kTable[code] : 0;
}

class RecordStore {
public:
    explicit RecordStore(IVorlatTagControl* tags) : tags_(tags) {}

    IVorlatError* Set(TagId id, uint32_t type, uint32_t bytes, const void* value)
    {
        if (IVorlatError* err = tags_->AddTag(id))
            return QZ_WRAP(err);
        return QZ_WRAP(tags_->SetTagValue(id, type, bytes, value, 0));
    }
    IVorlatError* Long(TagId id, uint32_t value) { return Set(id, kTagTypeLongs, 4, &value); }
    IVorlatError* Double(TagId id, double value) { return Set(id, kTagTypeDoubles, 8, &value); }
    IVorlatError* Text(TagId id, const uint8_t* text, uint32_t bytes) { return Set(id, kTagTypeText, bytes, text); }
    IVorlatError* Coded(TagId id, const uint32_t* table, uint32_t size, uint16_t code)
    {
        uint32_t value = 0;
        if (!Lookup(table, size, code, &value))
            return QZ_FAIL(kErrQuickTimeCode);
        return Long(id, value);
    }

private:
    IVorlatTagControl* tags_;
};

} // namespace

namespace quarnite {

IVorlatError* StoreQuickTimeUserData(const uint8_t* u, IVorlatTagControl* tags, IVorlatImage* image)
{
    if (!u || !tags)
        return QZ_FAIL(kErrBadArgument);
    RecordStore store(tags);
    IVorlatError* err = nullptr;

    const uint8_t* identification = u + 103;
    if (std::strncmp(reinterpret_cast<const char*>(identification), "KORVA DIGITAL CAMERA", 24) == 0)
        if ((err = store.Text(0x10F, identification, 5)))  // Make, the maker's name alone
            return err;
    const Orientation orientation = OrientationOf(Le16(u + 135));
    // ExposureBiasValue as the triple 1 x numerator / denominator.
    const int16_t bias[3] = {1, static_cast<int16_t>(Le32(u + 153) & 0xFFFF),
                             static_cast<int16_t>(Le32(u + 157) & 0xFFFF)};
    if ((err = store.Text(0x10E, identification, 24)) ||  // ImageDescription
        (err = store.Text(0x110, u + 127, 8)) ||           // Model
        (err = store.Long(kTagFlip, orientation.flip)) || (err = store.Double(kTagRotation, orientation.rotation)) ||
        (err = store.Double(0x829A, Ratio(u + 137))) ||  // ExposureTime
        (err = store.Double(0x829D, Ratio(u + 145))) ||  // FNumber
        (err = store.Set(0x9204, kTagTypeTriples, sizeof bias, bias)) ||
        (err = store.Double(0x9205, Ratio(u + 161))) ||  // MaxApertureValue
        (err = store.Long(0x9207, Le16(u + 169))) ||      // MeteringMode
        (err = store.Coded(0x80005, kTableA, 7, Le16(u + 171))) ||
        (err = store.Long(0x9209, Le16(u + 173))) ||      // Flash
        (err = store.Double(0x920A, Ratio(u + 175))) ||  // FocalLength
        (err = store.Text(0x131, u + 278, 16)))           // Software
        return err;

    const uint16_t colorSpace = Le16(u + 294);
    if ((err = store.Long(kTagColorSpace, colorSpace)))
        return err;
    if (image)
        if ((err = image->SetColorSpace(colorSpace == 1 ? 32 : 0)))
            return QZ_WRAP(err);

    // The ISO pair (mode, ISO): no ISO value means the automatic mode.
    const uint16_t iso = Le16(u + 298);
    const uint16_t pair[2] = {static_cast<uint16_t>(iso == 0 ? 0x8009 : (iso > 1600 ? 1 : 0)), iso};
    const uint16_t focusMode = Le16(u + 310);
    // The focus-position record: b0 = 0, b1 = 0, 5, the five flags, three zero bytes.
    uint8_t focus[20] = {};
    focus[8] = 5;
    for (int i = 0; i < 5; ++i)
        focus[12 + i] = static_cast<uint8_t>((u[330] >> i) & 1);
    // Focus code 6 implies the flag of 0x80003 whatever its own field holds;
    // the code of 0x80006 is always the one at its fixed offset.
    const uint32_t flag = focusMode == 6 || Le16(u + 332) == 1 ? 1 : 0;
    if ((err = store.Long(0x8822, Le16(u + 296))) ||  // ExposureProgram
        (err = store.Set(0x80002, kTagTypeIsoPair, sizeof pair, pair)) ||
        (err = store.Coded(0x80007, kTableB, 3, Le16(u + 300))) ||
        (err = store.Double(0x8000A, Ratio(u + 302))) ||  // the byte-block id holds this ratio as one double
        (err = store.Coded(0x80080, kTableC, 7, focusMode)) ||
        (err = store.Long(0x80082, TableD(Le16(u + 312)))) ||
        (err = store.Double(0x80085, Le32(u + 318) == 0 ? 0.0 : Ratio(u + 314))) ||
        (err = store.Double(0x80086, Ratio(u + 322))) ||
        (err = store.Set(0x80088, kTagTypeFocusPosition, sizeof focus, focus)) ||
        (err = store.Long(0x80003, flag)) ||
        (err = store.Coded(0x80006, kTableE, 5, Le16(u + 334))))
        return err;
    return nullptr;
}

} // namespace quarnite
