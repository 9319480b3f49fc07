// What the tree's files share beyond their headers.
#pragma once

#include <cstdint>

// Brackets a call into the module's entry point, so that removals asked for
// meanwhile wait until it has returned.
class CKavoModuleCallScope {
public:
    CKavoModuleCallScope();
    ~CKavoModuleCallScope();
    CKavoModuleCallScope(const CKavoModuleCallScope&) = delete;
    CKavoModuleCallScope& operator=(const CKavoModuleCallScope&) = delete;
};
