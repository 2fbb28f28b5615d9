#pragma once
// A byte stream over a file or over a block of memory.
//
// Buffered file streams (the default) hold the whole file in `buffer`: a read
// stream reads it at open and holds no handle afterwards; a write stream
// touches the disk only at close, and only when something was written. Direct
// streams read and write an open runtime-library file. Memory streams read
// (and, when attached writable, write) inside a block of known length.
//
// Failures are reported: open leaves `isOpen` 0 (and returns false), write
// returns fewer bytes than asked, close returns false when the file could not
// be created, written or closed.

#include "LIBS/System/sList.h"
#include "LIBS/System/sString.h"

#include <cstdint>
#include <cstdio>

class sStream
{
public:
    enum : int32_t
    {
        Read = 1,
        Write = 2
    };
    enum : int32_t
    {
        KindMemory = 0,
        KindFile = 1
    };

    explicit sStream(const char* name = nullptr, int32_t flags = 0, bool directMode = false);
    ~sStream();
    sStream(const sStream&) = delete;
    sStream& operator=(const sStream&) = delete;

    // Closes what was open (writing pending data), then opens `name`.
    bool open(const char* name, int32_t flags);
    // Reads (and writes, for a writable block) inside `length` bytes at `p`.
    void attachMemory(const void* p, int32_t length);
    void attachMemory(void* p, int32_t length);

    int32_t read(void* dst, int32_t n);
    // The next byte as a signed value (0xFF gives -1); -1 at the end.
    int32_t getc();
    int32_t write(const void* src, int32_t n);
    // Origins 0 start, 1 current, 2 end (the offset counts backwards from the end).
    int32_t seek(int32_t offset, int32_t origin);
    // False when pending data could not be written or the file not closed.
    bool close();

    int32_t kind = KindFile;
    int32_t direct = 0;
    sString name;
    int32_t modified = 0;
    int32_t flags = 0;
    sList<uint8_t> buffer;
    uint8_t* memory = nullptr;
    int32_t size = 0; // valid bytes in `buffer`, or the attached memory's length
    int32_t position = 0;
    int32_t lastCount = 0;
    int32_t isOpen = 0;
    std::FILE* file = nullptr;
    int32_t memoryWritable = 0;

private:
    void releaseBuffer();
    // Makes the buffer hold at least n bytes (new bytes zero).
    void reserveBuffer(int32_t n);
};
