// The shared colour engine: one transform of the colour engine, its settings,
// the tables of the filter that last set it up, and its holders.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#include "filters/VorlatFilterQRVEngine.h"
#include "filters/qrv_functions_impl.h"
#include "port/port.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("qrve");
constexpr int32_t kFromQrv = VorlatFourCC("QZCM");
constexpr int32_t kHeaderBytes = 128;

// An empty path names no profile and is kept empty.
void FullPathOf(const _VorlatFile& file, char* out, size_t size)
{
    out[0] = 0;
    if (file.path[0] && !port::FullPath(file.path, out, size)) {
        const size_t n = std::min(strnlen(file.path, sizeof file.path), size - 1);
        std::memcpy(out, file.path, n);
        out[n] = 0;
    }
}

bool SamePathIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

int32_t ChannelsOf(const char signature[4])
{
    static const struct {
        char signature[5];
        int32_t channels;
    } kKnown[] = {{"RGB ", 3}, {"CMYK", 4}, {"GRAY", 1}, {"Lab ", 3}, {"HLS ", 3}, {"Lch ", 3}, {"YCbr", 3}};
    for (const auto& known : kKnown) {
        if (std::memcmp(known.signature, signature, 4) == 0)
            return known.channels;
    }
    return 0;
}

IVorlatError* QrvFailure(int32_t line, QZCMResult result)
{
    return IVorlatError::Add(nullptr, kFile, line, kFromQrv, result);
}

} // namespace

CVorlatFilterQRVEngine::CVorlatFilterQRVEngine()
    : changeCounter_(0), lastFilter_(nullptr), lastGeneration_(0), inputProfile_{}, inputBits_(0),
      inputSignature_{0, 0, 0, 0}, inputChannels_(0), outputProfile_{}, outputBits_(0), outputSignature_{0, 0, 0, 0},
      outputChannels_(0), proofMode_(true), intent_(0), handle_(0), dirty_(true), proofProfile_{},
      autoDeleteThreshold_(-1), manager_(nullptr)
{
}

CVorlatFilterQRVEngine::~CVorlatFilterQRVEngine()
{
    if (handle_)
        KolvexQrv().destroy(handle_);
    // No holder may keep pointing here.
    for (auto it = references_.rbegin(); it != references_.rend(); ++it)
        (*it)->Forget();
    references_.clear();
    users_.clear();
}

// ---- Settings -----------------------------------------------------------------------

