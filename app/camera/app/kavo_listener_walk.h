// The walk over the listeners of an application camera object and of the
// objects above it, shared by the module, source, item and image classes.
#pragma once

#include <algorithm>
#include <vector>

#include "app/camera/app/kavo_user.h"
#include "app/camera/tree/kavo_base.h"

// Asks the listeners of the object and of those above it, nearest first,
// until one answers 0: the order of GetNextListener. The walk goes by the
// objects rather than by the listeners, so that the same listener set at two
// levels is asked once and the walk still goes on past it.
template <typename Notify>
void AskKavoListeners(CKavoBase* object, Notify notify)
{
    std::vector<IQzKavoUser*> asked;
    for (CKavoBase* at = object; at; at = at->GetParent()) {
        auto* chain = dynamic_cast<IKavoListenerChain*>(at);
        IQzKavoUser* listener = chain ? chain->GetOwnListener() : nullptr;
        if (!listener || std::find(asked.begin(), asked.end(), listener) != asked.end())
            continue;
        asked.push_back(listener);
        if (!notify(listener))
            return;
    }
}

// GetNextListener of an object with its own listener below the parent.
inline IQzKavoUser* NextKavoListener(IQzKavoUser* own, CKavoBase* parent, IQzKavoUser* previous)
{
    auto* chain = dynamic_cast<IKavoListenerChain*>(parent);
    if (!previous)
        return own ? own : chain ? chain->GetNextListener(nullptr) : nullptr;
    if (previous == own)
        return chain ? chain->GetNextListener(nullptr) : nullptr;
    return chain ? chain->GetNextListener(previous) : nullptr;
}
