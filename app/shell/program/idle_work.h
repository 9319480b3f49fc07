// The application's idle pass: one step of the camera command queues, else
// one time slice of one incomplete histogram, else the paging work of the
// two tile managers, so that input stays responsive whatever is waiting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CCommandQueueManager;
class CVorlatFilterHistogram;
class IVorlatManager;

namespace shell {

// Histogram notifications sent after a slice, with the filter as argument.
constexpr int32_t kHistogramComplete = -2099;
constexpr int32_t kHistogramPartial = -2100;
constexpr uint32_t kHistogramSliceMs = 100;

// What the idle pass asks of the program around it.
class IIdleWorkHost {
public:
    virtual bool HasMainWindow() = 0;
    // WM_IDLEDONE to the camera image window, when the frame and it exist.
    virtual void PostIdleDone() = 0;
    // Makes the camera module's command timer due at once.
    virtual void ExpireCameraTimer() = 0;

protected:
    ~IIdleWorkHost() = default;
};

class CIdleWork {
public:
    explicit CIdleWork(IIdleWorkHost& host) : host_(host) {}
    CIdleWork(const CIdleWork&) = delete;
    CIdleWork& operator=(const CIdleWork&) = delete;

    // One pass; true when any part has more to do. With `cameraOnly` the
    // histograms and the paging are left alone.
    bool Run(bool cameraOnly);

    void SetCommandQueues(CCommandQueueManager* queues) { queues_ = queues; }
    void SetTileManagers(IVorlatManager* drawing, IVorlatManager* saving)
    {
        drawing_ = drawing;
        saving_ = saving;
    }

    // A filter is served at most once a round, however often it is added.
    void AddClient(CVorlatFilterHistogram* histogram);
    void RemoveClient(CVorlatFilterHistogram* histogram);
    size_t ClientCount() const { return clients_.size(); }

    // While a message box or other modal work is up, no camera command goes out.
    bool modal = false;
    // While the camera's receive step runs, the tile managers stay still.
    bool pagingSuspended = false;
    // Raised by the camera listener for every announced picture.
    uint32_t cameraImageCount = 1;
    bool handOverPending = false;

private:
    // True when a slice was given.
    bool ServeOneHistogram();
    bool Page(IVorlatManager* manager, bool cameraOnly, bool busy);

    IIdleWorkHost& host_;
    CCommandQueueManager* queues_ = nullptr;
    IVorlatManager* drawing_ = nullptr;
    IVorlatManager* saving_ = nullptr;
    std::vector<CVorlatFilterHistogram*> clients_;
    size_t next_ = 0;
};

}  // namespace shell
