// The public header as the engine itself sees it. The engine is compiled with
// hidden visibility; the exported functions get default visibility here, from
// their declarations, so that the library's version script can export them.
// Engine files include this instead of ombrix.h.
#ifndef OBX_PUBLIC_H
#define OBX_PUBLIC_H

#pragma GCC visibility push(default)
#include "ombrix.h"
#pragma GCC visibility pop

#endif
