#include "Vorlat/VorlatError.h"

#include <cstdio>
#include <cstring>
#include <new>

IVorlatError::~IVorlatError() = default;

CVorlatError::CVorlatError(int32_t file, int32_t line, int32_t from, int32_t value, IVorlatError* next)
    : next_(next), file_(file), line_(line), from_(from), text_(nullptr), value_(value)
{
}

CVorlatError::CVorlatError(int32_t file, int32_t line, const char* text, IVorlatError* next)
    : next_(next), file_(file), line_(line), from_(kVorlatFromSystem), text_(nullptr), value_(kVorlatErrText)
{
    // A text that cannot be copied leaves a frame without text rather than no frame.
    size_t length = std::strlen(text);
    text_ = new (std::nothrow) char[length + 1];
    if (text_)
        std::memcpy(text_, text, length + 1);
}

CVorlatError::~CVorlatError()
{
    delete[] text_;
    // Iterative, so a very long chain cannot exhaust the stack.
    IVorlatError* next = next_;
    while (next) {
        CVorlatError* frame = static_cast<CVorlatError*>(next);
        next = frame->next_;
        frame->next_ = nullptr;
        delete frame;
    }
}

void CVorlatError::Destroy() { delete this; }

IVorlatError* CVorlatError::Next() const { return next_; }

void CVorlatError::Location(char* buffer) const { std::sprintf(buffer, "%d:%d", static_cast<int>(file_), static_cast<int>(line_)); }

int32_t CVorlatError::From() const { return from_; }

char* CVorlatError::GetString() const { return text_; }

int32_t CVorlatError::GetValue() const { return value_; }

char* CVorlatError::GetDeepestString() const
{
    const IVorlatError* frame = this;
    while (frame->Next())
        frame = frame->Next();
    return frame->GetString();
}

int32_t CVorlatError::GetDeepestValue() const
{
    const IVorlatError* frame = this;
    while (frame->Next())
        frame = frame->Next();
    return frame->GetValue();
}

namespace {

IVorlatError* Head(IVorlatError** chain) { return chain ? *chain : nullptr; }

// A frame that cannot be allocated is not pushed: the chain comes back as it was.
IVorlatError* Push(IVorlatError** chain, IVorlatError* frame)
{
    if (!frame)
        return Head(chain);
    if (chain)
        *chain = frame;
    return frame;
}

} // namespace

IVorlatError* IVorlatError::Add(IVorlatError** chain, int32_t file, int32_t line, int32_t from, int32_t value)
{
    if (value == 0)
        return Head(chain);
    return Push(chain, new (std::nothrow) CVorlatError(file, line, from, value, Head(chain)));
}

IVorlatError* IVorlatError::Add(IVorlatError** chain, int32_t file, int32_t line, const char* text)
{
    if (!text || !*text)
        return Head(chain);
    return Push(chain, new (std::nothrow) CVorlatError(file, line, text, Head(chain)));
}

IVorlatError* IVorlatError::Add(IVorlatError** chain, const char* text) { return Add(chain, 0, 0, text); }

IVorlatError* IVorlatError::Add(IVorlatError** chain, int32_t file, int32_t line, IVorlatError* error)
{
    if (!error)
        return Head(chain);
    return AddWorker(chain, file, line, error);
}

IVorlatError* IVorlatError::AddWorker(IVorlatError** chain, int32_t file, int32_t line, IVorlatError* error)
{
    if (!error)
        return Head(chain);
    if (IVorlatError* old = Head(chain)) {
        CVorlatError* last = static_cast<CVorlatError*>(error);
        while (last->next_)
            last = static_cast<CVorlatError*>(last->next_);
        last->next_ = old;
    }
    // Without memory for the location frame the error itself becomes the head,
    // so the failure is neither lost nor leaked.
    CVorlatError* location = new (std::nothrow) CVorlatError(file, line, kVorlatFromSystem, kVorlatErrLocation, error);
    return Push(chain, location ? static_cast<IVorlatError*>(location) : error);
}
