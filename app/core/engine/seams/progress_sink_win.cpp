#include "app/core/engine/seams/progress_sink.h"

#include <windows.h>

void CProgressWindowSink::Begin() { PostMessageA(window_, kMessage, CRecordingProgress::kBegin, 0); }

void CProgressWindowSink::SetFraction(int32_t tenThousandths)
{
    PostMessageA(window_, kMessage, CRecordingProgress::kFraction, tenThousandths);
}

void CProgressWindowSink::Hide() { PostMessageA(window_, kMessage, CRecordingProgress::kHide, 0); }

void CProgressWindowSink::End() { PostMessageA(window_, kMessage, CRecordingProgress::kEnd, 0); }
