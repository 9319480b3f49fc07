// Where the engine's long operations report their progress: the progress
// window, driven by message 0x8016. The caller that starts a run (a load, a
// save) begins it with its caption; the engine only moves the bar (command
// 2, a fraction in ten-thousandths) and hides it (command 1, the step that
// ends a one-step run).
#pragma once

#include <cstdint>
#include <vector>

class IEngineProgress {
public:
    virtual void SetFraction(int32_t tenThousandths) = 0;
    virtual void Hide() = 0;

protected:
    ~IEngineProgress() = default;
};

// The sink in use: one that shows nothing until the program installs its
// own; null puts that one back.
IEngineProgress& GetEngineProgress();
void SetEngineProgress(IEngineProgress* sink);

// done x 10000 / (total + 1), truncated, in 64 bits so that large counts do
// not wrap; within 0 to 10000, and 0 for a negative total.
int32_t ProgressFraction(int32_t done, int32_t total);

// Keeps what it was told, for the native program and the tests: each call as
// a (wParam, lParam) pair of the window message.
class CRecordingProgress : public IEngineProgress {
public:
    struct Call {
        uint32_t wParam;
        int32_t lParam;
    };
    void SetFraction(int32_t tenThousandths) override { calls.push_back({kFraction, tenThousandths}); }
    void Hide() override { calls.push_back({kHide, 0}); }

    static constexpr uint32_t kFraction = 2;
    static constexpr uint32_t kHide = 1;
    std::vector<Call> calls;
};

#ifdef _WIN32
struct HWND__;

// Sends WM_PROGRESS to the progress window, which lives on its own thread;
// the send returns once the bar shows the value.
class CProgressWindowSink : public IEngineProgress {
public:
    static constexpr uint32_t kMessage = 0x8016;
    explicit CProgressWindowSink(HWND__* window) : window_(window) {}
    void SetFraction(int32_t tenThousandths) override;
    void Hide() override;

private:
    HWND__* window_;
};
#endif
