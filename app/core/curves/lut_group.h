// A curve group: the persistent settings of one tone adjustment of an image.
// A master channel (id 0) and usually red, green and blue channels, possibly
// hue channels, which channel is current in the editor, and a contrast. The
// group is never without channels.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/core/curves/lut_channel.h"

class CQzLutGroup : public IQzState {
public:
    CQzLutGroup();
    CQzLutGroup(const CQzLutGroup&) = delete;
    // A deep copy of the other group's channels, selection and contrasts; the
    // kind stays this group's. On a failure the group is unchanged.
    CQzLutGroup& operator=(const CQzLutGroup& other);
    ~CQzLutGroup() override;

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Reads versions 1 to 3. A blob the group cannot take whole (a short one, no
    // channels, an unknown version or channel class, a channel that does not
    // fit) answers 0 and leaves the group as it was. When the blob holds the
    // same channel layout, the channel objects stay and read their new values.
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
    const qz::ClassId& GetClassId() const { return qz::kLutGroupId; }

    // The OR of every channel's modified flags, ANDed with the mask.
    uint32_t GetModifiedFlags(uint32_t mask) const;
    void SetKind(int32_t kind) { kind_ = kind; }
    int32_t GetKind() const { return kind_; }

    // Appends a tone-curve channel; null when memory runs out or the group
    // already holds as many channels as a blob can count.
    CQzLutChannel* AddChannel(uint32_t id, LutColour curve, LutColour dark, LutColour light);
    void RemoveExtraChannels();
    int32_t GetChannelCount() const { return static_cast<int32_t>(channels_.size()); }
    // The channel at `index`, -1 meaning the current one; null when out of range.
    CQzLutChannelBase* GetChannel(int32_t index) const;
    CQzLutChannelBase* GetChannelById(uint32_t id) const;
    // The first tone-curve channel with the id; null when there is none. A
    // table for a missing colour channel is the identity.
    CQzLutChannel* GetToneChannelById(uint32_t id) const;
    int32_t GetCurrentChannelId() const;
    int32_t GetCurrentIndex() const { return current_; }
    // Makes the first channel with the id current; 0 when there is none.
    int32_t SelectChannel(uint32_t id);
    void Reset(bool resetContrast);
    // Sets the gammas of channels 1, 2 and 3 so that the sampled colour (0..1)
    // becomes neutral, with the target colour's balance.
    void SetGrayPoint(double red, double green, double blue, double targetRed, double targetGreen, double targetBlue);

    // In powers of two; the applied contrast goes with the channels' applied sets.
    double GetContrast() const { return contrast_; }
    void SetContrast(double contrast) { contrast_ = contrast; }
    double GetAppliedContrast() const { return appliedContrast_; }
    bool IsDragging() const { return dragging_; }

    // Editing of the current channel, for the curve editor. Keys are ignored
    // while a drag runs.
    uint32_t TrackMouse(CQzLutViewer& viewer, LutPoint mouse);
    uint32_t BeginDrag(CQzLutViewer& viewer, LutPoint mouse);
    void EndDrag(CQzLutViewer& viewer);
    uint32_t InsertPoint();
    uint32_t DeleteSelectedPoint();
    uint32_t SelectNextPoint();
    uint32_t SelectPreviousPoint();
    uint32_t NudgePointUp(CQzLutViewer& viewer);
    uint32_t NudgePointDown(CQzLutViewer& viewer);
    uint32_t NudgePointLeft(CQzLutViewer& viewer);
    uint32_t NudgePointRight(CQzLutViewer& viewer);
    uint32_t NudgeBlackLeft(CQzLutViewer& viewer);
    uint32_t NudgeBlackRight(CQzLutViewer& viewer);
    uint32_t NudgeWhiteLeft(CQzLutViewer& viewer);
    uint32_t NudgeWhiteRight(CQzLutViewer& viewer);
    uint32_t NudgeOffsetUp(CQzLutViewer& viewer);
    uint32_t NudgeOffsetDown(CQzLutViewer& viewer);
    uint32_t SetVerticalRange(int32_t range);

    // A blob counts its channels in one byte.
    static constexpr int32_t kMaxChannels = 255;

private:
    using Channels = std::vector<std::unique_ptr<CQzLutChannelBase>>;
    void Adopt(Channels& channels);
    // The current channel when keys may edit it, else null.
    CQzLutChannelBase* KeyTarget() const;
    // The current channel when keys may edit its selected point, else null.
    CQzLutChannelBase* PointKeyTarget() const;

    Channels channels_;
    bool dragging_ = false;
    int32_t kind_ = 1;
    int32_t current_ = 0;
    double contrast_ = 0.0;
    double appliedContrast_ = 0.0;
};
