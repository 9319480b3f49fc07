// Delivery of a picture through the data procedure, block by block.
#include "app/camera/simulated/sim_module.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/camera/simulated/sim_module_impl.h"

namespace kavosim {

int32_t CSimModule::BeginDelivery(SimNode* node, KavoCompletionProc completion, void* reference, bool* pending)
{
    if (!node->procs[kKavoCapDataProc].procedure) {
        Violation(node, "delivery without a data procedure");
        return kSimNotSupported;
    }
    if (delivery_.active)
        return kSimBusy;
    const ScenarioPicture* picture = nullptr;
    ScenarioPicture thumbnail;
    if (node->id == 8) {
        // The thumbnail is a JPEG: its own file, or the JPEG picture.
        thumbnail = {kKavoFormatJpeg, scenario_.thumbnailPath};
        for (const ScenarioPicture& p : scenario_.pictures)
            if (thumbnail.path.empty() && p.format == kKavoFormatJpeg)
                thumbnail.path = p.path;
        if (!thumbnail.path.empty())
            picture = &thumbnail;
    } else if (pictureGiven_) {
        picture = &givenPicture_;
    } else if (!scenario_.pictures.empty()) {
        const uint32_t index = node->caps[kKavoCapDataFormat].value.currentIndex;
        picture = &scenario_.pictures[index < scenario_.pictures.size() ? index : 0];
    }
    if (!picture) {
        TraceLine(std::to_string(++sequence_) + " no picture to deliver");
        return kSimNotSupported;
    }
    bool ok = picture == &givenPicture_;
    const std::string bytes =
        ok ? std::string(givenBytes_.begin(), givenBytes_.end()) : ReadWholeFile(picture->path, &ok);
    if (!ok) {
        TraceLine(std::to_string(++sequence_) + " picture unreadable: " + picture->path);
        return kSimCardError;
    }
    delivery_ = Delivery();
    delivery_.path = node->path;
    delivery_.record = node->record;
    delivery_.bytes.assign(bytes.begin(), bytes.end());
    delivery_.format = picture->format;
    const uint32_t total = static_cast<uint32_t>(delivery_.bytes.size());
    const uint32_t block = scenario_.blockSize;
    for (uint32_t offset = 0; offset < total || (total == 0 && offset == 0); offset += block) {
        delivery_.blocks.push_back({offset, std::min(block, total - offset), false});
        if (total == 0)
            break;
    }
    if (scenario_.outOfOrder && delivery_.blocks.size() >= 3)
        std::swap(delivery_.blocks[1], delivery_.blocks[2]);
    if (scenario_.duplicateFirst)
        delivery_.blocks.insert(delivery_.blocks.begin() + 1, delivery_.blocks[0]);
    if (scenario_.pastTotal) {
        // A block that reaches past the announced total; its bytes come from a spare zero buffer.
        delivery_.blocks.push_back({total, block, false});
    }
    if (scenario_.ignoredFirst && !delivery_.blocks.empty()) {
        delivery_.blocks.insert(delivery_.blocks.begin(), delivery_.blocks[0]);
        delivery_.blocks[0].ignore = true;
    }
    delivery_.spare.assign(block, 0);
    delivery_.active = true;
    if (scenario_.pollDelivery) {
        delivery_.proc = completion;
        delivery_.reference = reference;
        *pending = completion != nullptr;
        return kKavoOk;
    }
    while (DeliverNext()) {
    }
    return delivery_.result;
}

void CSimModule::SetPictureBytes(uint32_t format, std::vector<uint8_t> bytes)
{
    pictureGiven_ = true;
    givenPicture_ = {format, "(given)"};
    givenBytes_ = std::move(bytes);
}

bool CSimModule::DeliverNext()
{
    if (!delivery_.active)
        return false;
    SimNode* node = Find(delivery_.path);
    if (!node || !node->record || IsDisconnected(node)) {
        EndDelivery(kSimNotFound);
        return false;
    }
    const size_t index = delivery_.next++;
    const auto [offset, length, ignore] = delivery_.blocks[index];
    const uint32_t total = static_cast<uint32_t>(delivery_.bytes.size());
    KavoDataInfo info = {};
    info.moduleWord = static_cast<uint32_t>(index);
    info.fileFormat = delivery_.format;
    info.total = scenario_.totalZero ? 0 : total;
    info.offset = offset;
    info.length = length;
    info.ignore = ignore ? 1 : 0;
    uint8_t* bytes = offset < total ? delivery_.bytes.data() + offset : delivery_.spare.data();
    const KavoCallbackRecord proc = node->procs[kKavoCapDataProc];
    const uint32_t sequence = ++sequence_;
    const int32_t result = reinterpret_cast<KavoDataProc>(proc.procedure)(proc.reference, &info, bytes);
    TraceLine(std::to_string(sequence) + " callback data " + delivery_.path + " format " +
              std::to_string(info.fileFormat) + " total " + std::to_string(info.total) + " offset " +
              std::to_string(offset) + " length " + std::to_string(length) + (ignore ? " ignore" : "") + " -> " +
              std::to_string(result));
    if (result != kKavoOk) {
        EndDelivery(result);
        return false;
    }
    if (SimNode* still = Find(delivery_.path))
        FireProgress(still, kKavoStart, kKavoCapDeliver, std::min<uint32_t>(offset + length, total), total);
    // The receiver may have closed the object or aborted meanwhile.
    if (!delivery_.active)
        return false;
    if (scenario_.disconnectAfterBlock >= 0 && delivery_.next == static_cast<size_t>(scenario_.disconnectAfterBlock)) {
        Disconnect();
        EndDelivery(kSimNotFound);
        return false;
    }
    if (delivery_.next == delivery_.blocks.size()) {
        EndDelivery(kKavoOk);
        return false;
    }
    return true;
}

void CSimModule::EndDelivery(int32_t result)
{
    if (!delivery_.active)
        return;
    delivery_.active = false;
    delivery_.result = result;
    if (delivery_.proc) {
        KavoCompletionProc proc = delivery_.proc;
        delivery_.proc = nullptr;
        Owe(delivery_.record, kKavoStart, kKavoCapDeliver, kKavoDataNone, nullptr, proc, delivery_.reference, result);
    }
}

}  // namespace kavosim
