#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "QRV/QRV3.h"
#include "QRV/context.h"

namespace qrvtest {

// A context that is destroyed with the test.
class Engine {
public:
    Engine() { QZCMCreate(&handle_); }
    ~Engine() { QZCMDestroy(handle_); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    QZCMHandle handle() const { return handle_; }
    operator QZCMHandle() const { return handle_; }
    qrv::QZCMContext& context() const { return *qrv::ContextOf(handle_); }
    qrv::QZCMTransform& transform() const { return context().transform; }

    QZCMResult SetProfiles(const std::vector<uint8_t>& in, const std::vector<uint8_t>& out)
    {
        QZCMResult r = QZCMSetInputProfile(handle_, in.data(), uint32_t(in.size()));
        return r ? r : QZCMSetOutputProfile(handle_, out.data(), uint32_t(out.size()));
    }
    QZCMResult Build() { return QZCMProcessInterleavedData(handle_, 0, 0, nullptr, nullptr, 0, 0); }

private:
    QZCMHandle handle_ = 0;
};

inline std::string ScratchPath(const std::string& name)
{
    return std::string(TESS_SCRATCH_DIR) + "/qrv_" + name;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace qrvtest
