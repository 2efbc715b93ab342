// Takeover candidates: the records of each texture unit in list order, with
// two max-trees over their slot sizes (every resident record, and those not
// used in the last rendered frame), so that the record a walk of the list
// would choose is found in a number of steps that grows with the logarithm of
// the list, not with the list. A landscape brings tens of thousands of light
// maps; walking them for every takeover made small texture memories crawl.
//
// The trees follow the records lazily: a record marked used since it last
// entered a tree keeps its place there and is corrected when a search meets
// it. Everything that makes a record a better candidate (a slot gained, a
// mark cleared at the end of a frame) updates the trees at once, so a search
// never misses one.
#include <stdlib.h>
#include <string.h>

#include "core/core.h"
#include "texture/texture.h"

// A leaf of a record that is no candidate.
static const int32_t noSlot = INT32_MIN;

typedef struct VictimUnit {
    TextureRecord** records;   // in the order they joined the list, oldest first
    int32_t* anyUse;           // max-tree: leaf = slotSize of a resident record
    int32_t* unused;           // max-tree: leaf = slotSize of a resident record not used recently
    uint32_t count;
    uint32_t capacity;   // leaves per tree, a power of two
} VictimUnit;

// Where each known record sits: open addressing on the record's address,
// value = unit << 31 | index.
typedef struct VictimPlaces {
    const TextureRecord** keys;
    uint32_t* values;
    uint32_t capacity;   // a power of two
    uint32_t count;
} VictimPlaces;

static struct {
    VictimUnit units[2];
    VictimPlaces places;
    TextureRecord* knownHead;   // the list's head when it was last looked at
    int built;                  // 0 until the first search: frames without takeovers pay nothing
    TextureRecord** arrivals;   // scratch for records new to the list
    size_t arrivalCapacity;
} victims;

static uint32_t placeSlot(const VictimPlaces* places, const TextureRecord* record)
{
    uint64_t h = ((uint64_t)(uintptr_t)record >> 4) * 0x9E3779B97F4A7C15ull;
    return (uint32_t)(h >> 32) & (places->capacity - 1);
}

// The place of a record, or UINT32_MAX when it is not known.
static uint32_t placeFind(const TextureRecord* record)
{
    const VictimPlaces* places = &victims.places;
    if (places->count == 0)
        return UINT32_MAX;
    for (uint32_t i = placeSlot(places, record);; i = (i + 1) & (places->capacity - 1)) {
        if (places->keys[i] == record)
            return places->values[i];
        if (!places->keys[i])
            return UINT32_MAX;
    }
}

static void placeStore(VictimPlaces* places, const TextureRecord* record, uint32_t value)
{
    uint32_t i = placeSlot(places, record);
    while (places->keys[i])
        i = (i + 1) & (places->capacity - 1);
    places->keys[i] = record;
    places->values[i] = value;
    places->count++;
}

// Room for one more place, at most three quarters full; 0 when memory runs out.
static int placesReserve(void)
{
    VictimPlaces* places = &victims.places;
    if ((uint64_t)(places->count + 1) * 4 <= (uint64_t)places->capacity * 3)
        return 1;
    VictimPlaces grown;
    grown.capacity = places->capacity ? places->capacity * 2 : 1024;
    grown.count = 0;
    grown.keys = (const TextureRecord**)calloc(grown.capacity, sizeof *grown.keys);
    grown.values = (uint32_t*)malloc(grown.capacity * sizeof *grown.values);
    if (!grown.keys || !grown.values) {
        free(grown.keys);
        free(grown.values);
        return 0;
    }
    for (uint32_t i = 0; i < places->capacity; i++) {
        if (places->keys[i])
            placeStore(&grown, places->keys[i], places->values[i]);
    }
    free(places->keys);
    free(places->values);
    *places = grown;
    return 1;
}

static void treeSet(int32_t* tree, uint32_t capacity, uint32_t index, int32_t value)
{
    uint32_t node = capacity + index;
    tree[node] = value;
    for (node >>= 1; node >= 1; node >>= 1) {
        int32_t left = tree[2 * node], right = tree[2 * node + 1];
        int32_t most = left > right ? left : right;
        if (tree[node] == most)
            break;   // nothing above changes either
        tree[node] = most;
    }
}

// The newest leaf holding at least `atLeast`, or UINT32_MAX.
static uint32_t treeNewest(const int32_t* tree, uint32_t capacity, int32_t atLeast)
{
    if (capacity == 0 || tree[1] < atLeast)
        return UINT32_MAX;
    uint32_t node = 1;
    while (node < capacity)
        node = tree[2 * node + 1] >= atLeast ? 2 * node + 1 : 2 * node;
    return node - capacity;
}

static void treeBuild(int32_t* tree, uint32_t capacity)
{
    for (uint32_t node = capacity - 1; node >= 1; node--) {
        int32_t left = tree[2 * node], right = tree[2 * node + 1];
        tree[node] = left > right ? left : right;
    }
}

