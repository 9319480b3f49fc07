// The procedures the simulated module calls back, each traced.
#include "app/camera/simulated/sim_module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/camera/simulated/sim_module_impl.h"

namespace kavosim {

namespace {

// A request that carries capabilities points at something; the program only tests it.
uint32_t gRequestCapabilities[2] = {0x8112, 0x8113};

}  // namespace

void CSimModule::FireEvent(SimNode* node, uint32_t event, uint32_t data)
{
    const uint32_t sequence = ++sequence_;
    const std::string name = node->path;
    const KavoCallbackRecord proc = node->procs[kKavoCapEventProc];
    std::string what = " ";
    what.append(std::to_string(event)).append(" ").append(Hex(data));
    if (!proc.procedure || !node->record) {
        TraceLine(std::to_string(sequence) + " callback event " + name + what + " -> dropped");
        return;
    }
    const int32_t result = reinterpret_cast<KavoEventProc>(proc.procedure)(proc.reference, event, data);
    TraceLine(std::to_string(sequence) + " callback event " + name + what + " -> " + std::to_string(result));
}

int32_t CSimModule::FireProgress(SimNode* node, uint32_t command, uint32_t param, uint32_t done, uint32_t total)
{
    const KavoCallbackRecord proc = node->procs[kKavoCapProgressProc];
    if (!proc.procedure)
        return kKavoOk;
    const uint32_t sequence = ++sequence_;
    const std::string name = node->path;
    const int32_t result =
        reinterpret_cast<KavoProgressProc>(proc.procedure)(command, param, proc.reference, done, total);
    TraceLine(std::to_string(sequence) + " callback progress " + name + " " + CommandName(command) + " " +
              Hex(param) + " " + std::to_string(done) + "/" + std::to_string(total) + " -> " + std::to_string(result));
    return result;
}

uint32_t CSimModule::FireRequest(SimNode* node, const ScenarioRequest& request)
{
    const uint32_t sequence = ++sequence_;
    const std::string name = node->path;
    // The nearest object up the tree that listens for requests answers.
    SimNode* at = node;
    while (at && !at->procs[kKavoCapUserRequestProc].procedure)
        at = at->parentPath.empty() ? nullptr : Find(at->parentPath);
    std::string what = " ";
    what.append(std::to_string(request.kind)).append(" \"").append(request.prompt).append("\"");
    if (!at) {
        TraceLine(std::to_string(sequence) + " callback request " + name + what + " -> dropped");
        return request.defaultAnswer;
    }
    const KavoCallbackRecord proc = at->procs[kKavoCapUserRequestProc];
    KavoUserRequest record = {};
    record.kind = request.kind;
    record.defaultAnswer = request.defaultAnswer;
    record.prompt = request.prompt.c_str();
    record.detail = request.detail.empty() ? nullptr : request.detail.c_str();
    record.capabilities = request.withCapabilities ? gRequestCapabilities : nullptr;
    const int32_t answer = reinterpret_cast<KavoUserRequestProc>(proc.procedure)(proc.reference, &record);
    TraceLine(std::to_string(sequence) + " callback request " + at->path + what + " -> " + std::to_string(answer));
    return static_cast<uint32_t>(answer);
}

void CSimModule::Owe(KavoObjectRecord* record, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                     KavoCompletionProc proc, void* reference, int32_t result)
{
    ScenarioCompletion rule;
    for (const ScenarioCompletion& r : scenario_.completions)
        if (r.command == kAnyCommand || r.command == command)
            rule = r;
    const Pending p{record, command, param, dataType, data, proc, reference, result, rule.polls};
    if (rule.never) {
        TraceLine(std::to_string(++sequence_) + " completion withheld " + CommandName(command) + " " + Hex(param));
        return;
    }
    if (rule.polls == 0)
        Complete(p);
    else
        pending_.push_back(p);
}

void CSimModule::Complete(const Pending& p)
{
    const uint32_t sequence = ++sequence_;
    auto path = open_.find(p.record);
    const std::string name = path != open_.end() ? path->second : p.record ? "?" : "-";
    const int32_t answer = p.proc(p.record, p.command, p.param, p.dataType, p.data, p.reference, p.result);
    TraceLine(std::to_string(sequence) + " callback completion " + name + " " +
              (CommandName(p.command) ? CommandName(p.command) : "?") + " " + Hex(p.param) + " " +
              std::to_string(p.result) + " -> " + std::to_string(answer));
}

}  // namespace kavosim
