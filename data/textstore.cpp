#include "data/textstore.h"

#include "data/blockpool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

static_assert(BlockPool::kBlockBytes == (2u << 20));

TextStore::Ref TextStore::Append(const char* text, std::size_t length) {
    if (length > kLongText) {
        if (large_.size() >= kLarge) throw std::length_error("too many long texts");
        large_.emplace_back(text, length);
        return Ref(large_.size() - 1) | kLarge;
    }
    const auto n = std::uint32_t(length);
    if (blocks_.empty() && heapUsed_ + n < kHeapBytes) {
        if (heapUsed_ + n > heapCap_) {
            const std::uint32_t cap =
                std::min(kHeapBytes, std::max({heapUsed_ + n, heapCap_ * 2, 1024u}));
            void* grown = std::realloc(heap_, cap);
            if (!grown) throw std::bad_alloc();
            heap_ = static_cast<char*>(grown);
            heapCap_ = cap;
        }
        const Ref ref = heapUsed_;
        if (n) std::memcpy(heap_ + heapUsed_, text, n);
        heapUsed_ += n;
        return ref;
    }
    if (blocks_.empty() || blockUsed_ + n > kBlockBytes) {
        if (kHeapBytes + std::uint64_t(blocks_.size() + 1) * kBlockBytes > kLarge)
            throw std::length_error("the texts do not fit in the store");
        blocks_.push_back(static_cast<char*>(BlockPool::Take()));
        blockUsed_ = 0;
    }
    const Ref ref = kHeapBytes + std::uint32_t(blocks_.size() - 1) * kBlockBytes + blockUsed_;
    if (n) std::memcpy(blocks_.back() + blockUsed_, text, n);
    blockUsed_ += n;
    return ref;
}

void TextStore::Clear() {
    std::free(heap_);
    heap_ = nullptr;
    heapCap_ = heapUsed_ = 0;
    for (char* block : blocks_)
        BlockPool::Give(block);
    blocks_.clear();
    blockUsed_ = 0;
    large_.clear();
}

std::size_t TextStore::Bytes() const {
    std::size_t bytes = heapCap_ + blocks_.size() * std::size_t(kBlockBytes);
    for (const std::string& text : large_)
        bytes += text.size();
    return bytes;
}

void TextStore::swap(TextStore& other) noexcept {
    std::swap(heap_, other.heap_);
    std::swap(heapCap_, other.heapCap_);
    std::swap(heapUsed_, other.heapUsed_);
    blocks_.swap(other.blocks_);
    std::swap(blockUsed_, other.blockUsed_);
    large_.swap(other.large_);
}

TextStore& TextStore::operator=(const TextStore& other) {
    if (this == &other) return *this;
    Clear();
    // The same references: the heap part, each block and each long text copied as it is.
    if (other.heapCap_) {
        heap_ = static_cast<char*>(std::malloc(other.heapCap_));
        if (!heap_) throw std::bad_alloc();
        std::memcpy(heap_, other.heap_, other.heapUsed_);
        heapCap_ = other.heapCap_;
        heapUsed_ = other.heapUsed_;
    }
    for (std::size_t b = 0; b < other.blocks_.size(); ++b) {
        blocks_.push_back(static_cast<char*>(BlockPool::Take()));
        const std::size_t used = b + 1 == other.blocks_.size() ? other.blockUsed_ : kBlockBytes;
        std::memcpy(blocks_.back(), other.blocks_[b], used);
    }
    blockUsed_ = other.blockUsed_;
    large_ = other.large_;
    return *this;
}
