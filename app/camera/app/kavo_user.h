// The listener of the application's camera objects, and the question box
// with which the module's user requests are answered.
#pragma once

#include <cstdint>

class CKavoBase;

// Levels of the object that notifies.
enum KavoUserLevel : uint32_t {
    kKavoLevelModule = 1,
    kKavoLevelSource = 2,
    kKavoLevelItem = 3,
    kKavoLevelData = 4,
};

// Each notification returns non-zero to let the next listener be asked.
class IQzKavoUser {
public:
    virtual ~IQzKavoUser() = default;
    virtual uint32_t OnKavoProgress(uint32_t level, CKavoBase* object, uint32_t command, uint32_t param, uint32_t done,
                                    uint32_t total) = 0;
    virtual uint32_t OnKavoChildAdded(uint32_t level, CKavoBase* child) = 0;
    virtual uint32_t OnKavoRemoved(uint32_t level, CKavoBase* object) = 0;
    // kind: 0 the list or a value was reset, 1 a value changed.
    virtual uint32_t OnKavoCapabilityChanged(uint32_t level, CKavoBase* object, uint32_t cap, uint32_t kind) = 0;
};

// A modal box: the text with the style's buttons and icon; the application
// gives it its title and owner. The style and answer values are the system
// message box's.
class IKavoPrompt {
public:
    virtual ~IKavoPrompt() = default;
    virtual uint32_t Ask(const char* text, uint32_t style) = 0;

    static constexpr uint32_t kOk = 0x0;
    static constexpr uint32_t kOkCancel = 0x1;
    static constexpr uint32_t kYesNoCancel = 0x3;
    static constexpr uint32_t kYesNo = 0x4;
    static constexpr uint32_t kIconQuestion = 0x20;
    static constexpr uint32_t kIconExclamation = 0x30;
    static constexpr uint32_t kDefaultButton2 = 0x100;
    static constexpr uint32_t kDefaultButton3 = 0x200;

    static constexpr uint32_t kAnswerOk = 1;
    static constexpr uint32_t kAnswerCancel = 2;
    static constexpr uint32_t kAnswerYes = 6;
    static constexpr uint32_t kAnswerNo = 7;
};

// Where a source or an item finds the listeners above it.
class IKavoListenerChain {
public:
    virtual ~IKavoListenerChain() = default;
    // previous null: the first listener; else the one after previous.
    virtual IQzKavoUser* GetNextListener(IQzKavoUser* previous) = 0;
    // The listener set on this object itself, or null.
    virtual IQzKavoUser* GetOwnListener() const = 0;
};
