// The reader the 3DS parser reads through: an open file or a block of memory,
// chosen once per parse. Neither kind reads or seeks past the size it was
// given, so the parser's checks hold for both alike.
#include <string.h>

#include "object/object.h"

void chunkReaderFile(ChunkReader* reader, FILE* file, uint32_t size)
{
    memset(reader, 0, sizeof *reader);
    reader->kind = CHUNK_READER_FILE;
    reader->file = file;
    reader->size = size;
}

void chunkReaderMemory(ChunkReader* reader, const void* data, uint32_t size)
{
    memset(reader, 0, sizeof *reader);
    reader->kind = CHUNK_READER_MEMORY;
    reader->data = (const uint8_t*)data;
    reader->size = size;
}

int chunkRead(ChunkReader* reader, void* destination, uint32_t byteCount)
{
    if (byteCount > reader->size - reader->position)
        return 0;
    // Nothing to read is no error (a list of zero entries), although
    // fread(p, 0, 1, f) would report no item read.
    if (byteCount == 0)
        return 1;
    if (reader->kind == CHUNK_READER_FILE) {
        if (fread(destination, byteCount, 1, reader->file) != 1)
            return 0;
    } else {
        memcpy(destination, reader->data + reader->position, byteCount);
    }
    reader->position += byteCount;
    return 1;
}

int chunkSeek(ChunkReader* reader, uint32_t position)
{
    if (position > reader->size)
        return 0;
    if (reader->kind == CHUNK_READER_FILE && fseek(reader->file, (long)position, SEEK_SET) != 0)
        return 0;
    reader->position = position;
    return 1;
}

uint32_t chunkTell(const ChunkReader* reader)
{
    return reader->position;
}
