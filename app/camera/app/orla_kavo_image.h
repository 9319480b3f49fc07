// The application's image data object: receives one picture from the camera
// block by block into a memory block, a new hidden numbered file, or both,
// and passes its notifications to the camera listeners.
//
// The module's blocks are untrusted: a block outside the announced total, out
// of sequence, or of a total that changes mid-transfer fails the transfer
// with -236; the first error of a transfer sticks (later blocks answer it),
// the partial file is deleted and the memory block released, so a failed
// transfer never looks like a picture with a gap.
#pragma once

#include <string>

#include "app/camera/app/kavo_file_sink.h"
#include "app/camera/app/kavo_user.h"
#include "app/camera/tree/kavo_image_data.h"

enum KavoReceiveFlags : uint32_t {
    kReceiveToMemory = 1,
    kReceiveToFile = 2,
};

// The numbered names run 1 to 99999999 and then wrap to 1.
constexpr uint32_t kKavoLastImageNumber = 99999999;

class COrlaKavoImage : public CKavoImageData, public IKavoListenerChain {
public:
    COrlaKavoImage();
    ~COrlaKavoImage() override;

    int32_t OnData(KavoDataInfo* info, void* data) override;
    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;
    void OnRemoved() override;

    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }
    virtual IQzKavoUser* SetListener(IQzKavoUser* listener) { return listener_ = listener; }
    // With kReceiveToFile the folder is kept (ending in a backslash) and made
    // when missing: false when that failed. Starts a new transfer.
    virtual bool SetTarget(uint32_t flags, const char* folder);
    // The folder before the first block of a file transfer, the file's full
    // name after it.
    virtual const char* GetPath() const { return path_.c_str(); }
    virtual KavoFileHandle GetFileHandle() const { return file_; }
    // Closes the file and makes it visible: the result of that, or
    // kKavoNoFile when no file is open.
    virtual intptr_t CloseFile();
    virtual uint8_t* GetBuffer() const { return buffer_; }
    virtual uint32_t GetTotalSize() const { return total_; }
    virtual uint32_t GetReceivedFileFormat() const { return format_; }
    virtual void FreeBuffer();
    virtual uintptr_t SetOwner(uintptr_t owner) { return owner_ = owner; }
    virtual uintptr_t GetOwner() const { return owner_; }

    // The system services; the program's defaults unless a test gives its own.
    void SetServices(IKavoFileSink* files, IKavoReceiveSettings* settings);
    // The first error of the transfer, or -236 when the blocks did not reach
    // the announced total; 0 for a whole picture.
    int32_t GetTransferResult() const;

private:
    int32_t Receive(const KavoDataInfo& info, const uint8_t* data);
    int32_t OpenNumberedFile(uint32_t format);
    // Ends a failed transfer: the partial file goes, the memory block too.
    int32_t Fail(int32_t result);
    void DiscardFile();
    void ReleaseBlock();

    IQzKavoUser* listener_ = nullptr;
    std::string folder_;
    std::string path_;
    KavoFileHandle file_ = kKavoNoFile;
    uint8_t* buffer_ = nullptr;
    uint32_t total_ = 0;
    uint32_t flags_ = 0;
    uint32_t format_ = 0;
    uintptr_t owner_ = 0;

    IKavoFileSink* files_;
    // The sink the memory block came from (null: the heap), which frees it.
    IKavoFileSink* blockSource_ = nullptr;
    IKavoReceiveSettings* settings_ = nullptr;
    // The transfer under way: its first error, where the next block must
    // start, and the total its first block announced.
    int32_t failure_ = 0;
    uint32_t expected_ = 0;
    uint32_t transferTotal_ = 0;
    bool started_ = false;
};
