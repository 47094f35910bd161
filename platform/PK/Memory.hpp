#pragma once
// Relocatable memory blocks of the class library. A handle is a pointer to
// the block's master pointer, so the block can move while the handle stays.
// Every live block is tracked: tests read the live count to catch leaks, and
// freeing a handle that is not live is refused and counted instead of
// corrupting the heap.
#include "PK/Types.hpp"

using PKHandle = char**;
using PKPtr = char*;

// Request flags of BMAllocateHandle.
constexpr PK::Int32 ALLOCATE_CLEAR = 2;  // the new block is filled with zeros

// A new block of size bytes (zeroed when reqFlags holds ALLOCATE_CLEAR), or
// nullptr for a negative size. actionCode is accepted for the host's
// signature and ignored.
PKHandle BMAllocateHandle(PK::Int32 size, PK::Int32 reqFlags, PK::Int32 actionCode);
// Frees the block and sets *handle to nullptr. A null handle is a no-op;
// a handle that is not live (already freed, never allocated) is refused
// with PK::BadData and left untouched.
PKErrCode BMKillHandle(PKHandle* handle);
// The size of a live block in bytes; 0 for nullptr or a handle that is not live.
PK::Int32 BMGetHandleSize(PKHandle handle);
// Resizes a live block, keeping its leading bytes; new bytes are zero.
PKErrCode BMReallocHandle(PKHandle handle, PK::Int32 newSize);
// A new block holding a copy of size bytes at source (source may be nullptr when size is 0).
PKErrCode BMPtrToHandle(const void* source, PKHandle* handle, PK::Int32 size);
// A new block holding a copy of the live block source.
PKErrCode BMHandleToHandle(PKHandle source, PKHandle* destination);
void BNCopyMemory(void* destination, const void* source, PK::USize size);
void BNClear(void* destination, PK::USize size);

namespace PK::MemoryDebug {
// Blocks allocated and not yet freed, process-wide.
USize GetLiveHandleCount();
// BMKillHandle calls refused because the handle was not live (double frees).
USize GetInvalidFreeCount();
void ResetInvalidFreeCount();
}  // namespace PK::MemoryDebug
