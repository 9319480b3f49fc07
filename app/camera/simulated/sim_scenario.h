// The simulated module's scenario: a text file of one instruction a line,
// read from the file that KAVO_SIM_SCENARIO names when the module object is
// opened ('#' starts a comment).
//
//   profile M4|M4H|M4X|Other|minimal     the camera's capabilities
//   trace PATH / inbox PATH              the trace file and the inbox file
//   picture jpeg|tiff|raw PATH           a picture the camera delivers (several: a list of formats)
//   thumbnail PATH                       what the thumbnail data object delivers
//   block BYTES / delivery sync|poll     block size; blocks all in the call, or one a poll
//   complete [COMMAND] now|never|after N completion of queued calls
//   poll-interval MS / items N           the module's and camera's poll interval; pictures already on the card
//   repeat N OBJECT COMMAND CAP          answer -124 N times
//   fail CODE OBJECT COMMAND CAP [N]     answer CODE (busy, notfound, battery, card, shot, private or a number), N times or always
//   request KIND DEFAULT OBJECT COMMAND CAP [caps] [disconnect] : PROMPT [| DETAIL]
//   disconnect OBJECT COMMAND CAP        the camera goes away when that call first arrives
//   refuse-reset / absent               the module refuses reset; no camera at the start
//   fault duplicate-first|past-total|out-of-order|total-zero|ignored-first|disconnect-after K
//   malform capcount N OBJECT | unterminated CAP | elemsize CAP N | listcount CAP N | captype CAP T
//     (listcount also bends the element count of an array's header)
//   range CAP LOWER UPPER STEPS INDEX    the capability becomes a range of doubles, wherever it is
//   bytes CAP HEX                        the array capability's elements, wherever it is
//     (unterminated: the capability's description, text value and string entries lose their NULs)
//
// The inbox file is read and emptied at each poll; one action a line:
//   shutter | disconnect | reconnect | battery LEVEL | dial CAP VALUE
//   caplist CAP                          takes the capability off the camera's list, or back
//   remove ITEM [DATAKIND]               a picture, or one of its data objects, deleted on the camera
//   event CODE DATA                      any event, unknown codes included
//
// OBJECT is module, source, item, image, thumbnail or any; COMMAND a number
// or its name (open, close, count, info, start, set, get, default, array,
// enumerate, reset, poll); CAP a number (0x... allowed) or * for any.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kavosim {

constexpr uint32_t kAnyCommand = 0xFFFFFFFFu;
constexpr uint32_t kAnyCapability = 0xFFFFFFFFu;

struct ScenarioCall {
    std::string object = "any";
    uint32_t command = kAnyCommand;
    uint32_t capability = kAnyCapability;
};

struct ScenarioInjection {
    ScenarioCall call;
    int32_t code = 0;
    uint32_t times = 0;  // 0: every time
};

struct ScenarioRequest {
    ScenarioCall call;
    uint32_t kind = 0;
    uint32_t defaultAnswer = 1;
    bool withCapabilities = false;
    bool disconnect = false;  // the camera goes away while the request is shown
    std::string prompt;
    std::string detail;
};

struct ScenarioPicture {
    uint32_t format = 0;  // KavoFileFormat
    std::string path;
};

struct ScenarioCompletion {
    uint32_t command = kAnyCommand;
    bool never = false;
    uint32_t polls = 0;  // 0: during the call
};

struct Scenario {
    std::string profile = "M4";
    std::string tracePath;
    std::string inboxPath;
    std::vector<ScenarioPicture> pictures;
    std::string thumbnailPath;
    uint32_t blockSize = 4096;
    bool pollDelivery = false;
    std::vector<ScenarioCompletion> completions;
    uint32_t pollInterval = 0;
    uint32_t items = 0;
    std::vector<ScenarioInjection> repeats;
    std::vector<ScenarioInjection> fails;
    std::vector<ScenarioRequest> requests;
    std::vector<ScenarioCall> disconnects;
    bool refuseReset = false;
    bool absent = false;

    bool duplicateFirst = false;
    bool pastTotal = false;
    bool outOfOrder = false;
    bool totalZero = false;
    bool ignoredFirst = false;  // a first block marked to be ignored, then the picture
    int32_t disconnectAfterBlock = -1;

    bool capCountOverridden = false;
    uint32_t capCount = 0;
    std::string capCountObject = "any";
    std::vector<uint32_t> unterminated;
    std::map<uint32_t, uint16_t> elementSizes;
    std::map<uint32_t, uint32_t> listCounts;
    std::map<uint32_t, uint32_t> capTypes;

    struct RangeShape {
        double lower = 0, upper = 0;
        uint32_t steps = 0, index = 0;
    };
    std::map<uint32_t, RangeShape> ranges;
    std::map<uint32_t, std::vector<uint8_t>> arrayBytes;

    std::vector<std::string> errors;  // lines not understood
};

Scenario ParseScenario(const std::string& text);

// The command's number for a name or a number; kAnyCommand for "*"; false when unknown.
bool ParseCommand(const std::string& token, uint32_t* command);
const char* CommandName(uint32_t command);

}  // namespace kavosim
