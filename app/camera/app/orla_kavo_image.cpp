#include "app/camera/app/orla_kavo_image.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "app/camera/app/kavo_listener_walk.h"
#include "app/core/text/string_resource.h"

namespace {

// Result codes of a transfer.
constexpr int32_t kWriteError = -236;
constexpr int32_t kFileNotCreated = -237;
constexpr int32_t kDiskFull = -240;

// String-table ids of the extensions.
constexpr uint32_t kStringJpg = 16480;
constexpr uint32_t kStringTif = 16481;
constexpr uint32_t kStringXqv = 16482;

uint32_t ExtensionStringId(uint32_t format)
{
    switch (format) {
    case kKavoFormatJpeg:
        return kStringJpg;
    case kKavoFormatTiff:
        return kStringTif;
    case kKavoFormatRaw:
        return kStringXqv;
    default:
        return 0;
    }
}

// The number after n: past the last (compared unsigned) it wraps to 1.
int32_t NextImageNumber(int32_t n)
{
    const int32_t next = static_cast<int32_t>(static_cast<uint32_t>(n) + 1u);
    return static_cast<uint32_t>(next) > kKavoLastImageNumber ? 1 : next;
}

}  // namespace

COrlaKavoImage::COrlaKavoImage()
    : CKavoImageData(kKavoDataKindImage),
#if defined(_WIN32)
      files_(KavoWin32FileSink())
#else
      files_(nullptr)
#endif
{
}

COrlaKavoImage::~COrlaKavoImage()
{
    ReleaseBlock();
    // The caller closes the file after a transfer; one left open is only let go.
    if (file_ != kKavoNoFile && files_)
        files_->Close(file_);
}

void COrlaKavoImage::SetServices(IKavoFileSink* files, IKavoReceiveSettings* settings)
{
    files_ = files;
    settings_ = settings;
}

// ---- Listeners ---------------------------------------------------------------------------

IQzKavoUser* COrlaKavoImage::GetNextListener(IQzKavoUser* previous)
{
    return NextKavoListener(listener_, GetParent(), previous);
}

void COrlaKavoImage::OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total)
{
    Enter();
    CKavoImageData::OnProgress(command, param, done, total);
    AskKavoListeners(this, [&](IQzKavoUser* l) {
        return l->OnKavoProgress(kKavoLevelData, this, command, param, done, total);
    });
    Leave();
}

void COrlaKavoImage::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    Enter();
    CKavoImageData::OnCapabilityChanged(cap, kind);
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoCapabilityChanged(kKavoLevelData, this, cap, kind); });
    Leave();
}

void COrlaKavoImage::OnRemoved()
{
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoRemoved(kKavoLevelData, this); });
    CKavoImageData::OnRemoved();
}

// ---- Target, file and memory block -------------------------------------------------------

bool COrlaKavoImage::SetTarget(uint32_t flags, const char* folder)
{
    flags_ = flags;
    failure_ = 0;
    expected_ = 0;
    transferTotal_ = 0;
    started_ = false;
    if (!(flags & kReceiveToFile))
        return true;
    folder_ = folder ? folder : "";
    if (folder_.empty() || folder_.back() != '\\')
        folder_ += '\\';
    path_ = folder_;
    if (!files_)
        return false;
    if (files_->FolderExists(folder_.c_str()))
        return true;
    return files_->CreateFolder(folder_.c_str());
}

intptr_t COrlaKavoImage::CloseFile()
{
    if (file_ == kKavoNoFile)
        return kKavoNoFile;
    files_->Close(file_);
    file_ = kKavoNoFile;
    return files_->MakeVisible(path_.c_str()) ? 1 : 0;
}

void COrlaKavoImage::FreeBuffer()
{
    if (flags_ & kReceiveToMemory)
        ReleaseBlock();
    buffer_ = nullptr;
    total_ = 0;
}

void COrlaKavoImage::ReleaseBlock()
{
    if (buffer_) {
        if (blockSource_)
            blockSource_->FreeBlock(buffer_);
        else
            delete[] buffer_;
    }
    buffer_ = nullptr;
    total_ = 0;
}

void COrlaKavoImage::DiscardFile()
{
    if (file_ == kKavoNoFile)
        return;
    files_->Close(file_);
    file_ = kKavoNoFile;
    files_->RemoveFile(path_.c_str());
}

