#include "app/core/curves/lut_group.h"

#include <cmath>
#include <new>

#include "app/core/curves/hue_channel.h"
#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

namespace {

constexpr uint8_t kVersionMarker = 0xFF;

std::unique_ptr<CQzLutChannelBase> CopyChannel(const CQzLutChannelBase& channel)
{
    if (channel.IsHueChannel())
        return std::make_unique<CQzHueChannel>(static_cast<const CQzHueChannel&>(channel));
    return std::make_unique<CQzLutChannel>(static_cast<const CQzLutChannel&>(channel));
}

}  // namespace

CQzLutGroup::CQzLutGroup()
{
    AddChannel(0, {}, {}, {});
    current_ = 0;
}

CQzLutGroup::~CQzLutGroup() = default;

CQzLutGroup& CQzLutGroup::operator=(const CQzLutGroup& other)
{
    if (this == &other)
        return *this;
    Channels copies;
    try {
        copies.reserve(other.channels_.size());
        for (const auto& channel : other.channels_)
            copies.push_back(CopyChannel(*channel));
    } catch (const std::bad_alloc&) {
        return *this;
    }
    Adopt(copies);
    dragging_ = other.dragging_;
    current_ = other.current_;
    contrast_ = other.contrast_;
    appliedContrast_ = other.appliedContrast_;
    return *this;
}

void CQzLutGroup::Adopt(Channels& channels)
{
    channels_.swap(channels);
    channels.clear();
    for (auto& channel : channels_)
        channel->SetOwner(this);
}

int32_t CQzLutGroup::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(qz::kLutGroupId);
    out.Put(kVersionMarker);
    out.Put<uint8_t>(3);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    out.Put(static_cast<uint8_t>(kind_));
    out.Put(static_cast<uint8_t>(channels_.size()));
    out.Put(static_cast<uint8_t>(current_));
    out.Put(contrast_);
    // A channel goes in whole or not at all.
    for (const auto& channel : channels_) {
        const int32_t size = channel->GetSize();
        if (uint8_t* target = out.Claim(static_cast<uint64_t>(size)))
            channel->GetData(target, size);
    }
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzLutGroup::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kLutGroupId) || length < 17)
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    int version = 1;
    if (length >= 18 && buffer[16] == kVersionMarker) {
        const uint8_t stored = buffer[17];
        if (stored == 2) {
            version = 2;
            in.Skip(3);
        } else if (stored >= 3) {
            version = stored;
            in.Skip(2);
        }
    }
    // A later layout is unknown, and a group is never left without channels.
    if (version > 3)
        return 0;
    int32_t kind = kind_;
    if (version == 3) {
        in.Skip(4);
        uint8_t storedKind = 0;
        if (in.Get(storedKind))
            kind = storedKind;
    }
    uint8_t count = 0, current = 0;
    double contrast = contrast_;
    in.Get(count);
    in.Get(current);
    in.Get(contrast);
    if (count == 0)
        return 0;

    Channels read;
    std::vector<uint64_t> starts;
    try {
        for (int32_t i = 0; i < count; ++i) {
            if (!in.Covers(16))
                return 0;
            std::unique_ptr<CQzLutChannelBase> channel;
            if (qz::kLutChannelId.Matches(in.Here()))
                channel = std::make_unique<CQzLutChannel>(static_cast<uint32_t>(-1), LutColour{}, LutColour{},
                                                          LutColour{});
            else if (qz::kHueChannelId.Matches(in.Here()))
                channel = std::make_unique<CQzHueChannel>(static_cast<uint32_t>(-1));
            else
                return 0;
            const int32_t remaining = static_cast<int32_t>(in.Remaining());
            const int32_t consumed = channel->SetData(in.Here(), remaining);
            if (consumed <= 0 || consumed > remaining)
                return 0;
            starts.push_back(in.Position());
            in.Skip(static_cast<uint64_t>(consumed));
            read.push_back(std::move(channel));
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }

    // The same layout keeps the channel objects that the editor and the
    // palettes point at; they read the same bytes again.
    bool sameLayout = read.size() == channels_.size();
    for (size_t i = 0; sameLayout && i < read.size(); ++i)
        sameLayout = read[i]->GetClassId().Matches(channels_[i]->GetClassId().bytes);
    if (sameLayout) {
        for (size_t i = 0; i < read.size(); ++i)
            channels_[i]->SetData(buffer + starts[i], static_cast<int32_t>(length - starts[i]));
    } else {
        Adopt(read);
    }
    current_ = current < count ? current : 0;
    contrast_ = contrast;
    kind_ = kind;
    // Older blobs do not store the kind: one that changes only brightness or contrast is kind 2.
    if (version < 3) {
        const uint32_t modified = GetModifiedFlags(~0u);
        if ((modified & kLutOnCurve) && !(modified & kLutOtherPoint))
            kind_ = 2;
    }
    return static_cast<int32_t>(in.Position());
}

uint32_t CQzLutGroup::GetModifiedFlags(uint32_t mask) const
{
    uint32_t flags = 0;
    for (auto channel = channels_.rbegin(); channel != channels_.rend(); ++channel)
        flags |= (*channel)->GetModifiedFlags(mask);
    return flags & mask;
}

