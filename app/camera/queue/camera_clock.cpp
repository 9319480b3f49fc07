#include "app/camera/queue/camera_clock.h"

#include <chrono>
#include <thread>

#include "port/port.h"

namespace {

class CSystemCameraClock : public ICameraClock {
public:
    uint32_t Now() override { return port::TickCount(); }
    void Sleep(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

}  // namespace

ICameraClock& SystemCameraClock()
{
    static CSystemCameraClock clock;
    return clock;
}
