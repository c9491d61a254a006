#pragma once
// CYolFile: one file opened by path, read or written in bytes.
//
// Openers share a file the way readers and writers do: a writer (mode 1)
// holds it alone, readers (mode 0) hold it together. An opener that finds
// the file held the other way waits for it, at most kLockWaitMs by the
// system's clock, so that a loader never takes a file someone is writing at
// that moment for a missing one. A file replaced or removed while we waited
// for it is opened again by its name. After a failed open, GetStatus tells a
// missing file from one that is busy or that cannot be read.
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
    // What the last attempt to open (or read whole) found.
    enum Status {
        Opened = 0,
        Missing,    // nothing under that name (or a folder on its way is missing)
        Busy,       // another opener held the file for longer than kLockWaitMs
        Unreadable, // something is there but could not be opened or read whole
    };

    // The biggest file the whole-file readers accept.
    static constexpr int64_t kMaxWholeFile = 64LL * 1024 * 1024;
    // How long an opener waits for another to let go of the file.
    static constexpr uint64_t kLockWaitMs = 2000;

    // `permissions` is the mode of a file that an open creates.
    CYolFile(const CYolString& path, Mode mode, unsigned int permissions = 0666);
    ~CYolFile();
    CYolFile(const CYolFile&) = delete;
    CYolFile& operator=(const CYolFile&) = delete;

    // Opens a new file; fails when it exists.
    bool Create();
    // Opens an existing file.
    bool Open();
    // Creates the file or empties an existing one.
    bool Replace();
    // Opens the file, creating it empty when it is missing.
    bool OpenAlways();

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
    Status GetStatus() const { return status; }
    // The descriptor of the open file, for positioned reads and writes and
    // syncing; -1 when closed. The object keeps owning it.
    int Handle() const { return fd; }
    const CYolString& GetPath() const { return path; }

    // Size of the file at `path`: 0 when it cannot be opened, -1 when it is
    // too big for an int.
    static int Size(const CYolString& path);
    // -1 when the file cannot be opened.
    static int64_t Size64(const CYolString& path);
    // True when a readable file is at `path`, also one that another opener
    // holds for longer than we wait.
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
    // The same, saying why nothing was read: Opened when the bytes are all
    // there; a file bigger than maxBytes or cut short while read is
    // Unreadable. `error` (when given) gets the errno of the failure.
    static Status ReadWhole(const CYolString& path, std::vector<unsigned char>& bytes, int64_t maxBytes,
                            int* error = nullptr);

    // Replaces the file at `path` with `count` bytes so that a crash leaves
    // either the old file or the new one, never a mix: writes a temporary
    // copy beside it (".<name>.yol-XXXXXX", created owner-only and given
    // `permissions` before any byte goes in), flushes it to disk, renames it
    // over the target and flushes the folder. False on any failure; the
    // target is then untouched, except when only the folder's flush failed:
    // the new bytes are in place but may not survive a power cut. A reader
    // that clears stale copies (RemoveStaleCopies) and takes the new copy
    // before it is locked costs a fresh copy, not the write.
    static bool WriteWholeFile(const CYolString& path, const unsigned char* data, size_t count,
                               unsigned int permissions = 0644);
    // Removes the temporary copies of the file at `path` that a writer
    // killed before its rename left behind; a copy still being written is
    // left alone. Answers how many went.
    static int RemoveStaleCopies(const CYolString& path);

private:
    bool OpenWith(int flags, bool truncate);

    CYolString path;
    Mode mode;
    unsigned int permissions;
    int fd = -1;
    Status status = Missing;
};
