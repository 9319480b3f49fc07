#pragma once

// A writer of ICC version 2 profiles with chosen tags: the installation
// writes the default profiles with it, and the tests their refusals and
// small transforms whose results can be worked out by hand.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qrvtool {

uint32_t Sig(const char* s);

class IccBuilder {
public:
    IccBuilder(const char* dataSpace, const char* pcs, const char* deviceClass = "mntr");

    IccBuilder& Illuminant(double x, double y, double z);
    // The header's version word (0x02100000 unless set).
    IccBuilder& Version(uint32_t version);
    // A tag with its raw body (type signature first).
    IccBuilder& Raw(const char* sig, std::vector<uint8_t> body);
    IccBuilder& XYZ(const char* sig, double x, double y, double z);
    IccBuilder& CurveIdentity(const char* sig);
    IccBuilder& CurveGamma(const char* sig, uint16_t u8Fixed8);
    IccBuilder& CurveTable(const char* sig, const std::vector<uint16_t>& entries);
    // 'mft2': curves are inputs x inEntries and outputs x outEntries values.
    IccBuilder& Mft2(const char* sig, int inputs, int outputs, int grid, const std::vector<uint16_t>& inCurves,
                     int inEntries, const std::vector<uint16_t>& table, const std::vector<uint16_t>& outCurves,
                     int outEntries, const std::array<double, 9>& matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1});
    IccBuilder& Mft1(const char* sig, int inputs, int outputs, int grid, const std::vector<uint8_t>& inCurves,
                     const std::vector<uint8_t>& table, const std::vector<uint8_t>& outCurves,
                     const std::array<double, 9>& matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1});

    std::vector<uint8_t> Build() const;

private:
    struct Tag {
        uint32_t sig;
        std::vector<uint8_t> body;
    };
    uint32_t dataSpace_, pcs_, class_;
    uint32_t version_ = 0x02100000;
    double illuminant_[3] = {0.9642, 1.0, 0.8249};
    std::vector<Tag> tags_;
};

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v);

// Identity 'mft2' curves of n entries for c channels.
std::vector<uint16_t> LinearCurves(int channels, int entries);

// A Lab profile (abstract class) with identity 'mft2' tags A2B0..2 and B2A0..2.
IccBuilder LabIdentityProfile(const char* dataSpace = "Lab ");
// An 'mft2' lookup profile of the given device space with identity-ish
// tables built by a function of the node coordinates.
IccBuilder LutProfile(const char* dataSpace, const char* pcs, int deviceChannels, int grid,
                      const char* a2b, const char* b2a);
// Primaries of a narrow (common display) and a wide (photographic) RGB space.
IccBuilder NarrowRgbProfile();
IccBuilder WideRgbProfile();

}  // namespace qrvtool
