// The update tool's one application object; the class library's WinMain runs it.
#include "updater/win/fixwell_app.h"

CFixwellApp theApp;
