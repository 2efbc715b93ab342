// libFuzzer target for the 3DF reader: any bytes as a file, read the way
// gu3dfGetInfo and gu3dfLoad read one, then once more with a caller header
// taken from the input, as a careless caller might pass it.
#include "gu3df.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f)
        return 0;
    Gu3dfInfo info;
    memset(&info, 0, sizeof info);
    if (gu3dfReadInfo(f, &info)) {
        // A file that passes has room for every texel it promises.
        if (info.mem_required > size)
            __builtin_trap();
        std::vector<uint8_t> texels(info.mem_required);
        info.data = texels.data();
        rewind(f);
        Gu3dfInfo fileInfo;
        if (!gu3dfReadHeader(f, &fileInfo) || !gu3dfReadData(f, &info))
            __builtin_trap();

        // The same file read with a header made from its last bytes.
        Gu3dfInfo other = info;
        other.header.small_lod = int8_t(data[size - 1]) % 13;
        other.header.large_lod = int8_t(data[size / 2]) % 13;
        other.header.aspect_ratio = int8_t(data[size / 3]) % 5;
        other.header.format = data[size / 4] % 20;
        rewind(f);
        if (gu3dfReadHeader(f, &fileInfo))
            gu3dfReadData(f, &other);
    }
    fclose(f);
    return 0;
}
