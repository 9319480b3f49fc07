// CQzListItem: one cell of a CQzListBox. The item draws itself and may take
// the mouse and keys for itself; its input operations answer 0 not handled,
// 1 handled, 2 not handled and wants the mouse capture, 3 handled and wants
// it (bit 0 handled, bit 1 capture).
#pragma once

#include <cstdint>

#include "clx/dc.h"
#include "clx/object.h"

class CQzListBox;

class CQzListItem : public CObject {
    DECLARE_DYNAMIC(CQzListItem)
public:
    enum DrawReason { kFullPaint = 1, kSelectionChanged = 2, kFocusChanged = 4 };
    enum Answer { kNotHandled = 0, kHandled = 1, kWantsCapture = 2 };

    CQzListItem() = default;

    // Not called by the list; their use lies with the subclass.
    virtual void Reserved0() = 0;
    // The list calls it for every item it still holds when it goes.
    virtual void Destroy();
    // dc's origin is the cell's top-left corner.
    virtual int Draw(CQzListBox* list, CDC* dc, int reason) = 0;
    virtual int Reserved1(int value) = 0;
    // cell and point in the list's client coordinates.
    virtual int OnKeyDown(CQzListBox* list, UINT key, UINT repeat, UINT keyFlags, const RECT* cell);
    virtual int OnLButtonDown(CQzListBox* list, UINT mouseFlags, const RECT* cell, const POINT* point,
                              BOOL doubleClick);
    virtual int OnLButtonUp(CQzListBox* list, UINT mouseFlags, const RECT* cell, const POINT* point);
    virtual int OnMouseMove(CQzListBox* list, UINT mouseFlags, const RECT* cell, const POINT* point);
    virtual void CaptureLost();

    bool IsSelected() const { return (m_flags & kSelectedBit) != 0; }

    CQzListBox* m_owner = nullptr;  // set while a list holds the item
    uint32_t m_flags = 0;
    uint32_t m_data1 = 0;  // free for subclasses
    uint32_t m_data2 = 0;

    static constexpr uint32_t kSelectedBit = 1;
};
