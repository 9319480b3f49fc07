// The program's one application object; the class library's WinMain runs it.
#include "app/shell/program/orla_app.h"

COrlaApp theApp;
