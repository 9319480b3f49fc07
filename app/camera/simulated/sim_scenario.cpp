#include "app/camera/simulated/sim_scenario.h"

#include <cstdlib>
#include <sstream>

#include "app/camera/kavo_records.h"

namespace kavosim {

namespace {

struct NamedCommand {
    const char* name;
    uint32_t command;
};

const NamedCommand kCommands[] = {
    {"poll", kKavoPoll},     {"open", kKavoOpen},       {"close", kKavoClose},
    {"count", kKavoCapabilityCount}, {"info", kKavoCapabilityInfo}, {"start", kKavoStart},
    {"set", kKavoSet},       {"get", kKavoGet},         {"default", kKavoGetDefault},
    {"array", kKavoGetArray}, {"after", kKavoAfterQueued}, {"abort", kKavoAbort},
    {"enumerate", kKavoEnumerate}, {"reset", kKavoReset},
};

bool ParseNumber(const std::string& token, int64_t* out)
{
    if (token.empty())
        return false;
    char* end = nullptr;
    const long long value = std::strtoll(token.c_str(), &end, 0);
    if (*end != '\0')
        return false;
    *out = value;
    return true;
}

bool ParseUnsigned(const std::string& token, uint32_t* out)
{
    int64_t value = 0;
    if (!ParseNumber(token, &value) || value < 0 || value > 0xFFFFFFFFll)
        return false;
    *out = static_cast<uint32_t>(value);
    return true;
}

bool ParseObject(const std::string& token)
{
    return token == "module" || token == "source" || token == "item" || token == "image" || token == "thumbnail" ||
           token == "any";
}

bool ParseCall(std::istringstream& in, ScenarioCall* call)
{
    std::string object, command, cap;
    if (!(in >> object >> command >> cap) || !ParseObject(object) || !ParseCommand(command, &call->command))
        return false;
    call->object = object;
    if (cap == "*") {
        call->capability = kAnyCapability;
        return true;
    }
    return ParseUnsigned(cap, &call->capability);
}

bool ParseCode(const std::string& token, int32_t* code)
{
    static const struct {
        const char* name;
        int32_t code;
    } kNames[] = {{"busy", 148}, {"notfound", 134}, {"battery", 147}, {"card", 132}, {"shot", 128}, {"private", 0x7001}};
    for (const auto& named : kNames)
        if (token == named.name) {
            *code = named.code;
            return true;
        }
    int64_t value = 0;
    if (!ParseNumber(token, &value) || value < INT32_MIN || value > INT32_MAX)
        return false;
    *code = static_cast<int32_t>(value);
    return true;
}

bool ParseLine(const std::string& line, Scenario* s)
{
    std::istringstream in(line);
    std::string word;
    in >> word;
    if (word == "profile")
        return static_cast<bool>(in >> s->profile);
    if (word == "trace")
        return static_cast<bool>(in >> s->tracePath);
    if (word == "inbox")
        return static_cast<bool>(in >> s->inboxPath);
    if (word == "picture") {
        std::string format;
        ScenarioPicture picture;
        if (!(in >> format >> picture.path))
            return false;
        if (format == "jpeg")
            picture.format = kKavoFormatJpeg;
        else if (format == "tiff")
            picture.format = kKavoFormatTiff;
        else if (format == "raw")
            picture.format = kKavoFormatRaw;
        else if (!ParseUnsigned(format, &picture.format))
            return false;
        s->pictures.push_back(picture);
        return true;
    }
    if (word == "thumbnail")
        return static_cast<bool>(in >> s->thumbnailPath);
    if (word == "block") {
        std::string n;
        return in >> n && ParseUnsigned(n, &s->blockSize) && s->blockSize > 0;
    }
    if (word == "delivery") {
        std::string mode;
        in >> mode;
        s->pollDelivery = mode == "poll";
        return mode == "poll" || mode == "sync";
    }
    if (word == "complete") {
        ScenarioCompletion rule;
        std::string token;
        if (!(in >> token))
            return false;
        if (token != "now" && token != "never" && token != "after") {
            if (!ParseCommand(token, &rule.command) || !(in >> token))
                return false;
        }
        if (token == "never")
            rule.never = true;
        else if (token == "after") {
            std::string n;
            if (!(in >> n) || !ParseUnsigned(n, &rule.polls))
                return false;
        } else if (token != "now")
            return false;
        s->completions.push_back(rule);
        return true;
    }
    if (word == "poll-interval" || word == "items") {
        std::string n;
        return in >> n && ParseUnsigned(n, word == "items" ? &s->items : &s->pollInterval);
    }
    if (word == "repeat") {
        ScenarioInjection repeat;
        std::string n;
        repeat.code = kKavoRepeat;
        if (!(in >> n) || !ParseUnsigned(n, &repeat.times) || !ParseCall(in, &repeat.call))
            return false;
        s->repeats.push_back(repeat);
        return true;
    }
    if (word == "fail") {
        ScenarioInjection fail;
        std::string code, n;
        if (!(in >> code) || !ParseCode(code, &fail.code) || !ParseCall(in, &fail.call))
            return false;
        if (in >> n && !ParseUnsigned(n, &fail.times))
            return false;
        s->fails.push_back(fail);
        return true;
    }
    if (word == "request") {
        ScenarioRequest request;
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            return false;
        std::istringstream head(line.substr(0, colon));
        std::string kind, answer, flag;
        head >> word;
        if (!(head >> kind >> answer) || !ParseUnsigned(kind, &request.kind) ||
            !ParseUnsigned(answer, &request.defaultAnswer) || !ParseCall(head, &request.call))
            return false;
        while (head >> flag) {
            if (flag == "caps")
                request.withCapabilities = true;
            else if (flag == "disconnect")
                request.disconnect = true;
            else
                return false;
        }
        std::string text = line.substr(colon + 1);
        const size_t bar = text.find('|');
        auto trim = [](std::string t) {
            const size_t first = t.find_first_not_of(' ');
            const size_t last = t.find_last_not_of(' ');
            return first == std::string::npos ? std::string() : t.substr(first, last - first + 1);
        };
        request.prompt = trim(text.substr(0, bar));
        if (bar != std::string::npos)
            request.detail = trim(text.substr(bar + 1));
        s->requests.push_back(request);
        return true;
    }
    if (word == "disconnect") {
        ScenarioCall call;
        if (!ParseCall(in, &call))
            return false;
        s->disconnects.push_back(call);
        return true;
    }
    if (word == "refuse-reset" || word == "absent") {
        (word == "absent" ? s->absent : s->refuseReset) = true;
        return true;
    }
    if (word == "fault") {
        std::string kind;
        in >> kind;
        if (kind == "duplicate-first")
            s->duplicateFirst = true;
        else if (kind == "past-total")
            s->pastTotal = true;
        else if (kind == "out-of-order")
            s->outOfOrder = true;
        else if (kind == "total-zero")
            s->totalZero = true;
        else if (kind == "ignored-first")
            s->ignoredFirst = true;
        else if (kind == "disconnect-after") {
            uint32_t k = 0;
            std::string n;
            if (!(in >> n) || !ParseUnsigned(n, &k) || k > 0x7FFFFFFF)
                return false;
            s->disconnectAfterBlock = static_cast<int32_t>(k);
        } else
            return false;
        return true;
    }
    if (word == "range") {
        std::string cap, lower, upper, steps, index;
        uint32_t id = 0;
        Scenario::RangeShape shape;
        char* end = nullptr;
        if (!(in >> cap >> lower >> upper >> steps >> index) || !ParseUnsigned(cap, &id) ||
            !ParseUnsigned(steps, &shape.steps) || !ParseUnsigned(index, &shape.index))
            return false;
        shape.lower = std::strtod(lower.c_str(), &end);
        if (*end)
            return false;
        shape.upper = std::strtod(upper.c_str(), &end);
        if (*end)
            return false;
        s->ranges[id] = shape;
        return true;
    }
    if (word == "bytes") {
        std::string cap, hex;
        uint32_t id = 0;
        if (!(in >> cap) || !ParseUnsigned(cap, &id))
            return false;
        in >> hex;
        if (hex.size() % 2)
            return false;
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < hex.size(); i += 2) {
            uint32_t byte = 0;
            if (!ParseUnsigned("0x" + hex.substr(i, 2), &byte))
                return false;
            bytes.push_back(static_cast<uint8_t>(byte));
        }
        s->arrayBytes[id] = bytes;
        return true;
    }
    if (word == "malform") {
        std::string kind, a, b;
        uint32_t cap = 0, n = 0;
        in >> kind;
        if (kind == "capcount") {
            if (!(in >> a) || !ParseUnsigned(a, &s->capCount))
                return false;
            if (in >> b && !ParseObject(b))
                return false;
            s->capCountOverridden = true;
            s->capCountObject = b.empty() ? "any" : b;
            return true;
        }
        if (kind == "unterminated") {
            if (!(in >> a) || !ParseUnsigned(a, &cap))
                return false;
            s->unterminated.push_back(cap);
            return true;
        }
        if (!(in >> a >> b) || !ParseUnsigned(a, &cap) || !ParseUnsigned(b, &n))
            return false;
        if (kind == "elemsize" && n <= 0xFFFF)
            s->elementSizes[cap] = static_cast<uint16_t>(n);
        else if (kind == "listcount")
            s->listCounts[cap] = n;
        else if (kind == "captype")
            s->capTypes[cap] = n;
        else
            return false;
        return true;
    }
    return false;
}

}  // namespace

bool ParseCommand(const std::string& token, uint32_t* command)
{
    if (token == "*") {
        *command = kAnyCommand;
        return true;
    }
    for (const NamedCommand& named : kCommands)
        if (token == named.name) {
            *command = named.command;
            return true;
        }
    return ParseUnsigned(token, command);
}

const char* CommandName(uint32_t command)
{
    for (const NamedCommand& named : kCommands)
        if (named.command == command)
            return named.name;
    return nullptr;
}

Scenario ParseScenario(const std::string& text)
{
    Scenario scenario;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t hash = line.find('#');
        const std::string body = line.substr(0, hash);
        if (body.find_first_not_of(" \t") == std::string::npos)
            continue;
        if (!ParseLine(body, &scenario))
            scenario.errors.push_back(line);
    }
    return scenario;
}

}  // namespace kavosim
