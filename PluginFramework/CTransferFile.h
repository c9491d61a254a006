#pragma once
// CTransferFile: the file side of one file transfer, in either direction.
// A received file is created only when its first bytes come, never over an
// existing file, and removed again when the transfer fails, so no partial
// file stays behind; it never grows past the size that was offered. A sent
// file is opened, read and closed again for every chunk. The transfer that
// holds it serialises every touch.

#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CTransferFile {
public:
    CTransferFile() = default;
    CTransferFile(const CTransferFile&) = delete;
    CTransferFile& operator=(const CTransferFile&) = delete;
    // A receive that did not complete leaves no file behind.
    ~CTransferFile() { DiscardFile(); }

    // Received bytes: false (and nothing written) when they would pass the
    // offered size or the target cannot be created or written.
    bool AppendToFile(const uint8_t* data, size_t size);
    // The received file is whole: it stays.
    void KeepFile();
    // Removes what was received so far.
    void DiscardFile();
    // The next chunk to send, at most `limit` bytes from doneSize on, counted
    // as handed over at once; false (nothing counted) when it cannot be read.
    bool TakeChunk(size_t limit, std::string& out);
    // Every byte is counted: received whole, or all handed over to be sent.
    // A sender's connection that closes from here on closed after the file.
    bool Whole() const { return doneSize >= totalSize; }

    CYolString fileName;  // incoming: offered base name, then the target path; outgoing: the path
    int64_t totalSize = 0;
    int64_t doneSize = 0;

private:
    // Exactly `size` bytes of the sent file from doneSize on; false when the
    // file cannot be read there.
    bool ReadChunk(size_t size, std::string& out) const;

    int fd = -1;
    bool created = false;  // we made the target file: ours to remove on failure
};

// The offered name as a plain file name: its last path component (either
// separator), empty when that is empty, "." or "..".
CYolString TransferBaseName(const CYolString& offered);
// `path`, or when a file is there already the first free "name (N).ext".
CYolString FreeTargetPath(const CYolString& path);
// Bytes of the file at `path`; -1 when it cannot be read as a file.
int64_t TransferFileSize(const CYolString& path);