int32_t COrlaKavoImage::Fail(int32_t result)
{
    if (!failure_)
        failure_ = result;
    DiscardFile();
    ReleaseBlock();
    return failure_;
}

int32_t COrlaKavoImage::GetTransferResult() const
{
    if (failure_)
        return failure_;
    return started_ && expected_ == transferTotal_ ? kKavoOk : kWriteError;
}

// ---- Blocks ------------------------------------------------------------------------------

int32_t COrlaKavoImage::OnData(KavoDataInfo* info, void* data)
{
    if (!info)
        return kWriteError;
    format_ = info->fileFormat;
    if (failure_)
        return failure_;
    if (info->ignore)
        return kKavoOk;
    return Receive(*info, static_cast<const uint8_t*>(data));
}

int32_t COrlaKavoImage::Receive(const KavoDataInfo& info, const uint8_t* data)
{
    const uint32_t offset = info.offset;
    const uint32_t length = info.length;
    if (offset == 0) {
        // A picture that starts again replaces the part already received.
        DiscardFile();
        ReleaseBlock();
        path_ = folder_;
        started_ = true;
        transferTotal_ = info.total;
        expected_ = 0;
    }
    // The file takes the blocks in arrival order, so each must follow the
    // last and stay within the total that the first announced.
    if (!started_ || info.total != transferTotal_ || info.total == 0 || offset != expected_ ||
        length > info.total - offset || (length && !data))
        return Fail(kWriteError);
    expected_ = offset + length;

    if (flags_ & kReceiveToMemory) {
        total_ = info.total;
        if (offset == 0) {
            blockSource_ = files_;
            buffer_ = files_ ? files_->AllocateBlock(info.total) : new (std::nothrow) uint8_t[info.total];
            if (!buffer_)
                return Fail(kKavoOutOfMemory);
        }
        if (length)
            std::memmove(buffer_ + offset, data, length);
    }
    if (!(flags_ & kReceiveToFile))
        return kKavoOk;
    if (offset == 0) {
        const int32_t opened = OpenNumberedFile(info.fileFormat);
        if (opened != kKavoOk)
            return Fail(opened);
    }
    if (!length)
        return kKavoOk;
    const uint32_t error = files_->Write(file_, data, length);
    if (error)
        return Fail(error == kKavoDiskFullError ? kDiskFull : kWriteError);
    return kKavoOk;
}

int32_t COrlaKavoImage::OpenNumberedFile(uint32_t format)
{
    if (!files_)
        return kFileNotCreated;
    CQzString extension;
    if (const uint32_t id = ExtensionStringId(format)) {
        if (settings_) {
            extension = settings_->LoadText(id);
        } else {
            char text[32] = {};
            qz::LoadStringResource(nullptr, id, text, sizeof text);
            extension = text;
        }
    }
    int32_t n = settings_ ? settings_->ReadNextImageNumber() : 1;
    const std::string ext = static_cast<const char*>(extension);
    // "%s%08ld%s": the folder, the number in eight digits, the extension. Only
    // the stored number can lie outside 0..99999999 (the next one is in it).
    char first[16];
    std::snprintf(first, sizeof first, "%08ld", static_cast<long>(n));
    std::string name = folder_ + first + ext;
    n = NextImageNumber(n);
    bool found = !files_->NameExists(name.c_str());
    if (!found) {
        // The other numbers each once at most, the name built in place: a full
        // folder is tried 10^8 times.
        name = folder_ + "00000000" + ext;
        char* const digits = &name[folder_.size()];
        for (uint32_t tries = 0; tries < kKavoLastImageNumber && !found; ++tries) {
            uint32_t rest = static_cast<uint32_t>(n);
            for (int i = 7; i >= 0; --i, rest /= 10)
                digits[i] = static_cast<char>('0' + rest % 10);
            n = NextImageNumber(n);
            found = !files_->NameExists(name.c_str());
        }
    }
    if (!found)
        return kFileNotCreated;
    if (settings_)
        settings_->WriteNextImageNumber(n);
    path_ = name;
    file_ = files_->CreateHiddenFile(path_.c_str());
    return file_ == kKavoNoFile ? kFileNotCreated : kKavoOk;
}
