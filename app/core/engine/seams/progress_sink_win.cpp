#include "app/core/engine/seams/progress_sink.h"

#include <windows.h>

void CProgressWindowSink::SetFraction(int32_t tenThousandths)
{
    SendMessageA(window_, kMessage, CRecordingProgress::kFraction, tenThousandths);
}

void CProgressWindowSink::Hide() { SendMessageA(window_, kMessage, CRecordingProgress::kHide, 0); }
