// The tick count and the short sleep of code that waits for the camera,
// behind an interface so that tests drive time themselves.
#pragma once

#include <cstdint>

class ICameraClock {
public:
    virtual ~ICameraClock() = default;
    // Milliseconds; wraps like the system's 32-bit tick count.
    virtual uint32_t Now() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// The system's tick count and sleep.
ICameraClock& SystemCameraClock();
