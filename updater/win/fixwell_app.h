// Fixwell's application object: all its work is done in InitInstance, which
// returns FALSE so that the process ends when the update is done.
#pragma once

#include "clx/app.h"

class CFixwellApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
