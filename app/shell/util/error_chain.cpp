#include "app/shell/util/error_chain.h"

#include "Vorlat/VorlatError.h"

namespace shell {

bool ErrorChainHasValue(const IVorlatError* chain, int32_t value)
{
    for (const IVorlatError* frame = chain; frame; frame = frame->Next())
        if (frame->GetValue() == value)
            return true;
    return false;
}

}  // namespace shell
