// The program's document templates: while the imaging engine could not be
// initialised (the start-up error 6145 or 6146 is set), every document that
// would be created or opened through them is refused with that message.
#pragma once

#include "clx/doctemplate.h"

class COrlaDocTemplate : public CMultiDocTemplate {
public:
    using CMultiDocTemplate::CMultiDocTemplate;
    CDocument* OpenDocumentFile(const char* path, BOOL visible = TRUE) override;
};
