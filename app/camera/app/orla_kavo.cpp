#include "app/camera/app/orla_kavo.h"

#include "app/camera/app/kavo_listener_walk.h"
#include "app/camera/app/orla_kavo_image.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace {

// The module's texts are its own: read no further than this.
constexpr size_t kMaxRequestText = 1024;

std::string RequestText(const char* text)
{
    std::string out;
    for (size_t i = 0; text && i < kMaxRequestText && text[i]; ++i)
        out.push_back(text[i]);
    return out;
}

uint32_t RequestStyle(const KavoUserRequest& request)
{
    switch (request.kind) {
        case kKavoRequestMessage:
            return IKavoPrompt::kIconExclamation | IKavoPrompt::kOk;
        case kKavoRequestOkCancel:
            return IKavoPrompt::kIconQuestion | IKavoPrompt::kOkCancel |
                   (request.defaultAnswer == kKavoAnswerOk ? 0 : IKavoPrompt::kDefaultButton2);
        case kKavoRequestYesNo:
            return IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNo |
                   (request.defaultAnswer == kKavoAnswerYes ? 0 : IKavoPrompt::kDefaultButton2);
        case kKavoRequestYesNoCancel:
            return IKavoPrompt::kIconQuestion | IKavoPrompt::kYesNoCancel |
                   (request.defaultAnswer == kKavoAnswerYes  ? 0
                    : request.defaultAnswer == kKavoAnswerNo ? IKavoPrompt::kDefaultButton2
                                                             : IKavoPrompt::kDefaultButton3);
        default:
            return IKavoPrompt::kOk;
    }
}

uint32_t RequestAnswer(uint32_t button)
{
    switch (button) {
        case IKavoPrompt::kAnswerOk:
            return kKavoAnswerOk;
        case IKavoPrompt::kAnswerCancel:
            return kKavoAnswerCancel;
        case IKavoPrompt::kAnswerYes:
            return kKavoAnswerYes;
        case IKavoPrompt::kAnswerNo:
            return kKavoAnswerNo;
        default:
            return kKavoAnswerNone;
    }
}

}  // namespace

uint32_t KavoUnpromptedAnswer(uint32_t kind)
{
    switch (kind) {
        case kKavoRequestYesNo:
            return kKavoAnswerNo;
        case kKavoRequestYesNoCancel:
            return kKavoAnswerCancel;
        default:
            return kKavoAnswerOk;
    }
}

// ---- Module ---------------------------------------------------------------------------

CKavoBase* COrlaKavoModule::CreateChildObject(uint32_t)
{
    return new (std::nothrow) COrlaKavoSource();
}

IQzKavoUser* COrlaKavoModule::GetNextListener(IQzKavoUser* previous)
{
    return previous ? nullptr : listener_;
}

uint32_t COrlaKavoModule::EnableCap8101(uint32_t on)
{
    return CallModule(this, kKavoSet, 0x8101, kKavoDataUintValue, reinterpret_cast<void*>(uintptr_t{on ? 1u : 0u}),
                      nullptr, nullptr) == kKavoOk
               ? 1
               : 0;
}

uint32_t COrlaKavoModule::OnUserRequest(KavoUserRequest* request)
{
    if (noPrompt_ || !prompt_)
        return KavoUnpromptedAnswer(request->kind);
    Enter();
    if (request->capabilities)
        prompt_->Ask("Uh oh.  Capabilities in the message box...", IKavoPrompt::kOk);
    std::string text = RequestText(request->prompt);
    const std::string detail = RequestText(request->detail);
    if (!detail.empty())
        text += "\r" + detail;
    const uint32_t answer = RequestAnswer(prompt_->Ask(text.c_str(), RequestStyle(*request)));
    Leave();
    return answer;
}

void COrlaKavoModule::OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total)
{
    Enter();
    CKavoModule::OnProgress(command, param, done, total);
    AskKavoListeners(
        this, [&](IQzKavoUser* l) { return l->OnKavoProgress(kKavoLevelModule, this, command, param, done, total); });
    Leave();
}

void COrlaKavoModule::OnChildAdded(CKavoBase* child)
{
    Enter();
    CKavoModule::OnChildAdded(child);
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoChildAdded(kKavoLevelSource, child); });
    Leave();
}

void COrlaKavoModule::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    Enter();
    CKavoModule::OnCapabilityChanged(cap, kind);
    AskKavoListeners(this,
                     [&](IQzKavoUser* l) { return l->OnKavoCapabilityChanged(kKavoLevelModule, this, cap, kind); });
    Leave();
}

// ---- Source ---------------------------------------------------------------------------

CKavoBase* COrlaKavoSource::CreateChildObject(uint32_t)
{
    return new (std::nothrow) COrlaKavoItem();
}

IQzKavoUser* COrlaKavoSource::GetNextListener(IQzKavoUser* previous)
{
    return NextKavoListener(listener_, GetParent(), previous);
}

void COrlaKavoSource::OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total)
{
    Enter();
    CKavoSource::OnProgress(command, param, done, total);
    AskKavoListeners(
        this, [&](IQzKavoUser* l) { return l->OnKavoProgress(kKavoLevelSource, this, command, param, done, total); });
    Leave();
}

void COrlaKavoSource::OnChildAdded(CKavoBase* child)
{
    Enter();
    CKavoSource::OnChildAdded(child);
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoChildAdded(kKavoLevelItem, child); });
    Leave();
}

void COrlaKavoSource::OnRemoved()
{
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoRemoved(kKavoLevelSource, this); });
    CKavoSource::OnRemoved();
}

void COrlaKavoSource::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    Enter();
    CKavoSource::OnCapabilityChanged(cap, kind);
    AskKavoListeners(this,
                     [&](IQzKavoUser* l) { return l->OnKavoCapabilityChanged(kKavoLevelSource, this, cap, kind); });
    Leave();
}

// ---- Item -----------------------------------------------------------------------------

CKavoBase* COrlaKavoItem::CreateChildObject(uint32_t id)
{
    if (id == kKavoDataKindImage)
        return new (std::nothrow) COrlaKavoImage();
    return CKavoItem::CreateChildObject(id);
}

IQzKavoUser* COrlaKavoItem::GetNextListener(IQzKavoUser* previous)
{
    return NextKavoListener(listener_, GetParent(), previous);
}

void COrlaKavoItem::OnProgress(uint32_t command, uint32_t param, uint32_t done, uint32_t total)
{
    Enter();
    CKavoItem::OnProgress(command, param, done, total);
    AskKavoListeners(this,
                 [&](IQzKavoUser* l) { return l->OnKavoProgress(kKavoLevelItem, this, command, param, done, total); });
    Leave();
}

void COrlaKavoItem::OnRemoved()
{
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoRemoved(kKavoLevelItem, this); });
    CKavoItem::OnRemoved();
}

void COrlaKavoItem::OnCapabilityChanged(uint32_t cap, uint32_t kind)
{
    Enter();
    CKavoItem::OnCapabilityChanged(cap, kind);
    AskKavoListeners(this, [&](IQzKavoUser* l) { return l->OnKavoCapabilityChanged(kKavoLevelItem, this, cap, kind); });
    Leave();
}