IVorlatError* CVorlatFilterQRVEngine::SetProfiles(const _VorlatFile& input, const _VorlatFile& output,
                                                  const _VorlatFile& proof)
{
    IVorlatError* err = nullptr;
    char newInput[sizeof input.path], newOutput[sizeof output.path];
    char oldInput[sizeof input.path], oldOutput[sizeof output.path];
    FullPathOf(input, newInput, sizeof newInput);
    FullPathOf(output, newOutput, sizeof newOutput);
    FullPathOf(inputProfile_, oldInput, sizeof oldInput);
    FullPathOf(outputProfile_, oldOutput, sizeof oldOutput);
    if (SamePathIgnoringCase(newInput, oldInput) && SamePathIgnoringCase(newOutput, oldOutput))
        return nullptr;
    ++changeCounter_;
    inputProfile_ = input;
    outputProfile_ = output;
    proofProfile_ = proof;
    dirty_ = true;
    if (VorlatFailed(&err, kFile, __LINE__, ReadProfileInfo(inputProfile_, inputSignature_, &inputChannels_)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, ReadProfileInfo(outputProfile_, outputSignature_, &outputChannels_));
    return err;
}

IVorlatError* CVorlatFilterQRVEngine::SetProfiles(const _VorlatFile& input, const _VorlatFile& output)
{
    return SetProfiles(input, output, output);
}

IVorlatError* CVorlatFilterQRVEngine::GetProfiles(_VorlatFile* input, _VorlatFile* output, _VorlatFile* proof) const
{
    if (input)
        *input = inputProfile_;
    if (output)
        *output = outputProfile_;
    if (proof)
        *proof = proofProfile_;
    return nullptr;
}

IVorlatError* CVorlatFilterQRVEngine::GetProfileInfo(bool output, char signature[4], int32_t* channels) const
{
    if (signature)
        std::memcpy(signature, output ? outputSignature_ : inputSignature_, 4);
    if (channels)
        *channels = output ? outputChannels_ : inputChannels_;
    return nullptr;
}

IVorlatError* CVorlatFilterQRVEngine::SetBitsPerComponent(bool output, int32_t bits)
{
    int32_t& stored = output ? outputBits_ : inputBits_;
    if (stored == bits)
        return nullptr;
    ++changeCounter_;
    stored = bits;
    dirty_ = true;
    return nullptr;
}

int32_t CVorlatFilterQRVEngine::GetBitsPerComponent(bool output) const { return output ? outputBits_ : inputBits_; }

IVorlatError* CVorlatFilterQRVEngine::SetProofMode(bool proof)
{
    if (proof == proofMode_)
        return nullptr;
    ++changeCounter_;
    proofMode_ = proof;
    dirty_ = true;
    return nullptr;
}

bool CVorlatFilterQRVEngine::IsProofMode() const { return proofMode_; }

IVorlatError* CVorlatFilterQRVEngine::SetRenderingIntent(int32_t intent)
{
    const int32_t low = intent & 0xFFFF;
    if (low == intent_)
        return nullptr;
    ++changeCounter_;
    intent_ = low;
    dirty_ = true;
    return nullptr;
}

int32_t CVorlatFilterQRVEngine::GetRenderingIntent() const { return intent_; }

void CVorlatFilterQRVEngine::SetAutoDeleteThreshold(int32_t threshold) { autoDeleteThreshold_ = threshold; }

int32_t CVorlatFilterQRVEngine::GetAutoDeleteThreshold() const { return autoDeleteThreshold_; }

void CVorlatFilterQRVEngine::SetManager(IMgr* manager) { manager_ = manager; }

int32_t CVorlatFilterQRVEngine::GetUserCount() const { return static_cast<int32_t>(users_.size()); }

CVorlatFilterQRV* CVorlatFilterQRVEngine::GetUser(int32_t index) const { return users_[static_cast<size_t>(index)]; }

IVorlatError* CVorlatFilterQRVEngine::ReadProfileInfo(const _VorlatFile& profile, char signature[4], int32_t* channels)
{
    IVorlatError* err = nullptr;
    const int fd = port::FileOpen(profile.path, port::kReadOnly);
    if (fd < 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromErrno, errno);
    char read[4] = {0, 0, 0, 0};
    // A file shorter than a profile header has no colour space to tell.
    const int64_t size = port::FileSeek(fd, 0, SEEK_END);
    if (size < 0) {
        IVorlatError::Add(&err, kFile, __LINE__, kVorlatFromErrno, errno);
    } else if (size >= kHeaderBytes) {
        if (port::FileSeek(fd, 16, SEEK_SET) < 0 || port::FileRead(fd, read, 4) != 4)
            IVorlatError::Add(&err, kFile, __LINE__, kVorlatFromErrno, errno ? errno : EIO);
    }
    port::FileClose(fd);
    if (err)
        return err;
    std::memcpy(signature, read, 4);
    *channels = ChannelsOf(read);
    return nullptr;
}

// ---- Users and holders -----------------------------------------------------------

void CVorlatFilterQRVEngine::StartUse(CVorlatFilterQRV* filter) { users_.push_back(filter); }

void CVorlatFilterQRVEngine::StopUse(CVorlatFilterQRV* filter)
{
    auto found = std::find(users_.begin(), users_.end(), filter);
    if (found != users_.end())
        users_.erase(found);
}

void CVorlatFilterQRVEngine::AddReferencedObjectPointer(Pointer* pointer)
{
    references_.push_back(pointer);
    if (manager_)
        manager_->ReferenceCountChanged(this, static_cast<int32_t>(references_.size()));
}

void CVorlatFilterQRVEngine::RemoveReferencedObjectPointer(Pointer* pointer)
{
    auto found = std::find(references_.begin(), references_.end(), pointer);
    if (found != references_.end())
        references_.erase(found);
    const int32_t remaining = static_cast<int32_t>(references_.size());
    // The manager may delete the engine: nothing of it is touched afterwards.
    if (manager_)
        manager_->ReferenceCountChanged(this, remaining);
    else if (remaining <= autoDeleteThreshold_)
        delete this;
}

// ---- The transform ------------------------------------------------------------------

IVorlatError* CVorlatFilterQRVEngine::ResetParameters(bool* wasDirty)
{
    if (wasDirty)
        *wasDirty = dirty_;
    if (!dirty_)
        return nullptr;
    const KolvexQrvFunctions& qrv = KolvexQrv();
    QZCMResult result = 0;
    if (!handle_) {
        QZCMHandle handle = 0;
        result = qrv.create(&handle);
        if (result)
            return QrvFailure(__LINE__, result);
        handle_ = handle;
    }
    if ((result = qrv.setInputProfile(handle_, inputProfile_.path)) != 0)
        return QrvFailure(__LINE__, result);
    if ((result = qrv.setOutputProfile(handle_, outputProfile_.path)) != 0)
        return QrvFailure(__LINE__, result);
    if ((result = qrv.setInputBitSize(handle_, inputBits_)) != 0)
        return QrvFailure(__LINE__, result);
    if ((result = qrv.setOutputBitSize(handle_, outputBits_)) != 0)
        return QrvFailure(__LINE__, result);
    if ((result = qrv.setIntent(handle_, intent_)) != 0)
        return QrvFailure(__LINE__, result);
    if ((result = qrv.setProofMode(handle_, proofMode_ ? 1 : 0)) != 0)
        return QrvFailure(__LINE__, result);
    dirty_ = false;
    return nullptr;
}

IVorlatError* CVorlatFilterQRVEngine::KeepTables(TableSetup& side, const uint16_t* const* tables, int32_t bits,
                                                 int32_t valueBits, bool merge, int32_t channels, int32_t failure)
{
    side.channels = channels;
    side.merge = merge;
    side.bits = bits;
    side.valueBits = valueBits;
    for (int32_t i = 0; i < 4; ++i) {
        std::vector<uint16_t>().swap(side.tables[i]);
        if (!tables || !tables[i] || bits <= 0 || bits > 16 || i > channels)
            continue;
        try {
            side.tables[i].assign(tables[i], tables[i] + (size_t{1} << bits));
        } catch (const std::bad_alloc&) {
            return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, failure);
        }
    }
    return nullptr;
}

