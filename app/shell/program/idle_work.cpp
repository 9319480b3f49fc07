#include "app/shell/program/idle_work.h"

#include <algorithm>

#include "Vorlat/VorlatConnection.h"
#include "Vorlat/VorlatManager.h"
#include "app/camera/queue/queue_manager.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/shell/program/camera_check.h"
#include "filters/VorlatFilterHistogram.h"

namespace shell {

namespace {

bool g_cameraCheckPending = false;

}  // namespace

bool IsCameraCheckPending() { return g_cameraCheckPending; }
void SetCameraCheckPending(bool pending) { g_cameraCheckPending = pending; }

void CIdleWork::AddClient(CVorlatFilterHistogram* histogram)
{
    if (histogram && std::find(clients_.begin(), clients_.end(), histogram) == clients_.end())
        clients_.push_back(histogram);
}

void CIdleWork::RemoveClient(CVorlatFilterHistogram* histogram)
{
    auto it = std::find(clients_.begin(), clients_.end(), histogram);
    if (it == clients_.end())
        return;
    // The same client stays next in line when one before it goes.
    const size_t at = static_cast<size_t>(it - clients_.begin());
    if (at < next_)
        --next_;
    clients_.erase(it);
}

bool CIdleWork::Run(bool cameraOnly)
{
    const uint32_t countBefore = cameraImageCount;
    bool cameraStep = false;
    bool cameraMore = false;
    if (!modal && queues_ && queues_->HasWork()) {
        queues_->RunStep();
        cameraStep = true;
        cameraMore = queues_->HasWork() != 0;
    }

    // A picture announced meanwhile makes the hand-over moot; otherwise a
    // quiet pass after a camera check tells the camera image window.
    if (cameraImageCount != countBefore) {
        handOverPending = false;
    } else {
        if (handOverPending && !cameraStep) {
            handOverPending = false;
            host_.PostIdleDone();
        }
        if (IsCameraCheckPending() && !cameraStep) {
            host_.ExpireCameraTimer();
            handOverPending = true;
            SetCameraCheckPending(false);
        }
    }

    bool histogramMore = false;
    bool sliced = false;
    if (!cameraOnly && host_.HasMainWindow()) {
        if (cameraStep) {
            histogramMore = true;
        } else {
            sliced = ServeOneHistogram();
            histogramMore = sliced;
        }
    }

    const bool busy = cameraStep || sliced;
    const bool drawingMore = Page(drawing_, cameraOnly, busy);
    const bool savingMore = Page(saving_, cameraOnly, busy);
    return cameraMore || histogramMore || drawingMore || savingMore;
}

bool CIdleWork::ServeOneHistogram()
{
    const size_t count = clients_.size();
    if (count == 0)
        return false;
    if (next_ >= count)
        next_ = 0;
    size_t at = next_;
    bool sliced = false;
    for (size_t visited = 0; visited < count; ++visited) {
        at = (next_ + visited) % count;
        CVorlatFilterHistogram* histogram = clients_[at];
        if (!histogram->IsEnabled() || histogram->IsComplete())
            continue;
        if (IVorlatError* chain = histogram->SpendTime(kHistogramSliceMs)) {
            // It stays incomplete and is offered a slice again later.
            chain->Destroy();
            break;
        }
        const int32_t code = histogram->IsComplete() ? kHistogramComplete : kHistogramPartial;
        if (IVorlatError* chain = VorlatSendDataNotification(histogram, code, histogram))
            chain->Destroy();
        sliced = true;
        break;
    }
    next_ = at + 1;
    return sliced;
}

bool CIdleWork::Page(IVorlatManager* manager, bool cameraOnly, bool busy)
{
    if (!manager || cameraOnly || pagingSuspended)
        return false;
    if (busy)
        return true;
    CEngineLockHold hold;
    bool more = false;
    if (IVorlatError* chain = manager->Async(&more))
        chain->Destroy();
    return more;
}

}  // namespace shell
