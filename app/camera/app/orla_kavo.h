// The application's camera objects: they make the application's classes as
// children, pass the tree's notifications to their listeners, and answer
// the module's user requests.
#pragma once

#include "app/camera/app/kavo_user.h"
#include "app/camera/tree/kavo_item.h"
#include "app/camera/tree/kavo_module.h"
#include "app/camera/tree/kavo_source.h"

class COrlaKavoModule : public CKavoModule, public IKavoListenerChain {
public:
    // prompt: the box that asks the user (null: requests are answered as
    // with no-prompt set).
    explicit COrlaKavoModule(IKavoPrompt* prompt = nullptr) : prompt_(prompt) {}

    CKavoBase* CreateChildObject(uint32_t id) override;
    uint32_t OnUserRequest(KavoUserRequest* request) override;
    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnChildAdded(CKavoBase* child) override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }
    virtual void SetListener(IQzKavoUser* listener) { listener_ = listener; }
    virtual void SetNoPrompt(uint32_t noPrompt) { noPrompt_ = noPrompt; }
    // Sets module capability 0x8101 to 1 or 0: 1 on success, else 0.
    virtual uint32_t EnableCap8101(uint32_t on);

private:
    IQzKavoUser* listener_ = nullptr;
    uint32_t noPrompt_ = 0;
    IKavoPrompt* prompt_;
};

class CQzLutGroup;

// The camera's settings as the pages, dialogs and the LCD panel number them:
// from 1, translated here to and from the module's indexes counted from 0. A
// set given a number outside its list answers -245 and sends nothing; a get
// answers 0 when the module's answer is outside the list or the call fails.
class COrlaKavoSource : public CKavoSource, public IKavoListenerChain {
public:
    CKavoBase* CreateChildObject(uint32_t id) override;

    // Enumerations numbered by index + 1.
    uint16_t GetKeepAwake();
    int32_t SetKeepAwake(uint16_t value);
    int32_t SetCapability810C(uint16_t value);
    uint16_t GetDataFormat();
    int32_t SetDataFormat(uint16_t value);
    uint16_t GetCompression();
    int32_t SetCompression(uint16_t value);
    uint16_t GetWhiteBalance();
    int32_t SetWhiteBalance(uint16_t value);
    uint16_t GetAFAreaMode();
    int32_t SetAFAreaMode(uint16_t value);
    uint16_t GetFocusArea();
    int32_t SetFocusArea(uint16_t value);
    uint16_t GetCustomBank();
    int32_t SetCustomBank(uint16_t value);
    uint16_t GetHighSensitivity();
    int32_t SetHighSensitivity(uint16_t value);
    uint16_t GetCapability8156();
    // Numbers read whole, numbered the same way.
    uint16_t GetCapability810A();
    uint16_t GetMeteringMode();
    uint16_t GetCapability8120();

    // Enumerations with their own numbering.
    uint16_t GetImageType();
    int32_t SetImageType(uint16_t value);
    uint16_t GetFlashSyncMode(std::vector<uint16_t>* list = nullptr);
    int32_t SetFlashSyncMode(uint16_t value);
    uint16_t GetExposureMode(std::vector<uint16_t>* list = nullptr);
    int32_t SetExposureMode(uint16_t value);
    uint16_t GetCapability8100();
    bool GetCapability8129();
    int32_t SetCapability813CTo4();
    bool IsCapability813CAt4();
    // The current index (0xffff when the read fails); with a list, its entries too.
    uint16_t GetShutterSpeed(std::vector<CQzString>* list = nullptr);
    int32_t SetShutterSpeed(uint16_t index);
    uint16_t GetAperture(std::vector<CQzString>* list = nullptr);
    int32_t SetAperture(uint16_t index);
    // The entries are decimal numbers: the current one, and with a list all.
    int32_t GetSensitivity(std::vector<int32_t>* list = nullptr);
    int32_t SetSensitivity(int32_t value);
    uint16_t GetImageSize();
    int32_t SetImageSize(uint16_t value);
    uint16_t GetContinuousSpeed(bool defaultEntry = false);
    int32_t SetContinuousSpeed(uint16_t value);
    bool HasGridDisplayModes();
    uint32_t GetCustomBankCount();
    uint32_t GetCapability8151Count();

