// Resources embedded in the main executable by ombrix_add_resource (see
// cmake/OmbrixResources.cmake): ELF notes with the owner "Ombrix", found in
// the program's PT_NOTE segments. The engine library's own notes are never
// searched, only the program's.
#include <elf.h>
#include <link.h>
#include <string.h>

#include "core/core.h"

static const uint32_t resourceNoteType = 0x4f425852;

struct ResourceQuery {
    uint16_t id;
    const char* typeName;
    const uint8_t* data;
    uint32_t size;
    int found;
};

static uint32_t readU32(const uint8_t* p)
{
    uint32_t v;
    memcpy(&v, p, sizeof v);
    return v;
}

static size_t align4(size_t n)
{
    return (n + 3) & ~(size_t)3;
}

// Looks for the resource in one note segment; returns 1 when found.
static int resourceSearchNotes(const uint8_t* notes, size_t length, ResourceQuery* query)
{
    size_t at = 0;
    while (length - at >= 12) {
        uint32_t nameSize = readU32(notes + at);
        uint32_t descSize = readU32(notes + at + 4);
        uint32_t type = readU32(notes + at + 8);
        size_t name = at + 12;
        if (align4(nameSize) > length - name)
            return 0;
        size_t desc = name + align4(nameSize);
        if (align4(descSize) > length - desc)
            return 0;
        if (type == resourceNoteType && nameSize == 7 && memcmp(notes + name, "Ombrix", 7) == 0 &&
            descSize >= 8) {
            const uint8_t* d = notes + desc;
            uint32_t id = readU32(d);
            uint32_t size = readU32(d + 4);
            const char* typeName = (const char*)(d + 8);
            size_t typeRoom = descSize - 8;
            size_t typeLength = strnlen(typeName, typeRoom);
            if (typeLength < typeRoom) {
                size_t dataAt = 8 + align4(typeLength + 1);
                if (dataAt <= descSize && size <= descSize - dataAt && id == query->id &&
                    strcmp(typeName, query->typeName) == 0) {
                    query->data = d + dataAt;
                    query->size = size;
                    query->found = 1;
                    return 1;
                }
            }
        }
        at = desc + align4(descSize);
    }
    return 0;
}

static int resourceSearchProgram(struct dl_phdr_info* info, size_t, void* data)
{
    ResourceQuery* query = (ResourceQuery*)data;
    for (int i = 0; i < info->dlpi_phnum && !query->found; i++) {
        const ElfW(Phdr)* ph = &info->dlpi_phdr[i];
        if (ph->p_type == PT_NOTE)
            resourceSearchNotes((const uint8_t*)(info->dlpi_addr + ph->p_vaddr), ph->p_memsz,
                                query);
    }
    return 1;   // the first entry is the main program: stop there
}

const void* resourceRead(uint16_t id, const char* typeName, uint32_t* outSize)
{
    ResourceQuery query = {id, typeName, NULL, 0, 0};
    if (typeName)
        dl_iterate_phdr(resourceSearchProgram, &query);
    if (outSize)
        *outSize = query.size;
    if (!query.found || query.size == 0)
        return NULL;
    return query.data;
}
