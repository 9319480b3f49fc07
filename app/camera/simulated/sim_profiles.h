// The capabilities of each simulated object, by profile ("M4", "M4H", "M4X",
// "Other" and "minimal"): every value type of the boundary appears on the
// camera of the full profiles, only what the program cannot do without on
// the minimal one.
#pragma once

#include <string>
#include <vector>

#include "app/camera/simulated/sim_module.h"

namespace kavosim {

// The module and the camera ask to be polled at the same interval (0: never),
// so that the inbox is read while the camera is away too.
void AddModuleCapabilities(SimNode* node, const std::string& profile, uint32_t pollInterval);
void AddSourceCapabilities(SimNode* node, const std::string& profile, uint32_t pollInterval);
void AddItemCapabilities(SimNode* node, const std::string& profile, uint32_t number);
// formats: the picture formats offered, as their names ("JPEG", ...).
void AddDataCapabilities(SimNode* node, const std::string& profile, const std::vector<std::string>& formats,
                         uint32_t size);
// The scenario's reshaped capabilities (ranges, array bytes) on the object.
void ApplyScenarioShapes(SimNode* node, const Scenario& scenario);

}  // namespace kavosim
