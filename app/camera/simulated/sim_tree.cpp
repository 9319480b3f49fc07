// The simulated objects: building the tree, and the camera's own actions
// (a shot, going away, coming back).
#include "app/camera/simulated/sim_module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/camera/simulated/sim_module_impl.h"
#include "app/camera/simulated/sim_profiles.h"

namespace kavosim {

void CSimModule::Build()
{
    SimNode* module = AddNode("", kSimModuleObject, 0);
    AddModuleCapabilities(module, scenario_.profile, scenario_.pollInterval);
    ApplyScenarioShapes(module, scenario_);
    if (!scenario_.absent) {
        SimNode* source = AddNode("module", kSimSourceObject, nextSourceId_++);
        AddSourceCapabilities(source, scenario_.profile, scenario_.pollInterval);
        ApplyScenarioShapes(source, scenario_);
        module->children.push_back(source->id);
        sourcePath_ = source->path;
        for (uint32_t i = 0; i < scenario_.items; ++i)
            AddItem(source);
    }
}

SimNode* CSimModule::AddNode(const std::string& parentPath, uint32_t type, uint32_t id)
{
    auto node = std::make_unique<SimNode>();
    node->type = type;
    node->id = id;
    node->parentPath = parentPath;
    const std::string prefix = parentPath.empty() || parentPath == "module" ? "" : parentPath + "/";
    switch (type) {
    case kSimModuleObject:
        node->path = "module";
        break;
    case kSimSourceObject:
        node->path = "src" + std::to_string(id);
        break;
    case kSimItemObject:
        node->path = prefix + "item" + std::to_string(id);
        break;
    default:
        node->path = prefix + "data" + std::to_string(id);
        break;
    }
    SimNode* raw = node.get();
    nodes_[raw->path] = std::move(node);
    return raw;
}

SimNode* CSimModule::Find(const std::string& path)
{
    auto it = nodes_.find(path);
    return it == nodes_.end() ? nullptr : it->second.get();
}

SimNode* CSimModule::NodeOf(KavoObjectRecord* record)
{
    auto it = open_.find(record);
    return it == open_.end() ? nullptr : Find(it->second);
}

SimNode* CSimModule::CurrentSource() { return sourcePath_.empty() ? nullptr : Find(sourcePath_); }

SimNode* CSimModule::AddItem(SimNode* source)
{
    const uint32_t id = nextItemId_++;
    const std::string sourcePath = source->path;
    SimNode* item = AddNode(sourcePath, kSimItemObject, id);
    AddItemCapabilities(item, scenario_.profile, id);
    ApplyScenarioShapes(item, scenario_);
    std::vector<std::string> formats;
    for (const ScenarioPicture& picture : scenario_.pictures)
        formats.push_back(FormatName(picture.format));
    const uint32_t pictureSize = scenario_.pictures.empty() ? 0 : FileSize(scenario_.pictures[0].path);
    const uint32_t thumbnailSize = FileSize(scenario_.thumbnailPath);
    for (uint32_t dataId : {1u, 8u}) {
        SimNode* data = AddNode(item->path, kSimDataObject, dataId);
        AddDataCapabilities(data, scenario_.profile, dataId == 8 ? std::vector<std::string>{"JPEG"} : formats,
                            dataId == 8 && thumbnailSize ? thumbnailSize : pictureSize);
        ApplyScenarioShapes(data, scenario_);
        item->children.push_back(dataId);
    }
    Find(sourcePath)->children.push_back(id);
    return item;
}

void CSimModule::RefreshChildList(SimNode* node)
{
    auto it = node->caps.find(kKavoCapChildren);
    if (it == node->caps.end())
        return;
    CapValue& v = it->second.value;
    v.elements.clear();
    for (uint32_t id : node->children) {
        uint8_t bytes[4];
        std::memcpy(bytes, &id, 4);
        v.elements.insert(v.elements.end(), bytes, bytes + 4);
    }
}

bool CSimModule::IsDisconnected(const SimNode* node)
{
    for (const SimNode* at = node; at; at = at->parentPath.empty() ? nullptr : Find(at->parentPath))
        if (at->disconnected)
            return true;
    return false;
}

void CSimModule::Shutter()
{
    SimNode* source = CurrentSource();
    if (!source) {
        TraceLine(std::to_string(++sequence_) + " shutter ignored: no camera");
        return;
    }
    const uint32_t id = AddItem(source)->id;
    FireEvent(Find(sourcePath_), kKavoEventChildAdded, id);
}

void CSimModule::Disconnect()
{
    SimNode* source = CurrentSource();
    if (!source)
        return;
    source->disconnected = true;
    const uint32_t id = source->id;
    const std::string below = source->path + "/";
    sourcePath_.clear();
    SimNode* module = Find("module");
    module->children.erase(std::remove(module->children.begin(), module->children.end(), id), module->children.end());
    if (delivery_.active && delivery_.path.compare(0, below.size(), below) == 0)
        EndDelivery(kSimNotFound);
    // Calls the camera owed end now, once each.
    std::vector<Pending> owed;
    for (auto it = pending_.begin(); it != pending_.end();) {
        auto path = open_.find(it->record);
        if (path != open_.end() && (path->second == source->path || path->second.compare(0, below.size(), below) == 0)) {
            owed.push_back(*it);
            owed.back().result = kSimNotFound;
            it = pending_.erase(it);
        } else
            ++it;
    }
    for (const Pending& p : owed)
        Complete(p);
    FireEvent(Find("module"), kKavoEventChildRemoved, id);
}

void CSimModule::Reconnect()
{
    if (CurrentSource() || !Find("module"))
        return;
    SimNode* source = AddNode("module", kSimSourceObject, nextSourceId_++);
    AddSourceCapabilities(source, scenario_.profile, scenario_.pollInterval);
    ApplyScenarioShapes(source, scenario_);
    sourcePath_ = source->path;
    const uint32_t id = source->id;
    Find("module")->children.push_back(id);
    FireEvent(Find("module"), kKavoEventChildAdded, id);
}

}  // namespace kavosim
