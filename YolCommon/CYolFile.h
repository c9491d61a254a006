#pragma once
// CYolFile: one file opened by path, read or written in bytes.
//
// An open file is not shared: while one CYolFile holds it, another opener
// (in this process or another that uses CYolFile) is refused, so two writers
// never interleave in one history file. The whole-file reader only asks that
// nobody holds the file for writing.
//
// Mode 1 opens for reading and writing (files we update in place, such as a
// history header, are read back through the same object); mode 0 for reading.

#include "CYolString.h"
#include "YolTypes.h"

#include <cstdint>
#include <vector>

class YOL_API CYolFile {
public:
    enum Mode { ModeRead = 0, ModeWrite = 1 };
    enum SeekType { SeekBegin = 0, SeekCurrent = 1, SeekEnd = 2 };

    // The biggest file the whole-file readers accept.
    static constexpr int64_t kMaxWholeFile = 64LL * 1024 * 1024;

    CYolFile(const CYolString& path, Mode mode);
    ~CYolFile();
    CYolFile(const CYolFile&) = delete;
    CYolFile& operator=(const CYolFile&) = delete;

    // Opens a new file; fails when it exists.
    bool Create();
    // Opens an existing file.
    bool Open();
    // Creates the file or empties an existing one.
    bool Replace();

    // Bytes read (fewer only at the end of the file or on an error); 0 when
    // nothing could be read.
    int Read(unsigned char* buffer, int count);
    // True only when all `count` bytes were written.
    bool Write(const unsigned char* data, int count);
    bool Seek(SeekType from, int offset);
    bool Seek64(SeekType from, int64_t offset);
    // The size of the open file; -1 when no file is open or the size does
    // not fit in an int (use Size64 for big files).
    int Size();
    int64_t Size64();
    void Close();
    bool IsOpen() const { return fd >= 0; }
    const CYolString& GetPath() const { return path; }

    // Size of the file at `path`: 0 when it cannot be opened, -1 when it is
    // too big for an int.
    static int Size(const CYolString& path);
    // -1 when the file cannot be opened.
    static int64_t Size64(const CYolString& path);
    // True when the file can be opened for reading at this moment.
    static bool FileExists(const CYolString& path);

    // The whole file decoded from the device's default code page (1251);
    // empty when the file is missing, empty, bigger than kMaxWholeFile, held
    // by a writer, or cannot be read whole.
    static CYolString ReadFromFile(const CYolString& path);
    // The same for a path given as text; length -1 reads it up to its 0.
    static CYolString ReadFromFile(const char16_t* path, int length);
    // The same into `text`; false (text emptied) when nothing was read.
    static bool ReadFromFile(CYolString& text, const CYolString& path);
    // The whole file as bytes; false (bytes emptied) on the same failures,
    // except that an empty file gives true with no bytes.
    static bool ReadAllBytes(const CYolString& path, std::vector<unsigned char>& bytes,
                             int64_t maxBytes = kMaxWholeFile);

    // Replaces the file at `path` with `count` bytes so that a crash leaves
    // either the old file or the new one, never a mix: writes a temporary
    // file in the same folder, flushes it to disk, then renames it over the
    // target. `permissions` is the new file's mode (0600 for files with
    // secrets). False, with the target untouched, on any failure.
    static bool WriteWholeFile(const CYolString& path, const unsigned char* data, size_t count,
                               unsigned int permissions = 0644);

private:
    bool OpenWith(int flags, bool truncate);

    CYolString path;
    Mode mode;
    int fd = -1;
};
