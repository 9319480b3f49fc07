// What the main frame asks of the application object. The application
// implements it as a second base; the frame finds it by a cast of
// AfxGetApp(), so a program (or a test) without one still gets a frame
// that runs: no camera, no idle work, no progress window.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "app/core/text/qz_string.h"

class CWinThread;

class IMainFrameHost {
public:
    virtual ~IMainFrameHost() = default;

    // The registered main window class ("Tessaline1"); null or "" for none.
    virtual const char* GetMainWindowClassName() const = 0;

    // Whether a camera source exists; with `open` the camera module is
    // opened first when no source is there yet.
    virtual bool HasKavoSource(bool open) = 0;
    // The connected camera's name; false when there is no camera or it
    // reports none.
    virtual bool GetCameraName(CQzString& name) = 0;

    // One pass of the idle work; true when any part has more to do.
    virtual bool DoIdleWork(long count, bool cameraOnly) = 0;
    // The camera poll timer set on the frame, and its interval in
    // milliseconds; 0 when not known.
    virtual UINT_PTR GetCameraTimerId() const = 0;
    virtual UINT GetCameraTimerInterval() const = 0;
    // The timer was killed by the frame.
    virtual void ForgetCameraTimer() = 0;

    // The synchronous-painting mark; Set returns the previous value.
    virtual bool SetSynchronousPainting(bool on) = 0;

    // The grid-lines flag of the last single image given to the palettes:
    // the default of newly received images.
    virtual void SetDefaultGridLines(bool on) = 0;

    // The progress window, null until the progress thread made it.
    virtual HWND GetProgressWindow() const = 0;
    // Hands the progress thread over to the frame, which ends and deletes
    // it; the application forgets it. Null when there is none.
    virtual CWinThread* TakeProgressThread() = 0;

    // WM_COPYDATA that reached the enabled frame (a second start hands a
    // file over): the application checks the record and acts on it.
    virtual void ReceiveHandOver(ULONG_PTR id, const void* data, size_t size) = 0;
};

// The application's host interface, or null.
IMainFrameHost* GetMainFrameHost();