    // Ranges, as signed steps from the middle.
    int16_t GetFlexibleProgram();
    uint16_t GetFlexibleProgramStep();
    int32_t SetFlexibleProgram(int16_t step);
    int16_t GetExposureCompensation();
    uint16_t GetExposureCompensationStep();
    int32_t SetExposureCompensation(int16_t step);
    double GetExposureCompensationValue();
    // mode 1 to 7; the tune is a step from the middle.
    int16_t GetWhiteBalanceTune(uint16_t mode);
    int16_t GetWhiteBalanceTuneDefault(uint16_t mode);
    int32_t SetWhiteBalanceTune(uint16_t mode, int16_t tune);

    // Booleans and plain values.
    bool GetContinuousShooting();
    int32_t SetContinuousShooting(bool on);
    bool GetRawCompression();
    int32_t SetRawCompression(bool on);
    bool GetCapability8106();
    bool GetCapability8142();
    bool GetCapability8143();
    int32_t SetCapability8146(bool on);
    int32_t SetCustomSettingsMode(bool on);
    uint16_t GetCapability8109();
    int16_t GetCapability810B();
    uint32_t GetCapabilityE();
    int32_t GetCapability8144Left(CQzString* out);
    int32_t GetCapability8144Right(CQzString* out);
    int32_t GetCameraID(CQzString* out);
    int32_t SetCameraID(const char* text);
    int32_t GetCameraClock(KavoDateTime* out);
    // Null: the system's time now, in UTC.
    int32_t SetCameraClock(const KavoDateTime* clock);
    // 1 "M4", 2 "M4H", 3 "M4X", else 0.
    uint32_t GetCameraKind();

    // Actions.
    int32_t StartAutofocus(CCommandQueue* queue);
    // preset 8 to 12.
    int32_t MeasureWhiteBalance(uint16_t preset);

    // The camera's tone curve into and from the group's master channel.
    int32_t ReadCameraCurve(CQzLutGroup* group);
    int32_t WriteCameraCurve(CQzLutGroup* group);

    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnChildAdded(CKavoBase* child) override;
    void OnRemoved() override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }
    virtual void SetListener(IQzKavoUser* listener) { listener_ = listener; }

private:
    uint16_t GetIndexPlusOne(uint32_t cap, uint32_t count);
    int32_t SetIndexPlusOne(uint32_t cap, uint32_t count, uint16_t value);
    uint16_t GetNumberPlusOne(uint32_t cap, uint32_t count);
    int32_t GetCurrentIndex(uint32_t cap, uint32_t* index, bool defaultIndex = false);
    bool GetBoolByte(uint32_t cap);
    int32_t SetBool(uint32_t cap, bool on);
    int32_t GetRange(uint32_t cap, KavoRangeRecord* range);
    int16_t GetRangeStep(uint32_t cap);
    uint16_t GetRangeStepKind(uint32_t cap);
    int32_t SetRangeStep(uint32_t cap, int16_t step);
    uint16_t GetStringIndex(uint32_t cap, std::vector<CQzString>* list);
    int32_t SetStringIndex(uint32_t cap, uint16_t index);
    int32_t GetCurrentString(uint32_t cap, CQzString* out, bool defaultEntry = false);

    IQzKavoUser* listener_ = nullptr;
};

class COrlaKavoItem : public CKavoItem, public IKavoListenerChain {
public:
    // Id 1: the application's image data; otherwise the item's own.
    CKavoBase* CreateChildObject(uint32_t id) override;
    void OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total) override;
    void OnRemoved() override;
    void OnCapabilityChanged(uint32_t cap, uint32_t kind) override;

    virtual void SetListener(IQzKavoUser* listener) { listener_ = listener; }
    IQzKavoUser* GetNextListener(IQzKavoUser* previous) override;
    IQzKavoUser* GetOwnListener() const override { return listener_; }

private:
    IQzKavoUser* listener_ = nullptr;
};

// The module's answer to a request of the kind without asking: No for
// Yes/No, Cancel for Yes/No/Cancel, else OK.
uint32_t KavoUnpromptedAnswer(uint32_t kind);
