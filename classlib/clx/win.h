#pragma once
// Every classlib header reaches Windows through here, so the whole program is
// built with the same view of the API: ANSI, strict handles, comctl32 v5 sizes.
#if defined(UNICODE) || defined(_UNICODE)
#error "classlib is an ANSI library: build without UNICODE/_UNICODE"
#endif
#ifndef STRICT
#define STRICT
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif
#ifndef _WIN32_IE
#define _WIN32_IE 0x0501
#endif
#include <windows.h>
#include <commctrl.h>
