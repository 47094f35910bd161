#include "PK/Memory.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>

namespace {

// The master pointer lives at the start of its own small record, so a handle
// (the address of that pointer) also identifies the record.
struct Block {
    char* data = nullptr;
    PK::Int32 size = 0;
};

struct Registry {
    std::unordered_set<const void*> live;
    PK::USize invalidFrees = 0;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

Block* FindLive(PKHandle handle) {
    if (handle == nullptr) return nullptr;
    auto& live = TheRegistry().live;
    if (live.find(handle) == live.end()) return nullptr;
    return reinterpret_cast<Block*>(handle);
}

char* AllocateBytes(PK::Int32 size) {
    // One byte even for an empty block, so the master pointer is never null.
    return static_cast<char*>(std::calloc(static_cast<std::size_t>(size > 0 ? size : 1), 1));
}

}  // namespace

PKHandle BMAllocateHandle(PK::Int32 size, PK::Int32 reqFlags, PK::Int32 /*actionCode*/) {
    if (size < 0) return nullptr;
    auto block = std::make_unique<Block>();
    block->data = AllocateBytes(size);  // always cleared: cheaper to reason about than garbage
    if (block->data == nullptr) return nullptr;
    (void)reqFlags;
    block->size = size;
    PKHandle handle = &block.release()->data;
    TheRegistry().live.insert(handle);
    return handle;
}

PKErrCode BMKillHandle(PKHandle* handle) {
    if (handle == nullptr || *handle == nullptr) return PK::NoError;
    Block* block = FindLive(*handle);
    if (block == nullptr) {
        ++TheRegistry().invalidFrees;
        return PK::BadData;
    }
    TheRegistry().live.erase(*handle);
    std::free(block->data);
    delete block;
    *handle = nullptr;
    return PK::NoError;
}

PK::Int32 BMGetHandleSize(PKHandle handle) {
    Block* block = FindLive(handle);
    return block == nullptr ? 0 : block->size;
}

PKErrCode BMReallocHandle(PKHandle handle, PK::Int32 newSize) {
    Block* block = FindLive(handle);
    if (block == nullptr || newSize < 0) return PK::BadData;
    char* data = AllocateBytes(newSize);
    if (data == nullptr) return PK::Error;
    std::memcpy(data, block->data, static_cast<std::size_t>(std::min(block->size, newSize)));
    std::free(block->data);
    block->data = data;
    block->size = newSize;
    return PK::NoError;
}

PKErrCode BMPtrToHandle(const void* source, PKHandle* handle, PK::Int32 size) {
    if (handle == nullptr || size < 0 || (source == nullptr && size > 0)) return PK::BadData;
    PKHandle result = BMAllocateHandle(size, 0, 0);
    if (result == nullptr) return PK::Error;
    if (size > 0) std::memcpy(*result, source, static_cast<std::size_t>(size));
    *handle = result;
    return PK::NoError;
}

PKErrCode BMHandleToHandle(PKHandle source, PKHandle* destination) {
    Block* block = FindLive(source);
    if (block == nullptr || destination == nullptr) return PK::BadData;
    return BMPtrToHandle(block->data, destination, block->size);
}

void BNCopyMemory(void* destination, const void* source, PK::USize size) {
    if (size > 0) std::memmove(destination, source, size);
}

void BNClear(void* destination, PK::USize size) {
    if (size > 0) std::memset(destination, 0, size);
}

namespace PK::MemoryDebug {
USize GetLiveHandleCount() { return TheRegistry().live.size(); }
USize GetInvalidFreeCount() { return TheRegistry().invalidFrees; }
void ResetInvalidFreeCount() { TheRegistry().invalidFrees = 0; }
}  // namespace PK::MemoryDebug
