// Resources of the running program on Windows: real Win32 resources, linked
// into the executable from a .rc file (see cmake/OmbrixResources.cmake). Only
// the executable's own are searched, never the engine DLL's.
#include <windows.h>

#include "core/core.h"

const void* resourceRead(uint16_t id, const char* typeName, uint32_t* outSize)
{
    if (outSize)
        *outSize = 0;
    if (!typeName)
        return NULL;
    HMODULE program = GetModuleHandleA(NULL);
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), typeName);
    if (!found)
        return NULL;
    DWORD size = SizeofResource(program, found);
    if (outSize)
        *outSize = size;
    if (size == 0)
        return NULL;
    HGLOBAL loaded = LoadResource(program, found);
    return loaded ? LockResource(loaded) : NULL;
}