// Room for one more record on a unit; 0 when memory runs out.
static int unitReserve(VictimUnit* u)
{
    if (u->count < u->capacity)
        return 1;
    uint32_t capacity = u->capacity ? u->capacity * 2 : 256;
    TextureRecord** records = (TextureRecord**)realloc(u->records, capacity * sizeof *records);
    if (records)
        u->records = records;
    int32_t* anyUse = (int32_t*)malloc(2 * (size_t)capacity * sizeof *anyUse);
    int32_t* unused = (int32_t*)malloc(2 * (size_t)capacity * sizeof *unused);
    if (!records || !anyUse || !unused) {
        free(anyUse);
        free(unused);
        return 0;
    }
    for (uint32_t i = 0; i < capacity; i++) {
        anyUse[capacity + i] = i < u->count ? u->anyUse[u->capacity + i] : noSlot;
        unused[capacity + i] = i < u->count ? u->unused[u->capacity + i] : noSlot;
    }
    treeBuild(anyUse, capacity);
    treeBuild(unused, capacity);
    free(u->anyUse);
    free(u->unused);
    u->anyUse = anyUse;
    u->unused = unused;
    u->capacity = capacity;
    return 1;
}

// Both leaves of a record as its fields say now.
static void leavesSet(VictimUnit* u, uint32_t index)
{
    const TextureRecord* t = u->records[index];
    int32_t slot = t->resident ? t->slotSize : noSlot;
    treeSet(u->anyUse, u->capacity, index, slot);
    treeSet(u->unused, u->capacity, index, t->usedRecently ? noSlot : slot);
}

static void leavesSetOf(const TextureRecord* t)
{
    uint32_t place = placeFind(t);
    if (place != UINT32_MAX)
        leavesSet(&victims.units[place >> 31], place & 0x7FFFFFFFu);
}

// Records pushed onto the list since it was last looked at join their unit,
// oldest first, so that the newest record has the highest index.
static void victimsNoteNewRecords(void)
{
    size_t n = 0;
    for (TextureRecord* t = textures.list; t && t != victims.knownHead; t = t->next) {
        if (placeFind(t) != UINT32_MAX)
            continue;   // known already (the list's head was taken off again)
        if (n == victims.arrivalCapacity) {
            size_t capacity = n ? n * 2 : 256;
            TextureRecord** grown =
                (TextureRecord**)realloc(victims.arrivals, capacity * sizeof *grown);
            if (!grown)
                return;   // looked at again by the next search
            victims.arrivals = grown;
            victims.arrivalCapacity = capacity;
        }
        victims.arrivals[n++] = t;
    }
    while (n > 0) {
        TextureRecord* t = victims.arrivals[--n];
        int unit = textureUnit(t);
        VictimUnit* u = &victims.units[unit];
        if (!unitReserve(u) || !placesReserve())
            return;
        uint32_t index = u->count++;
        u->records[index] = t;
        placeStore(&victims.places, t, (uint32_t)unit << 31 | index);
        leavesSet(u, index);
    }
    victims.knownHead = textures.list;
}

// The newest record of a tree whose slot holds at least `need` and that the
// test accepts; leaves found out of date on the way are corrected.
static TextureRecord* treeSearch(VictimUnit* u, int32_t* tree, int32_t need, int unusedOnly)
{
    for (;;) {
        uint32_t index = treeNewest(tree, u->capacity, need);
        if (index == UINT32_MAX)
            return NULL;
        textures.victimChecks++;
        TextureRecord* t = u->records[index];
        if (t->resident && t->slotSize == tree[u->capacity + index] &&
            !(unusedOnly && t->usedRecently))
            return t;
        leavesSet(u, index);
    }
}

TextureRecord* textureVictimFind(const TextureRecord* texture, int unit)
{
    victims.built = 1;
    victimsNoteNewRecords();
    VictimUnit* u = &victims.units[unit];
    // A size at the very bottom of the range asks for any slot at all.
    int32_t need = texture->size > noSlot ? texture->size : noSlot + 1;
    TextureRecord* victim = treeSearch(u, u->unused, need, 1);
    return victim ? victim : treeSearch(u, u->anyUse, need, 0);
}

void textureVictimTaken(TextureRecord* victim, TextureRecord* texture)
{
    leavesSetOf(victim);
    leavesSetOf(texture);
}

void textureVictimUnused(const TextureRecord* texture)
{
    if (victims.built)
        leavesSetOf(texture);
}

void textureVictimsReset(void)
{
    for (int unit = 0; unit < 2; unit++)
        victims.units[unit].count = 0;
    for (int unit = 0; unit < 2; unit++) {
        VictimUnit* u = &victims.units[unit];
        for (uint32_t node = 1; node < 2 * u->capacity; node++)
            u->anyUse[node] = u->unused[node] = noSlot;
    }
    if (victims.places.capacity)
        memset(victims.places.keys, 0, victims.places.capacity * sizeof *victims.places.keys);
    victims.places.count = 0;
    victims.knownHead = NULL;
    victims.built = 0;
}
