#include "QRV/tools/icc_writer.h"

#include <cmath>
#include <cstring>

namespace qrvtool {

uint32_t Sig(const char* s)
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
           uint8_t(s[3]);
}

namespace {

void Add32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(uint8_t(v >> s));
}

void Add16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

void AddS15(std::vector<uint8_t>& b, double v)
{
    Add32(b, uint32_t(int32_t(std::lround(v * 65536.0))));
}

std::vector<uint8_t> TypeHead(const char* type)
{
    std::vector<uint8_t> b;
    Add32(b, Sig(type));
    Add32(b, 0);
    return b;
}

}  // namespace

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (24 - 8 * i));
}

IccBuilder::IccBuilder(const char* dataSpace, const char* pcs, const char* deviceClass)
    : dataSpace_(Sig(dataSpace)), pcs_(Sig(pcs)), class_(Sig(deviceClass))
{
}

IccBuilder& IccBuilder::Illuminant(double x, double y, double z)
{
    illuminant_[0] = x;
    illuminant_[1] = y;
    illuminant_[2] = z;
    return *this;
}

IccBuilder& IccBuilder::Version(uint32_t version)
{
    version_ = version;
    return *this;
}

IccBuilder& IccBuilder::Raw(const char* sig, std::vector<uint8_t> body)
{
    tags_.push_back({Sig(sig), std::move(body)});
    return *this;
}

IccBuilder& IccBuilder::XYZ(const char* sig, double x, double y, double z)
{
    std::vector<uint8_t> b = TypeHead("XYZ ");
    AddS15(b, x);
    AddS15(b, y);
    AddS15(b, z);
    return Raw(sig, b);
}

IccBuilder& IccBuilder::CurveIdentity(const char* sig)
{
    std::vector<uint8_t> b = TypeHead("curv");
    Add32(b, 0);
    return Raw(sig, b);
}

IccBuilder& IccBuilder::CurveGamma(const char* sig, uint16_t u8Fixed8)
{
    std::vector<uint8_t> b = TypeHead("curv");
    Add32(b, 1);
    Add16(b, u8Fixed8);
    return Raw(sig, b);
}

IccBuilder& IccBuilder::CurveTable(const char* sig, const std::vector<uint16_t>& entries)
{
    std::vector<uint8_t> b = TypeHead("curv");
    Add32(b, uint32_t(entries.size()));
    for (uint16_t e : entries)
        Add16(b, e);
    return Raw(sig, b);
}

IccBuilder& IccBuilder::Mft2(const char* sig, int inputs, int outputs, int grid, const std::vector<uint16_t>& inCurves,
                             int inEntries, const std::vector<uint16_t>& table, const std::vector<uint16_t>& outCurves,
                             int outEntries, const std::array<double, 9>& matrix)
{
    std::vector<uint8_t> b = TypeHead("mft2");
    b.push_back(uint8_t(inputs));
    b.push_back(uint8_t(outputs));
    b.push_back(uint8_t(grid));
    b.push_back(0);
    for (double m : matrix)
        AddS15(b, m);
    Add16(b, uint16_t(inEntries));
    Add16(b, uint16_t(outEntries));
    for (uint16_t v : inCurves)
        Add16(b, v);
    for (uint16_t v : table)
        Add16(b, v);
    for (uint16_t v : outCurves)
        Add16(b, v);
    return Raw(sig, b);
}

IccBuilder& IccBuilder::Mft1(const char* sig, int inputs, int outputs, int grid, const std::vector<uint8_t>& inCurves,
                             const std::vector<uint8_t>& table, const std::vector<uint8_t>& outCurves,
                             const std::array<double, 9>& matrix)
{
    std::vector<uint8_t> b = TypeHead("mft1");
    b.push_back(uint8_t(inputs));
    b.push_back(uint8_t(outputs));
    b.push_back(uint8_t(grid));
    b.push_back(0);
    for (double m : matrix)
        AddS15(b, m);
    b.insert(b.end(), inCurves.begin(), inCurves.end());
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), outCurves.begin(), outCurves.end());
    return Raw(sig, b);
}

