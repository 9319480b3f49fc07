// What the image loaders take from the program around them: the drawing tile
// manager in which loaded images live, the transfer-cancel flag of the camera
// receiving dialog, where load progress goes, and who renders a thumbnail
// that a file does not carry. Each has a quiet default until start-up sets it.
#pragma once

#include <cstdint>

class CImageRecord;
class IVorlatManager;

// The drawing tile manager; none until start-up names it (a load then fails
// to create its image).
void SetLoadImageManager(IVorlatManager* manager);
IVorlatManager* GetLoadImageManager();

// Non-zero stops a running load with -123 at its next step. Set by the
// dialog that receives camera images; the loaders only read it.
void SetTransferCancelFlag(int32_t value);
int32_t GetTransferCancelFlag();

// The progress window's commands that a load sends: the completed share of
// the current step, and the end of the step.
class ILoadProgress {
public:
    virtual void SetFraction(int32_t tenThousandths) = 0;
    virtual void Step() = 0;

protected:
    ~ILoadProgress() = default;
};

// The sink in use; null puts back the one that shows nothing.
ILoadProgress& GetLoadProgress();
void SetLoadProgress(ILoadProgress* sink);

// done of total as the load reports it: done x 10000 / (total + 1),
// truncated, in 64 bits so that large counts do not wrap.
int32_t LoadProgressFraction(int32_t done, int32_t total);

// Renders a record's thumbnail image from its main image at the given size
// when the file gave none; true on success. None installed: the thumbnail
// stays as the failed load left it.
using ThumbnailRenderer = bool (*)(CImageRecord& record, int32_t size);
void SetThumbnailRenderer(ThumbnailRenderer renderer);
ThumbnailRenderer GetThumbnailRenderer();
