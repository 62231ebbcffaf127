#pragma once
// The texts of a long result or list, as UTF-8, one after another: a short
// one on the heap, a long one in blocks of the block pool. Each text is
// found again by the reference Append gave; it never lies across two blocks.
// A text read from the store holds until the store next grows.

#include <QByteArrayView>
#include <cstdint>
#include <string>
#include <vector>

class TextStore {
  public:
    using Ref = std::uint32_t;

    TextStore() = default;
    ~TextStore() { Clear(); }
    TextStore(const TextStore& other) { *this = other; }
    TextStore& operator=(const TextStore& other);
    TextStore(TextStore&& other) noexcept { swap(other); }
    TextStore& operator=(TextStore&& other) noexcept {
        if (this != &other) {
            Clear();
            swap(other);
        }
        return *this;
    }

    Ref Append(const char* text, std::size_t length);
    Ref Append(QByteArrayView text) { return Append(text.data(), std::size_t(text.size())); }
    const char* At(Ref ref) const { return const_cast<TextStore*>(this)->MutableAt(ref); }
    char* MutableAt(Ref ref) {
        if (ref < kHeapBytes) return heap_ + ref;
        if (ref & kLarge) return large_[ref & ~kLarge].data();
        const std::uint32_t at = ref - kHeapBytes;
        return blocks_[at / kBlockBytes] + at % kBlockBytes;
    }
    void Clear();
    std::size_t Bytes() const;
    void swap(TextStore& other) noexcept;

  private:
    static constexpr std::uint32_t kHeapBytes = 256 * 1024;
    static constexpr std::uint32_t kBlockBytes = 2u << 20;
    static constexpr std::uint32_t kLarge = 0x80000000u;
    // Texts longer than this have an allocation of their own.
    static constexpr std::size_t kLongText = 64 * 1024;

    char* heap_ = nullptr;
    std::uint32_t heapCap_ = 0, heapUsed_ = 0;
    std::vector<char*> blocks_;
    std::uint32_t blockUsed_ = 0; // in the last block
    std::vector<std::string> large_;
};