std::vector<uint8_t> IccBuilder::Build() const
{
    std::vector<uint8_t> p(128, 0);
    PutU32(p, 8, version_);
    PutU32(p, 12, class_);
    PutU32(p, 16, dataSpace_);
    PutU32(p, 20, pcs_);
    PutU32(p, 36, Sig("acsp"));
    for (int i = 0; i < 3; ++i)
        PutU32(p, 68 + 4 * i, uint32_t(int32_t(std::lround(illuminant_[i] * 65536.0))));
    Add32(p, uint32_t(tags_.size()));
    size_t dataAt = 132 + 12 * tags_.size();
    std::vector<uint8_t> data;
    for (const Tag& t : tags_) {
        while ((dataAt + data.size()) % 4)
            data.push_back(0);
        Add32(p, t.sig);
        Add32(p, uint32_t(dataAt + data.size()));
        Add32(p, uint32_t(t.body.size()));
        data.insert(data.end(), t.body.begin(), t.body.end());
    }
    p.insert(p.end(), data.begin(), data.end());
    PutU32(p, 0, uint32_t(p.size()));
    return p;
}

std::vector<uint16_t> LinearCurves(int channels, int entries)
{
    std::vector<uint16_t> c;
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < entries; ++i)
            c.push_back(uint16_t(std::lround(i * 65535.0 / (entries - 1))));
    return c;
}

namespace {

std::vector<uint16_t> IdentityTable(int inputs, int outputs, int grid)
{
    std::vector<uint16_t> t;
    int nodes = 1;
    for (int k = 0; k < inputs; ++k)
        nodes *= grid;
    for (int n = 0; n < nodes; ++n) {
        int idx[4] = {0, 0, 0, 0};
        int rest = n;
        for (int k = inputs - 1; k >= 0; --k) {
            idx[k] = rest % grid;
            rest /= grid;
        }
        for (int j = 0; j < outputs; ++j)
            t.push_back(uint16_t(std::lround(idx[j < inputs ? j : inputs - 1] * 65535.0 / (grid - 1))));
    }
    return t;
}

}  // namespace

IccBuilder LabIdentityProfile(const char* dataSpace)
{
    IccBuilder b(dataSpace, "Lab ", "abst");
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249);
    for (const char* tag : {"A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2"})
        b.Mft2(tag, 3, 3, 2, LinearCurves(3, 2), 2, IdentityTable(3, 3, 2), LinearCurves(3, 2), 2);
    return b;
}

IccBuilder NarrowRgbProfile()
{
    IccBuilder b("RGB ", "XYZ ");
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249)
        .CurveIdentity("rTRC")
        .CurveIdentity("gTRC")
        .CurveIdentity("bTRC")
        .XYZ("rXYZ", 0.4361, 0.2225, 0.0139)
        .XYZ("gXYZ", 0.3851, 0.7169, 0.0971)
        .XYZ("bXYZ", 0.1431, 0.0606, 0.7139);
    return b;
}

IccBuilder WideRgbProfile()
{
    IccBuilder b("RGB ", "XYZ ");
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249)
        .CurveIdentity("rTRC")
        .CurveIdentity("gTRC")
        .CurveIdentity("bTRC")
        .XYZ("rXYZ", 0.7977, 0.2880, 0.0)
        .XYZ("gXYZ", 0.1352, 0.7119, 0.0)
        .XYZ("bXYZ", 0.0313, 0.0001, 0.8249);
    return b;
}

IccBuilder LutProfile(const char* dataSpace, const char* pcs, int deviceChannels, int grid, const char* a2b,
                      const char* b2a)
{
    IccBuilder b(dataSpace, pcs, "prtr");
    b.XYZ("wtpt", 0.9642, 1.0, 0.8249);
    if (a2b)
        b.Mft2(a2b, deviceChannels, 3, grid, LinearCurves(deviceChannels, 2), 2, IdentityTable(deviceChannels, 3, grid),
               LinearCurves(3, 2), 2);
    if (b2a)
        b.Mft2(b2a, 3, deviceChannels, grid, LinearCurves(3, 2), 2, IdentityTable(3, deviceChannels, grid),
               LinearCurves(deviceChannels, 2), 2);
    return b;
}

}  // namespace qrvtool
