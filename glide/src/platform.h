// The few things the device asks of the operating system that the C++
// library does not offer alike on Linux and Windows: aligned blocks, and
// sleeping on a word until another thread changes it.
#ifndef OBX_GLIDE_PLATFORM_H
#define OBX_GLIDE_PLATFORM_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(_WIN32)
#include <malloc.h>
#include <windows.h>
#else
#include <climits>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// A block of size bytes starting on a multiple of alignment (a power of two);
// given back with alignedFree only.
inline void* alignedAlloc(size_t alignment, size_t size)
{
#if defined(_WIN32)
    return _aligned_malloc(size, alignment);
#else
    return aligned_alloc(alignment, (size + alignment - 1) & ~(alignment - 1));
#endif
}

inline void alignedFree(void* memory)
{
#if defined(_WIN32)
    _aligned_free(memory);
#else
    free(memory);
#endif
}

// Sleeps while *word still holds value (it may also wake for no reason).
inline void wordWait(std::atomic<uint32_t>* word, uint32_t value)
{
#if defined(_WIN32)
    WaitOnAddress((volatile void*)word, &value, sizeof value, INFINITE);
#else
    syscall(SYS_futex, (uint32_t*)word, FUTEX_WAIT_PRIVATE, value, nullptr, nullptr, 0);
#endif
}

// Wakes every thread sleeping on word.
inline void wordWakeAll(std::atomic<uint32_t>* word)
{
#if defined(_WIN32)
    WakeByAddressAll((void*)word);
#else
    syscall(SYS_futex, (uint32_t*)word, FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
#endif
}

#endif