CQzLutChannel* CQzLutGroup::AddChannel(uint32_t id, LutColour curve, LutColour dark, LutColour light)
{
    if (GetChannelCount() >= kMaxChannels)
        return nullptr;
    try {
        auto channel = std::make_unique<CQzLutChannel>(id, curve, dark, light);
        CQzLutChannel* added = channel.get();
        channel->SetOwner(this);
        channels_.push_back(std::move(channel));
        if (current_ == -1)
            current_ = GetChannelCount() - 1;
        return added;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void CQzLutGroup::RemoveExtraChannels()
{
    channels_.resize(1);
    current_ = 0;
}

CQzLutChannelBase* CQzLutGroup::GetChannel(int32_t index) const
{
    if (index == -1)
        index = current_;
    if (index < 0 || index >= GetChannelCount())
        return nullptr;
    return channels_[index].get();
}

CQzLutChannelBase* CQzLutGroup::GetChannelById(uint32_t id) const
{
    for (const auto& channel : channels_)
        if (channel->GetChannelId() == id)
            return channel.get();
    return nullptr;
}

CQzLutChannel* CQzLutGroup::GetToneChannelById(uint32_t id) const
{
    for (const auto& channel : channels_)
        if (channel->GetChannelId() == id && !channel->IsHueChannel())
            return static_cast<CQzLutChannel*>(channel.get());
    return nullptr;
}

int32_t CQzLutGroup::GetCurrentChannelId() const
{
    const CQzLutChannelBase* channel = GetChannel(-1);
    return channel ? static_cast<int32_t>(channel->GetChannelId()) : -1;
}

int32_t CQzLutGroup::SelectChannel(uint32_t id)
{
    for (int32_t i = 0; i < GetChannelCount(); ++i) {
        if (channels_[i]->GetChannelId() == id) {
            current_ = i;
            return 1;
        }
    }
    return 0;
}

void CQzLutGroup::Reset(bool resetContrast)
{
    if (resetContrast)
        contrast_ = 0.0;
    for (auto& channel : channels_)
        channel->Reset(resetContrast);
}

void CQzLutGroup::SetGrayPoint(double red, double green, double blue, double targetRed, double targetGreen,
                               double targetBlue)
{
    if (!(targetRed > 0.0 && targetGreen > 0.0 && targetBlue > 0.0))
        return;
    const double mean = (targetRed + targetGreen + targetBlue) / 3;
    const double luminance = 0.299 * red + 0.587 * green + 0.114 * blue;
    const double samples[3] = {red, green, blue};
    const double targets[3] = {targetRed, targetGreen, targetBlue};
    for (uint32_t id = 1; id <= 3; ++id) {
        CQzLutChannel* channel = GetToneChannelById(id);
        if (!channel)
            continue;
        const double sample = samples[id - 1] == 0.0 ? 1e-10 : samples[id - 1];
        // The gamma that takes the sample to the luminance, scaled by the target's balance.
        double gamma = std::log(sample) / std::log(luminance * targets[id - 1] / mean);
        if (std::isnan(gamma))
            gamma = 1.0;
        channel->SetGamma(gamma);
    }
}

CQzLutChannelBase* CQzLutGroup::KeyTarget() const
{
    return dragging_ ? nullptr : GetChannel(-1);
}

CQzLutChannelBase* CQzLutGroup::PointKeyTarget() const
{
    CQzLutChannelBase* channel = KeyTarget();
    if (!channel || channel->GetSelectedPoint() < 0 || channel->GetSelectedPoint() >= channel->GetPointCount())
        return nullptr;
    return channel;
}

uint32_t CQzLutGroup::TrackMouse(CQzLutViewer& viewer, LutPoint mouse)
{
    CQzLutChannelBase* channel = GetChannel(-1);
    return channel ? channel->TrackMouse(viewer, mouse) : 0;
}

uint32_t CQzLutGroup::BeginDrag(CQzLutViewer& viewer, LutPoint mouse)
{
    CQzLutChannelBase* channel = GetChannel(-1);
    const uint32_t mode = channel ? channel->BeginDrag(viewer, mouse) : 0;
    if (mode)
        dragging_ = true;
    return mode;
}

void CQzLutGroup::EndDrag(CQzLutViewer& viewer)
{
    dragging_ = false;
    if (CQzLutChannelBase* channel = GetChannel(-1))
        channel->EndDrag(viewer);
}

uint32_t CQzLutGroup::InsertPoint()
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->InsertPoint() : 0;
}

uint32_t CQzLutGroup::DeleteSelectedPoint()
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->DeleteSelectedPoint() : 0;
}

uint32_t CQzLutGroup::SelectNextPoint()
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->SelectNextPoint() : 0;
}

uint32_t CQzLutGroup::SelectPreviousPoint()
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->SelectPreviousPoint() : 0;
}

uint32_t CQzLutGroup::NudgePointUp(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->NudgePointUp(viewer) : 0;
}

uint32_t CQzLutGroup::NudgePointDown(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->NudgePointDown(viewer) : 0;
}

uint32_t CQzLutGroup::NudgePointLeft(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->NudgePointLeft(viewer) : 0;
}

uint32_t CQzLutGroup::NudgePointRight(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = PointKeyTarget();
    return channel ? channel->NudgePointRight(viewer) : 0;
}

uint32_t CQzLutGroup::NudgeBlackLeft(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->NudgeBlackLeft(viewer) : 0;
}

uint32_t CQzLutGroup::NudgeBlackRight(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->NudgeBlackRight(viewer) : 0;
}

uint32_t CQzLutGroup::NudgeWhiteLeft(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->NudgeWhiteLeft(viewer) : 0;
}

uint32_t CQzLutGroup::NudgeWhiteRight(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->NudgeWhiteRight(viewer) : 0;
}

uint32_t CQzLutGroup::NudgeOffsetUp(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->NudgeOffsetUp(viewer) : 0;
}

uint32_t CQzLutGroup::NudgeOffsetDown(CQzLutViewer& viewer)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->NudgeOffsetDown(viewer) : 0;
}

uint32_t CQzLutGroup::SetVerticalRange(int32_t range)
{
    CQzLutChannelBase* channel = KeyTarget();
    return channel ? channel->SetVerticalRange(range) : 0;
}
