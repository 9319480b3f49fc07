// Where the engine's long operations report their progress: the progress
// window, driven by message 0x8016 (begin, fraction in ten-thousandths,
// hide, end).
#pragma once

#include <cstdint>
#include <vector>

class IEngineProgress {
public:
    virtual void Begin() = 0;
    virtual void SetFraction(int32_t tenThousandths) = 0;
    virtual void Hide() = 0;
    virtual void End() = 0;

protected:
    ~IEngineProgress() = default;
};

// The sink in use: one that shows nothing until the program installs its
// own; null puts that one back.
IEngineProgress& GetEngineProgress();
void SetEngineProgress(IEngineProgress* sink);

// done of total in ten-thousandths, 0 to 10000; a total below 1 gives 0.
int32_t ProgressFraction(int32_t done, int32_t total);

// Keeps what it was told, for the native program and the tests: each call as
// a (wParam, lParam) pair of the window message.
class CRecordingProgress : public IEngineProgress {
public:
    struct Call {
        uint32_t wParam;
        int32_t lParam;
    };
    void Begin() override { calls.push_back({kBegin, 0}); }
    void SetFraction(int32_t tenThousandths) override { calls.push_back({kFraction, tenThousandths}); }
    void Hide() override { calls.push_back({kHide, 0}); }
    void End() override { calls.push_back({kEnd, 0}); }

    static constexpr uint32_t kBegin = 0x27270001;
    static constexpr uint32_t kFraction = 2;
    static constexpr uint32_t kHide = 1;
    static constexpr uint32_t kEnd = 0;
    std::vector<Call> calls;
};

#ifdef _WIN32
struct HWND__;

// Posts WM_PROGRESS to the progress window, which lives on its own thread.
class CProgressWindowSink : public IEngineProgress {
public:
    static constexpr uint32_t kMessage = 0x8016;
    explicit CProgressWindowSink(HWND__* window) : window_(window) {}
    void Begin() override;
    void SetFraction(int32_t tenThousandths) override;
    void Hide() override;
    void End() override;

private:
    HWND__* window_;
};
#endif
