// libFuzzer target: a profile block from the fuzzer against one of a few
// well-formed partners, then a short line through the built transform.
//
// Input: byte 0 chooses intent, side, partner, bit size and layout; byte 1
// the kernel path and a user curve; the rest is the profile block.

#include <cstdint>
#include <cstring>
#include <vector>

#include "QRV/QRV3.h"
#include "QRV/tests/icc_builder.h"
#include "QRV/transform.h"

namespace {

const std::vector<uint8_t>& Partner(int which)
{
    static const std::vector<uint8_t> partners[4] = {
        qrvtest::RgbMatrixProfile().Build(),
        qrvtest::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build(),
        qrvtest::LabIdentityProfile().Build(),
        qrvtest::GreyProfile().Build(),
    };
    return partners[which];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t options = data[0], extra = data[1];
    data += 2;
    size -= 2;
    const int intent = options % 5;
    const bool fuzzedIsInput = options & 0x08;
    const std::vector<uint8_t>& partner = Partner(options >> 4 & 3);
    const int bits = options & 0x40 ? 16 - (extra >> 4 & 7) : 8;
    const bool planar = options & 0x80;
    qrv::ForceKernels(extra & 1 ? qrv::KernelChoice::Mmx : qrv::KernelChoice::Portable);

    QZCMHandle h = 0;
    if (QZCMCreate(&h) != 0)
        return 0;
    const uint8_t empty = 0;
    const void* block = size ? static_cast<const void*>(data) : &empty;
    const uint32_t bytes = size ? uint32_t(size) : 1;
    if (fuzzedIsInput) {
        QZCMSetInputProfile(h, block, bytes);
        QZCMSetOutputProfile(h, partner.data(), uint32_t(partner.size()));
    } else {
        QZCMSetInputProfile(h, partner.data(), uint32_t(partner.size()));
        QZCMSetOutputProfile(h, block, bytes);
    }
    QZCMSetIntent(h, intent);
    QZCMSetInputBitSize(h, bits);
    QZCMSetOutputBitSize(h, bits);
    if (extra & 2) {
        // A short user curve whose entries may lie above its range.
        const unsigned short curve[4] = {uint16_t(extra * 257), 0, 65535, uint16_t(extra)};
        QZCMSetInputLUT(h, 2, extra >> 2 & 15, 15, curve, curve, curve, curve);
        QZCMMergeOutputLUT(h, 2, extra >> 3 & 15, 15, curve, curve, curve, curve);
    }
    // Five pixels of up to four 16-bit channels: a group of four and one more.
    uint16_t in[5 * 4], out[5 * 4];
    for (int i = 0; i < 20; ++i)
        in[i] = uint16_t(i * 7919 + options * 31 + extra);
    if (planar)
        QZCMProcessPlanarData(h, 5, 1, in, out, 0, 0, 0, 0);
    else
        QZCMProcessInterleavedData(h, 5, 1, in, out, 0, 0);
    QZCMDestroy(h);
    return 0;
}
