// A simulated camera module: the entry point's commands over a tree of
// simulated objects (module, camera, pictures, picture data), driven by a
// scenario and an inbox file, and observed through a trace. It stands in for
// the maker's module in tests and by hand; nothing in it is the program's.
//
// Deterministic: nothing reads a clock; asynchronous steps count polls.
// Callbacks run only inside a call into the entry point.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/camera/kavo_records.h"
#include "app/camera/simulated/sim_scenario.h"

namespace kavosim {

// The module's own result codes (positive, passed up by the program).
enum SimResult : int32_t {
    kSimShotError = 128,  // 128 to 137: the shot failed
    kSimCardError = 132,
    kSimNotFound = 134,  // the camera is gone
    kSimBattery = 147,
    kSimBusy = 148,
    kSimBadArgument = 150,  // the call broke the protocol or named a bad value
    kSimNotSupported = 151,
    kSimAborted = 152,
    kSimDeclined = 153,  // the user declined a request
    kSimPrivate = 0x7001,
};

// Object kinds, in the record's type field.
enum SimObjectType : uint32_t {
    kSimModuleObject = 1,
    kSimSourceObject = 2,
    kSimItemObject = 3,
    kSimDataObject = 4,
};

// The capability type the module gives plain arrays (the boundary names none).
constexpr uint32_t kSimCapArray = 10;
// The procedure capabilities 2 to 5 carry no value type.
constexpr uint32_t kSimCapProcedure = 0;

struct CapValue {
    uint8_t boolean = 0;
    int32_t integer = 0;
    uint32_t unsignedValue = 0;
    double real = 0;
    KavoPoint point{};
    KavoSize size{};
    KavoRect rect{};
    std::string text;
    KavoDateTime date{};
    // Lists: element type, width and the elements' bytes; arrays and groups
    // use the bytes with their own element type and widths.
    uint32_t elementType = 0;
    uint16_t bytesPerElement = 0;
    uint16_t bitsPerElement = 0;
    std::vector<uint8_t> elements;
    uint32_t currentIndex = 0;
    uint32_t defaultIndex = 0;
    KavoRangeRecord range{};

    uint32_t ElementCount() const { return bytesPerElement ? static_cast<uint32_t>(elements.size() / bytesPerElement) : 0; }
};

struct Capability {
    tagQzKAVOCapInfo info{};
    CapValue value;
    CapValue defaults;
};

struct SimNode {
    std::string path;  // "module", "src1", "src1/item3", "src1/item3/data1"
    std::string parentPath;
    uint32_t type = 0;
    uint32_t id = 0;
    bool disconnected = false;  // the camera went away, or the object was deleted on it
    std::map<uint32_t, Capability> caps;
    std::vector<uint32_t> children;  // ids, in the order they appeared
    KavoCallbackRecord procs[6] = {};  // by capability 2 to 5
    KavoObjectRecord* record = nullptr;  // while open
};

class CSimModule {
public:
    CSimModule();
    ~CSimModule();
    CSimModule(const CSimModule&) = delete;
    CSimModule& operator=(const CSimModule&) = delete;

    // The scenario's text, used at the next opening of the module object in
    // place of the file that KAVO_SIM_SCENARIO names.
    void SetScenarioText(const std::string& text);

    // The entry point.
    int32_t Call(KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                 KavoCompletionProc completion, void* reference);

    // The trace since the module was last opened, one entry a line.
    const std::vector<std::string>& Trace() const { return trace_; }
    // Errors in the scenario (unknown lines), as text; empty when clean.
    const std::vector<std::string>& ScenarioErrors() const { return scenario_.errors; }

    // The picture the image data delivers, in place of the scenario's files.
    void SetPictureBytes(uint32_t format, std::vector<uint8_t> bytes);