IVorlatError* CVorlatFilterQRVEngine::SetupProcess(CVorlatFilterQRV* filter, int32_t generation, bool inMerge,
                                                   const uint16_t* const* inTables, int32_t inBits,
                                                   int32_t inValueBits, bool outMerge,
                                                   const uint16_t* const* outTables, int32_t outBits,
                                                   int32_t outValueBits)
{
    IVorlatError* err = nullptr;
    lastFilter_ = filter;
    lastGeneration_ = generation;
    if (VorlatFailed(&err, kFile, __LINE__, ResetParameters(nullptr)) ||
        VorlatFailed(&err, kFile, __LINE__,
                     KeepTables(input_, inTables, inBits, inValueBits, inMerge, inputChannels_, kVorlatErrAllocation)) ||
        VorlatFailed(&err, kFile, __LINE__,
                     KeepTables(output_, outTables, outBits, outValueBits, outMerge, outputChannels_, 561)))
        return err;
    static const uint16_t* const kNone[4] = {nullptr, nullptr, nullptr, nullptr};
    const uint16_t* const* in = inTables ? inTables : kNone;
    const uint16_t* const* out = outTables ? outTables : kNone;
    const KolvexQrvFunctions& qrv = KolvexQrv();
    QZCMResult result = (inMerge ? qrv.mergeInputLut : qrv.setInputLut)(handle_, inBits, inValueBits, 15, in[0], in[1],
                                                                        in[2], in[3]);
    if (result)
        return QrvFailure(__LINE__, result);
    result = (outMerge ? qrv.mergeOutputLut : qrv.setOutputLut)(handle_, outBits, outValueBits, 15, out[0], out[1],
                                                                out[2], out[3]);
    if (result)
        return QrvFailure(__LINE__, result);
    return nullptr;
}

IVorlatError* CVorlatFilterQRVEngine::GetProcessSetup(CVorlatFilterQRV** filter, int32_t* generation, bool* inMerge,
                                                      const uint16_t** inTables, int32_t* inBits,
                                                      int32_t* inValueBits, bool* outMerge,
                                                      const uint16_t** outTables, int32_t* outBits,
                                                      int32_t* outValueBits) const
{
    if (filter)
        *filter = lastFilter_;
    if (generation)
        *generation = lastGeneration_;
    if (inMerge)
        *inMerge = input_.merge;
    if (inBits)
        *inBits = input_.bits;
    if (inValueBits)
        *inValueBits = input_.valueBits;
    if (outMerge)
        *outMerge = output_.merge;
    if (outBits)
        *outBits = output_.bits;
    if (outValueBits)
        *outValueBits = output_.valueBits;
    for (int32_t i = 0; i < 4; ++i) {
        if (inTables)
            inTables[i] = input_.tables[i].empty() ? nullptr : input_.tables[i].data();
        if (outTables)
            outTables[i] = output_.tables[i].empty() ? nullptr : output_.tables[i].data();
    }
    return nullptr;
}

IVorlatError* CVorlatFilterQRVEngine::Process(const void* source, void* destination, int32_t width, int32_t height,
                                              int32_t sourceRowBytes, int32_t destinationRowBytes)
{
    const QZCMResult result =
        KolvexQrv().processInterleaved(handle_, width, height, source, destination, sourceRowBytes, destinationRowBytes);
    return result ? QrvFailure(__LINE__, result) : nullptr;
}
