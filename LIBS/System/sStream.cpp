#include "LIBS/System/sStream.h"

#include "LIBS/System/sLog.h"

#include <climits>
#include <cstring>

sStream::sStream(const char* n, int32_t f, bool directMode)
{
    direct = directMode ? 1 : 0;
    open(n, f);
}

sStream::~sStream()
{
    if (!close())
        SLOG_WARNING("sStream: could not write or close \"%s\"", name.c_str());
    releaseBuffer();
}

void sStream::releaseBuffer()
{
    buffer.release();
    size = 0;
}

void sStream::reserveBuffer(int32_t n)
{
    if (n <= buffer.count())
        return;
    if (n > buffer.capacity()) {
        // Geometric growth keeps many small writes linear.
        int32_t cap = buffer.capacity();
        int32_t want = cap > INT32_MAX / 2 ? INT32_MAX : cap * 2;
        buffer.resize(want > n ? want : n);
    }
    buffer.setCount(n);
}

bool sStream::open(const char* n, int32_t f)
{
    if (isOpen && !close())
        SLOG_WARNING("sStream: could not write or close \"%s\"", name.c_str());
    modified = 0;
    flags = f;
    name = n;
    kind = KindFile;
    memory = nullptr;
    memoryWritable = 0;
    position = 0;
    lastCount = 0;
    file = nullptr;
    isOpen = 0;
    releaseBuffer();
    reserveBuffer(1);

    bool named = n && *n;
    if ((f & Read) && named) {
        std::FILE* fp = std::fopen(n, "rb");
        if (!fp) {
            releaseBuffer();
            return false;
        }
        if (direct) {
            file = fp;
            isOpen = 1;
            return true;
        }
        long length = -1;
        if (std::fseek(fp, 0, SEEK_END) == 0)
            length = std::ftell(fp);
        if (length < 0 || length > INT32_MAX - 1 || std::fseek(fp, 0, SEEK_SET) != 0) {
            std::fclose(fp);
            releaseBuffer();
            return false;
        }
        reserveBuffer(static_cast<int32_t>(length) + 1);
        size_t got = length > 0 ? std::fread(buffer.begin(), 1, static_cast<size_t>(length), fp) : 0;
        bool failed = std::ferror(fp) != 0;
        std::fclose(fp);
        if (failed) {
            releaseBuffer();
            return false;
        }
        size = static_cast<int32_t>(got);
        isOpen = 1;
        return true;
    }
    if ((f & Write) && named) {
        releaseBuffer();
        if (direct) {
            file = std::fopen(n, "wb+");
            isOpen = file ? 1 : 0;
        } else {
            isOpen = 1;
        }
        return isOpen != 0;
    }
    releaseBuffer();
    return false;
}

void sStream::attachMemory(const void* p, int32_t length)
{
    if (isOpen && !close())
        SLOG_WARNING("sStream: could not write or close \"%s\"", name.c_str());
    releaseBuffer();
    kind = KindMemory;
    memory = static_cast<uint8_t*>(const_cast<void*>(p));
    memoryWritable = 0;
    flags = Read;
    size = p && length > 0 ? length : 0;
    position = 0;
    lastCount = 0;
    modified = 0;
    isOpen = 1;
}

void sStream::attachMemory(void* p, int32_t length)
{
    attachMemory(static_cast<const void*>(p), length);
    memoryWritable = 1;
}

int32_t sStream::read(void* dst, int32_t n)
{
    lastCount = 0;
    if (!isOpen || n <= 0 || !dst)
        return 0;
    int32_t got = 0;
    if (kind == KindMemory || !direct) {
        const uint8_t* src = kind == KindMemory ? memory : buffer.begin();
        if (position >= size)
            return 0;
        got = n < size - position ? n : size - position;
        std::memcpy(dst, src + position, static_cast<size_t>(got));
    } else {
        got = static_cast<int32_t>(std::fread(dst, 1, static_cast<size_t>(n), file));
    }
    position += got;
    lastCount = got;
    return got;
}

int32_t sStream::getc()
{
    lastCount = 0;
    if (!isOpen)
        return -1;
    if (kind == KindFile && direct) {
        int c = std::fgetc(file);
        if (c != EOF) {
            ++position;
            lastCount = 1;
        }
        return c;
    }
    if (position >= size)
        return -1;
    const uint8_t* src = kind == KindMemory ? memory : buffer.begin();
    int32_t c = static_cast<int8_t>(src[position]);
    ++position;
    lastCount = 1;
    return c;
}

int32_t sStream::write(const void* src, int32_t n)
{
    lastCount = 0;
    if (!isOpen || n <= 0 || !src)
        return 0;
    int32_t put = 0;
    if (kind == KindMemory) {
        if (!memoryWritable || position >= size)
            return 0;
        put = n < size - position ? n : size - position;
        std::memcpy(memory + position, src, static_cast<size_t>(put));
    } else if (direct) {
        put = static_cast<int32_t>(std::fwrite(src, 1, static_cast<size_t>(n), file));
    } else {
        if (n > INT32_MAX - 1 - position)
            return 0;
        modified = 1;
        int32_t end = position + n;
        if (end >= size) {
            reserveBuffer(end + 1);
            size = end;
        }
        std::memcpy(buffer.begin() + position, src, static_cast<size_t>(n));
        put = n;
    }
    position += put;
    lastCount = put;
    return put;
}

int32_t sStream::seek(int32_t offset, int32_t origin)
{
    if (kind == KindFile && direct) {
        if (!file)
            return -1;
        if (origin < 0 || origin > 2)
            return origin - 2;
        int whence = origin == 0 ? SEEK_SET : (origin == 1 ? SEEK_CUR : SEEK_END);
        int result = std::fseek(file, offset, whence);
        long at = std::ftell(file);
        if (at >= 0 && at <= INT32_MAX)
            position = static_cast<int32_t>(at);
        if (origin == 0)
            return result;
        return static_cast<int32_t>(at);
    }
    int64_t target = position;
    switch (origin) {
    case 0:
        target = offset;
        break;
    case 1:
        target = static_cast<int64_t>(position) + offset;
        break;
    case 2:
        target = static_cast<int64_t>(size) - offset;
        break;
    default:
        return size;
    }
    if (target < 0)
        target = 0;
    if (target > size) {
        if (kind == KindFile && (flags & Write) && target < INT32_MAX) {
            reserveBuffer(static_cast<int32_t>(target));
        } else {
            target = size;
        }
    }
    position = static_cast<int32_t>(target);
    return size;
}

bool sStream::close()
{
    bool ok = true;
    if (kind == KindFile) {
        if (direct) {
            if (file) {
                // An earlier write error leaves the file incomplete.
                bool clean = std::ferror(file) == 0;
                ok = std::fclose(file) == 0 && clean;
            }
            file = nullptr;
        } else if (modified) {
            modified = 0;
            std::FILE* fp = std::fopen(name.c_str(), "wb");
            if (!fp) {
                ok = false;
            } else {
                size_t put = size > 0 ? std::fwrite(buffer.begin(), 1, static_cast<size_t>(size), fp) : 0;
                bool wrote = put == static_cast<size_t>(size > 0 ? size : 0);
                bool closed = std::fclose(fp) == 0;
                ok = wrote && closed;
            }
        }
    }
    isOpen = 0;
    return ok;
}
