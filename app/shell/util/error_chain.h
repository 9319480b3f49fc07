// Looking for one cause in an error chain of the libraries.
#pragma once

#include <cstdint>

class IVorlatError;

namespace shell {

// Whether any frame of the chain carries `value` (1006: a page file failed);
// a null chain carries nothing.
bool ErrorChainHasValue(const IVorlatError* chain, int32_t value);

}  // namespace shell
