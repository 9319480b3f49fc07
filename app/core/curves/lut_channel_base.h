// The base of the curve channels of a curve group: the blob header (class id
// and channel id), the selection, and the editing operations through which
// the curve editor drives a channel of either kind.
#pragma once

#include <cstdint>

#include "app/core/curves/lut_viewer.h"
#include "app/core/settings/class_ids.h"
#include "app/core/settings/qz_state.h"

class CQzLutGroup;

class CQzLutChannelBase : public IQzState {
public:
    // Channel ids: 0 the master curve, 1 red, 2 green, 3 blue.
    explicit CQzLutChannelBase(uint32_t channelId) : channelId_(channelId) {}
    CQzLutChannelBase(const CQzLutChannelBase&) = default;
    CQzLutChannelBase& operator=(const CQzLutChannelBase&) = delete;

    // The header alone: class id and channel id, 20 bytes.
    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    // Reads the header: 0 unless the class id is this channel's; the selection is cleared.
    int32_t SetData(const uint8_t* buffer, int32_t length) override;
    virtual const qz::ClassId& GetClassId() const = 0;

    virtual bool IsHueChannel() const = 0;
    virtual int32_t GetPointCount() const = 0;
    // The change codes of what differs from the default, ANDed with the mask.
    virtual uint32_t GetModifiedFlags(uint32_t mask) const = 0;
    virtual void Reset(bool resetBrightness) = 0;

    // Mouse: a hit test, or one step of the drag in progress; answers the hit code or the drag mode.
    virtual uint32_t TrackMouse(CQzLutViewer& viewer, LutPoint mouse) = 0;
    // Button pressed: answers the drag mode it starts (0 for none).
    virtual uint32_t BeginDrag(CQzLutViewer& viewer, LutPoint mouse) = 0;
    virtual void EndDrag(CQzLutViewer& viewer) = 0;

    // Keys; each answers the change code, 0 when nothing changed.
    virtual uint32_t InsertPoint() = 0;
    virtual uint32_t DeleteSelectedPoint() = 0;
    virtual uint32_t SelectNextPoint() = 0;
    virtual uint32_t SelectPreviousPoint() = 0;
    virtual uint32_t NudgePointUp(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgePointDown(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgePointLeft(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgePointRight(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgeBlackLeft(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgeBlackRight(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgeWhiteLeft(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgeWhiteRight(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgeOffsetUp(CQzLutViewer& viewer) = 0;
    virtual uint32_t NudgeOffsetDown(CQzLutViewer& viewer) = 0;
    virtual uint32_t SetVerticalRange(int32_t range) = 0;
    virtual void Commit() = 0;

    uint32_t GetChannelId() const { return channelId_; }
    void SetChannelId(uint32_t id) { channelId_ = id; }
    int32_t GetSelectedPoint() const { return selectedPoint_; }
    CQzLutGroup* GetOwner() const { return owner_; }
    void SetOwner(CQzLutGroup* owner) { owner_ = owner; }

protected:
    CQzLutGroup* owner_ = nullptr;
    uint32_t channelId_;
    int32_t selectedPoint_ = -1;
};
