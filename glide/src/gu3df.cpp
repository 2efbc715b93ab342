// gu3dfGetInfo and gu3dfLoad: 3DF texture files from disk. Like the real
// library they need no board and no grGlideInit.
#include "gu3df.h"
#include "trace.h"

FX_ENTRY FxBool FX_CALL gu3dfGetInfo(const char* filename, Gu3dfInfo* info)
{
    TRACE("gu3dfGetInfo(\"%s\", ptr)", traceStr(filename));
    if (!filename || !info)
        return FXFALSE;
    FILE* f = fopen(filename, "rb");
    if (!f)
        return FXFALSE;
    bool ok = gu3dfReadInfo(f, info);
    fclose(f);
    return ok ? FXTRUE : FXFALSE;
}

FX_ENTRY FxBool FX_CALL gu3dfLoad(const char* filename, Gu3dfInfo* info)
{
    TRACE("gu3dfLoad(\"%s\", ptr)", traceStr(filename));
    if (!filename || !info)
        return FXFALSE;
    FILE* f = fopen(filename, "rb");
    if (!f)
        return FXFALSE;
    // The file's own header must still be sound; the texels are then read as
    // the caller's header describes them.
    Gu3dfInfo fileInfo;
    bool ok = gu3dfReadHeader(f, &fileInfo) && gu3dfReadData(f, info);
    fclose(f);
    return ok ? FXTRUE : FXFALSE;
}
