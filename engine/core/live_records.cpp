// Records the application may delete, kept by debug builds only: deleting one
// twice then stops with the call's name instead of following freed links
// through the world's lists.
#ifndef NDEBUG
#include <stdio.h>
#include <stdlib.h>

#include "core/core.h"

void liveRecordAdd(LiveRecords* set, const void* record)
{
    if (set->count == set->capacity) {
        size_t capacity = set->capacity ? set->capacity * 2 : 64;
        const void** grown = (const void**)realloc(set->items, capacity * sizeof *grown);
        if (!grown) {
            set->unkept++;   // its delete cannot be checked
            return;
        }
        set->items = grown;
        set->capacity = capacity;
    }
    set->items[set->count++] = record;
}

void liveRecordRemove(LiveRecords* set, const void* record, const char* call)
{
    // Newest first: what is deleted is mostly what was made last.
    for (size_t i = set->count; i-- > 0;) {
        if (set->items[i] == record) {
            set->items[i] = set->items[--set->count];
            return;
        }
    }
    if (set->unkept > 0)
        return;
    fprintf(stderr, "%s: %p was deleted already or never created by the engine\n", call, record);
    abort();
}
#endif
