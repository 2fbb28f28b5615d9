#pragma once
// A bounded cursor over the bytes of a file: every read checks the end, so a
// damaged or lying header cannot lead a loader outside its data.
#include <cstddef>
#include <cstdint>
#include <cstring>

class imgBytes
{
public:
    imgBytes(const uint8_t* data, size_t size) : d_(data), n_(size) {}

    size_t size() const { return n_; }
    size_t pos() const { return p_; }
    size_t left() const { return p_ < n_ ? n_ - p_ : 0; }
    bool has(size_t k) const { return left() >= k; }
    const uint8_t* here() const { return d_ + (p_ < n_ ? p_ : n_); }
    const uint8_t* at(size_t offset) const { return d_ + offset; }

    bool seek(size_t offset)
    {
        if (offset > n_)
            return false;
        p_ = offset;
        return true;
    }
    bool skip(size_t k)
    {
        if (!has(k))
            return false;
        p_ += k;
        return true;
    }
    bool read(void* out, size_t k)
    {
        if (!has(k))
            return false;
        std::memcpy(out, d_ + p_, k);
        p_ += k;
        return true;
    }
    // Reads of numbers: false at the end (the value is then 0).
    bool u8(uint32_t& v) { return num(v, 1, false); }
    bool le16(uint32_t& v) { return num(v, 2, false); }
    bool le32(uint32_t& v) { return num(v, 4, false); }
    bool be16(uint32_t& v) { return num(v, 2, true); }
    bool be32(uint32_t& v) { return num(v, 4, true); }

    static uint32_t getLE16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
    static uint32_t getLE32(const uint8_t* p) { return getLE16(p) | getLE16(p + 2) << 16; }
    static uint32_t getBE16(const uint8_t* p) { return uint32_t(p[0]) << 8 | uint32_t(p[1]); }
    static uint32_t getBE32(const uint8_t* p) { return getBE16(p) << 16 | getBE16(p + 2); }

private:
    bool num(uint32_t& v, int bytes, bool big)
    {
        v = 0;
        if (!has(size_t(bytes)))
            return false;
        for (int i = 0; i < bytes; ++i)
            v |= uint32_t(d_[p_ + i]) << (8 * (big ? bytes - 1 - i : i));
        p_ += size_t(bytes);
        return true;
    }

    const uint8_t* d_;
    size_t n_;
    size_t p_ = 0;
};
