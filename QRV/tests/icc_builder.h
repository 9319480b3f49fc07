#pragma once

// The tests' profiles: the profile writer's, and a few more that only the
// tests need (a wide-gamut matrix profile with a chosen gamma, grey, and a
// way to break a directory entry).

#include <cstdint>
#include <vector>

#include "QRV/tools/icc_writer.h"

namespace qrvtest {

using qrvtool::IccBuilder;
using qrvtool::LabIdentityProfile;
using qrvtool::LinearCurves;
using qrvtool::LutProfile;
using qrvtool::NarrowRgbProfile;
using qrvtool::PutU32;
using qrvtool::Sig;
using qrvtool::WideRgbProfile;

// Directory entry i of a built profile: overwrite offset and size.
void SetTagEntry(std::vector<uint8_t>& profile, int index, uint32_t offset, uint32_t size);

// A small RGB matrix profile: D50 primaries of a common wide-gamut display
// space with the given tone curve on all three channels.
IccBuilder RgbMatrixProfile(uint16_t gammaU8Fixed8 = 563);
IccBuilder RgbMatrixProfileIdentityCurves();
// The narrow RGB primaries with 'para' tone curves (a gamma of 2.2), as
// version 4 profiles write them: a version 2 reader does not know the type.
IccBuilder ParametricRgbProfile(uint32_t version = 0x04300000);
// A grey profile with a 'kTRC' gamma.
IccBuilder GreyProfile(uint16_t gammaU8Fixed8 = 563, const char* pcs = "XYZ ");

}  // namespace qrvtest
