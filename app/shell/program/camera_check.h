// The camera image document's request that the idle pass check the camera
// for new pictures at once; the idle pass reads and clears it.
#pragma once

namespace shell {

bool IsCameraCheckPending();
void SetCameraCheckPending(bool pending);

}  // namespace shell
