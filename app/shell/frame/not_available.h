// For commands whose dialog or partner program is not part of Tessaline yet:
// a message box saying "<what> is not available in this version.", so that
// the command is never silently ignored.
#pragma once

void ReportNotAvailable(const char* what);