    // Test and inbox actions; each runs inside the current call.
    void Shutter();
    void Disconnect();
    void Reconnect();

private:
    struct Pending {  // a completion still owed
        KavoObjectRecord* record;
        uint32_t command, param, dataType;
        void* data;
        KavoCompletionProc proc;
        void* reference;
        int32_t result;
        uint32_t pollsLeft;
    };
    struct Delivery {  // a picture handed over block by block
        std::string path;  // the data object
        KavoObjectRecord* record;
        std::vector<uint8_t> bytes;
        uint32_t format = 0;
        struct Block {
            uint32_t offset, length;
            bool ignore;  // marked for the receiver to ignore
        };
        std::vector<Block> blocks;
        std::vector<uint8_t> spare;  // the bytes of a block past the total
        size_t next = 0;
        int32_t result = 0;
        KavoCompletionProc proc = nullptr;
        void* reference = nullptr;
        bool active = false;
    };

    int32_t Dispatch(SimNode* node, KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType,
                     void* data, KavoCompletionProc completion, void* reference, bool* pending);
    int32_t Open(SimNode* parent, uint32_t id, uint32_t dataType, void* data);
    int32_t Close(SimNode* node, KavoObjectRecord* object);
    int32_t Count(SimNode* node, uint32_t dataType, void* data);
    int32_t Info(SimNode* node, uint32_t count, uint32_t dataType, void* data);
    int32_t Start(SimNode* node, uint32_t cap, KavoCompletionProc completion, void* reference, bool* pending);
    int32_t Set(SimNode* node, uint32_t cap, uint32_t dataType, void* data);
    int32_t Get(SimNode* node, KavoObjectRecord* object, uint32_t cap, uint32_t dataType, void* data, bool defaults);
    int32_t GetArray(SimNode* node, KavoObjectRecord* object, uint32_t cap, uint32_t dataType, void* data);
    int32_t Reset(SimNode* node);
    void Poll();

    // Building the tree.
    void Build();
    SimNode* AddNode(const std::string& parentPath, uint32_t type, uint32_t id);
    SimNode* Find(const std::string& path);
    SimNode* NodeOf(KavoObjectRecord* record);
    SimNode* CurrentSource();
    SimNode* AddItem(SimNode* source);
    void RefreshChildList(SimNode* node);
    bool IsDisconnected(const SimNode* node);

    // Callbacks, traced.
    void FireEvent(SimNode* node, uint32_t event, uint32_t data);
    int32_t FireProgress(SimNode* node, uint32_t command, uint32_t param, uint32_t done, uint32_t total);
    uint32_t FireRequest(SimNode* node, const ScenarioRequest& request);
    void Complete(const Pending& pending);
    void Owe(KavoObjectRecord* record, uint32_t command, uint32_t param, uint32_t dataType, void* data,
             KavoCompletionProc proc, void* reference, int32_t result);

    // Delivery of the picture.
    int32_t BeginDelivery(SimNode* node, KavoCompletionProc completion, void* reference, bool* pending);
    // One block; false when the delivery has ended (and completed).
    bool DeliverNext();
    void EndDelivery(int32_t result);

    void ReadInbox();
    void RunInboxLine(const std::string& line);
    void Violation(const SimNode* node, const std::string& what);
    void TraceLine(const std::string& line);
    void ResetState();

    Scenario scenario_;
    bool scenarioGiven_ = false;
    std::string scenarioText_;
    std::map<std::string, std::unique_ptr<SimNode>> nodes_;
    std::map<KavoObjectRecord*, std::string> open_;
    // Header reads that allow a later get array, by record and capability.
    std::map<std::pair<KavoObjectRecord*, uint32_t>, bool> headerRead_;
    std::vector<Pending> pending_;
    Delivery delivery_;
    bool pictureGiven_ = false;
    ScenarioPicture givenPicture_;
    std::vector<uint8_t> givenBytes_;
    std::map<size_t, uint32_t> repeatsUsed_, failsUsed_, disconnectsUsed_;
    std::map<uint32_t, Capability> hidden_;  // capabilities taken off the camera's list
    uint32_t violations_ = 0;
    std::vector<std::string> trace_;
    FILE* traceFile_ = nullptr;
    uint32_t sequence_ = 0;
    uint32_t nextItemId_ = 1;
    uint32_t nextSourceId_ = 1;
    std::string sourcePath_;  // the connected camera, empty while disconnected
};

}  // namespace kavosim
