#include "CHistoryFile.h"

#include "CPacker.h"
#include "CYolFile.h"
#include "CYolFileSystem.h"
#include "CYolPath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <unistd.h>

namespace {

// ReadHeader's answer for a file that ends before its header does: no
// record can be in it.
constexpr int kCutHeader = -1;
// The head walk reads the file in blocks of this size.
constexpr size_t kWalkChunk = 256 * 1024;
// The header is read in one block of this size when the names fit in it.
constexpr size_t kHeaderBlock = 4096;

// The walk's inner loop: kept inline, the same as CPacker's big-endian reads.
inline uint16_t Be16(const unsigned char* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t Be32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Random access to the bytes of a file, opened or in memory.
class Source {
public:
    virtual ~Source() = default;
    int64_t Size() const { return size; }
    // Exactly n bytes at offset, or false.
    virtual bool ReadAt(int64_t offset, unsigned char* out, size_t n) const = 0;

protected:
    explicit Source(int64_t bytes) : size(bytes) {}
    bool Within(int64_t offset, size_t n) const {
        return offset >= 0 && offset <= size && uint64_t(size - offset) >= n;
    }

private:
    int64_t size;
};

class MemorySource : public Source {
public:
    MemorySource(const unsigned char* bytes, size_t n) : Source(int64_t(n)), data(bytes) {}
    bool ReadAt(int64_t offset, unsigned char* out, size_t n) const override {
        if (!Within(offset, n))
            return false;
        if (n > 0)
            std::memcpy(out, data + offset, n);
        return true;
    }

private:
    const unsigned char* data;
};

class FileSource : public Source {
public:
    FileSource(int fd, int64_t bytes) : Source(bytes), fd(fd) {}
    bool ReadAt(int64_t offset, unsigned char* out, size_t n) const override {
        if (!Within(offset, n))
            return false;
        // The header's small reads come from one read of the file's start.
        if (offset + int64_t(n) <= int64_t(kHeaderBlock)) {
            if (start.empty()) {
                start.resize(size_t(std::min<int64_t>(Size(), int64_t(kHeaderBlock))));
                if (!Fill(0, start.data(), start.size())) {
                    start.clear();
                    return false;
                }
            }
            if (n > 0)
                std::memcpy(out, start.data() + offset, n);
            return true;
        }
        return Fill(offset, out, n);
    }

private:
    bool Fill(int64_t offset, unsigned char* out, size_t n) const {
        size_t done = 0;
        while (done < n) {
            ssize_t got = pread(fd, out + done, n - done, off_t(offset + int64_t(done)));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += size_t(got);
        }
        return true;
    }

    int fd;
    mutable std::vector<unsigned char> start;
};

bool WriteAt(int fd, const std::vector<unsigned char>& bytes, int64_t offset) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(offset + int64_t(done)));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += size_t(put);
    }
    return true;
}

// Cuts a failed write back off. When even that fails, the loader still
// stops cleanly at the half record and the next append walks and cuts it.
bool CutBack(int fd, int64_t size) {
    return ftruncate(fd, off_t(size)) == 0;
}

bool Sync(int fd) {
    int rc;
    do
        rc = fdatasync(fd);
    while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// A history file opened and locked through CYolFile, which waits a little
// for another appender or loader to finish: they hold a file only for a
// moment, and waiting keeps two windows that write at once from losing a
// message.
struct OpenedFile {
    OpenedFile(const CYolString& path, CYolFile::Mode mode, bool create) : file(path, mode, 0600) {
        opened = create ? file.OpenAlways() : file.Open();
    }
    int Fd() const { return opened ? file.Handle() : -1; }
    int64_t Size() { return opened ? file.Size64() : -1; }

    CYolFile file;
    bool opened;
};

bool ReadString(const Source& source, int64_t& offset, std::vector<unsigned char>& out) {
    unsigned char length[2];
    if (!source.ReadAt(offset, length, 2))
        return false;
    size_t n = CPacker::Unpack16(length);
    if (source.Size() - (offset + 2) < int64_t(n))
        return false;
    out.resize(n);
    if (!source.ReadAt(offset + 2, out.data(), n))
        return false;
    offset += 2 + int64_t(n);
    return true;
}

// Ok, BadVersion, or kCutHeader when the file ends inside the header. The
// version is checked as soon as its byte is there, so that a cut file of
// another version is never taken for an empty one of ours.
int ReadHeader(const Source& source, CHistoryFile::Header& header) {
    unsigned char version = 0;
    if (source.ReadAt(3, &version, 1) && version != CHistoryFile::kVersion)
        return CHistoryFile::BadVersion;
    if (!source.ReadAt(0, header.fixed, CHistoryFile::kFixedHeaderSize))
        return kCutHeader;
    int64_t offset = CHistoryFile::kFixedHeaderSize;
    if (!ReadString(source, offset, header.first) || !ReadString(source, offset, header.second))
        return kCutHeader;
    return CHistoryFile::Ok;
}

// What a walk over the record heads found.
struct Walk {
    int64_t messages = 0; // whole message records
    int64_t end = 0;      // just past the last whole record of any type
    int64_t last = -1;    // start of the last whole message record
    // Starts of the whole records big enough to hold a message, oldest
    // first (kept only when asked). Smaller ones cannot be shown, so the
    // list stays well below the size of the file it describes.
    std::vector<int64_t> candidates;
};

// Steps from head to head without reading the bodies, up to the first head
// that is cut short, has type 0 or announces a body running past the end of
// the file. A record of another type is stepped over: its length is known,
// and the messages after it are still ours. Type 0 is not a record but what
// a file system leaves where a write did not reach before a power cut (a
// zero-filled tail); stepping over it would walk through zeros.
Walk WalkRecords(const Source& source, int64_t from, bool keepCandidates) {
    Walk walk;
    int64_t pos = from;
    std::vector<unsigned char> chunk;
    int64_t chunkStart = 0, chunkEnd = 0;
    while (source.Size() - pos >= CHistoryFile::kRecordHeadSize) {
        if (pos < chunkStart || pos + CHistoryFile::kRecordHeadSize > chunkEnd) {
            size_t n = size_t(std::min<int64_t>(int64_t(kWalkChunk), source.Size() - pos));
            chunk.resize(n);
            if (!source.ReadAt(pos, chunk.data(), n))
                break;
            chunkStart = pos;
            chunkEnd = pos + int64_t(n);
        }
        const unsigned char* head = chunk.data() + (pos - chunkStart);
        uint16_t type = Be16(head);
        uint32_t body = Be32(head + 2);
        if (type == 0 || uint64_t(body) > uint64_t(source.Size() - pos - CHistoryFile::kRecordHeadSize))
            break;
        if (type == CHistoryFile::kMessageRecordType) {
            if (keepCandidates && body >= CHistoryFile::kMinMessageBody && body <= uint32_t(INT_MAX))
                walk.candidates.push_back(pos);
            walk.last = pos;
            ++walk.messages;
        }
        pos += CHistoryFile::kRecordHeadSize + int64_t(body);
    }
    walk.end = pos;
    return walk;
}

// The TLVs of the whole record starting at `start`; false when it cannot be
// read (the walk has checked the head, so only a read error fails here).
bool ReadRecord(const Source& source, int64_t start, std::vector<unsigned char>& body, CTLVCol& tlvs) {
    unsigned char head[CHistoryFile::kRecordHeadSize];
    if (!source.ReadAt(start, head, sizeof head))
        return false;
    uint32_t n = CPacker::Unpack32(head + 2);
    if (n > uint32_t(INT_MAX) || uint64_t(n) > uint64_t(source.Size() - start - CHistoryFile::kRecordHeadSize))
        return false;
    body.resize(n);
    if (!source.ReadAt(start + CHistoryFile::kRecordHeadSize, body.data(), n))
        return false;
    tlvs.Unpack(body.data(), int(n));
    return true;
}

int LoadFrom(const Source& source, unsigned int maxCount, CYolArray<CTLVCol>& out) {
    CHistoryFile::Header header;
    int rc = ReadHeader(source, header);
    if (rc == kCutHeader)
        return CHistoryFile::Ok;
    if (rc != CHistoryFile::Ok)
        return rc;
    Walk walk = WalkRecords(source, header.Size(), true);
    // Newest first, so that only the records that are shown get parsed.
    std::vector<CTLVCol> picked;
    std::vector<unsigned char> body;
    for (auto it = walk.candidates.rbegin(); it != walk.candidates.rend(); ++it) {
        if (maxCount != 0 && picked.size() >= maxCount)
            break;
        CTLVCol tlvs;
        if (ReadRecord(source, *it, body, tlvs) && CHistoryFile::IsMessageRecord(tlvs))
            picked.push_back(std::move(tlvs));
    }
    out.Reserve(out.Count() + int(picked.size()));
    for (auto it = picked.rbegin(); it != picked.rend(); ++it)
        out.Add(*it);
    return CHistoryFile::Ok;
}

// Brings the counters in line with the records when the file's size says
// they disagree (an earlier append failed half-way, or the file was cut),
// and cuts off whatever follows the last whole record so that the next
// record lands where the loader will find it.
int Reconcile(int fd, const Source& source, CHistoryFile::Header& header, int64_t& end) {
    Walk walk = WalkRecords(source, header.Size(), false);
    int64_t total = walk.end - header.Size();
    if (total > int64_t(UINT32_MAX) || walk.messages > int64_t(UINT32_MAX))
        return CHistoryFile::WriteFailed;
    uint32_t last = header.LastMessageNumber();
    std::vector<unsigned char> body;
    CTLVCol tlvs;
    if (walk.last >= 0 && ReadRecord(source, walk.last, body, tlvs)) {
        const CTLV* number = tlvs.GetTLV(CHistoryFile::TlvNumber);
        if (number && number->GetLength() == 4)
            last = std::max(last, CPacker::Unpack32(number->GetValue()));
    }
    if (walk.end < source.Size() && ftruncate(fd, off_t(walk.end)) != 0)
        return CHistoryFile::WriteFailed;
    header.SetTotalBytes(uint32_t(total));
    header.SetMessageCount(uint32_t(walk.messages));
    header.SetLastMessageNumber(last);
    end = walk.end;
    return CHistoryFile::Ok;
}

} // namespace

// ------------------------------------------------------------------ header

CHistoryFile::Header CHistoryFile::Header::Fresh(std::string_view logName, std::string_view alias) {
    Header header;
    header.fixed[0] = 'Y';
    header.fixed[1] = 'H';
    header.fixed[2] = 'F';
    header.fixed[3] = kVersion;
    CPacker::Pack16(header.fixed + 42, 1);
    for (auto [text, stored] : {std::pair{logName, &header.first}, std::pair{alias, &header.second}}) {
        std::string fitted = FitUtf8(text, kMaxHeaderStringBytes);
        stored->assign(fitted.begin(), fitted.end());
        stored->push_back(0);
    }
    return header;
}

uint32_t CHistoryFile::Header::TotalBytes() const { return CPacker::Unpack32(fixed + 4); }
uint32_t CHistoryFile::Header::MessageCount() const { return CPacker::Unpack32(fixed + 34); }
uint32_t CHistoryFile::Header::LastMessageNumber() const { return CPacker::Unpack32(fixed + 38); }
void CHistoryFile::Header::SetTotalBytes(uint32_t value) { CPacker::Pack32(fixed + 4, value); }
void CHistoryFile::Header::SetMessageCount(uint32_t value) { CPacker::Pack32(fixed + 34, value); }
void CHistoryFile::Header::SetLastMessageNumber(uint32_t value) { CPacker::Pack32(fixed + 38, value); }

std::string CHistoryFile::Header::Text(const std::vector<unsigned char>& stored) {
    auto end = std::find(stored.begin(), stored.end(), 0);
    return std::string(stored.begin(), end);
}

std::vector<unsigned char> CHistoryFile::Header::Serialize() const {
    std::vector<unsigned char> bytes(static_cast<size_t>(Size()));
    unsigned char* p = bytes.data();
    std::memcpy(p, fixed, kFixedHeaderSize);
    p += kFixedHeaderSize;
    for (const auto* stored : {&first, &second}) {
        CPacker::Pack16(p, static_cast<unsigned short>(stored->size()));
        if (!stored->empty())
            std::memcpy(p + 2, stored->data(), stored->size());
        p += 2 + stored->size();
    }
    return bytes;
}

int CHistoryFile::ParseHeader(const unsigned char* data, size_t size, Header& header) {
    static const unsigned char kNothing = 0;
    int rc = ReadHeader(MemorySource(data ? data : &kNothing, data ? size : 0), header);
    return rc == kCutHeader ? BadHeader : rc;
}

// ------------------------------------------------------------------ records

std::string CHistoryFile::FitUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut));
}

std::vector<unsigned char> CHistoryFile::BuildRecord(uint32_t number, const Message& message) {
    std::string text = FitUtf8(message.text, kMaxTextBytes);
    const unsigned char flags[3] = {message.direction, message.second, message.third};
    CTLVCol tlvs;
    tlvs.Add(CTLV(TlvNumber, static_cast<unsigned int>(number)));
    tlvs.Add(CTLV(TlvTime, static_cast<unsigned int>(message.time)));
    tlvs.Add(CTLV(TlvDirection, static_cast<unsigned short>(sizeof flags), flags));
    tlvs.Add(CTLV(TlvText, static_cast<unsigned short>(text.size()),
                  reinterpret_cast<const unsigned char*>(text.data())));
    std::vector<unsigned char> record(static_cast<size_t>(kRecordHeadSize + tlvs.GetDataLength()));
    unsigned char* p = record.data();
    CPacker::Pack16(p, kMessageRecordType);
    CPacker::Pack32(p + 2, static_cast<unsigned int>(tlvs.GetDataLength()));
    p += kRecordHeadSize;
    for (const CTLV& tlv : tlvs) {
        tlv.Write(p, false);
        p += tlv.WireSize();
    }
    return record;
}

bool CHistoryFile::IsMessageRecord(const CTLVCol& tlvs) {
    const CTLV* time = tlvs.GetTLV(TlvTime);
    const CTLV* direction = tlvs.GetTLV(TlvDirection);
    return time && time->GetLength() == 4 && direction && direction->GetLength() >= 1 && tlvs.GetTLV(TlvText);
}

// ------------------------------------------------------------------ append

int CHistoryFile::Append(const CYolString& path, std::string_view logName, std::string_view alias,
                         const Message& message) {
    OpenedFile file(path, CYolFile::ModeWrite, true);
    int64_t size = file.Size();
    if (size < 0)
        return CannotOpen;

    FileSource source(file.Fd(), size);
    Header header;
    int rc = ReadHeader(source, header);
    if (rc == kCutHeader)
        return AppendFirst(file.file, size, logName, alias, message);
    if (rc != Ok)
        return rc;
    int64_t end = header.Size() + int64_t(header.TotalBytes());
    if (end != size) {
        if (int rc = Reconcile(file.Fd(), source, header, end))
            return rc;
    }

    uint32_t number = header.LastMessageNumber() + 1;
    std::vector<unsigned char> record = BuildRecord(number, message);
    uint64_t total = uint64_t(header.TotalBytes()) + record.size();
    if (total > UINT32_MAX)
        return WriteFailed;
    if (!WriteAt(file.Fd(), record, end)) {
        CutBack(file.Fd(), end);
        return WriteFailed;
    }
    // The record must be on disk before a header that counts it.
    if (!Sync(file.Fd()))
        return WriteFailed;
    header.SetMessageCount(header.MessageCount() + 1);
    header.SetLastMessageNumber(number);
    header.SetTotalBytes(uint32_t(total));
    return WriteAt(file.Fd(), header.Serialize(), 0) ? Ok : WriteFailed;
}

int CHistoryFile::AppendFirst(CYolFile& file, int64_t size, std::string_view logName, std::string_view alias,
                              const Message& message) {
    // Nothing to keep consistent yet: header and record go in one write.
    Header header = Header::Fresh(logName, alias);
    std::vector<unsigned char> record = BuildRecord(1, message);
    header.SetMessageCount(1);
    header.SetLastMessageNumber(1);
    header.SetTotalBytes(uint32_t(record.size()));
    std::vector<unsigned char> bytes = header.Serialize();
    bytes.insert(bytes.end(), record.begin(), record.end());
    int fd = file.Handle();
    // The new file and its name in the folder both reach the disk before
    // the message counts as kept.
    if ((size == 0 || CutBack(fd, 0)) && WriteAt(fd, bytes, 0) && Sync(fd) &&
        CYolFileSystem::SyncFolderOf(file.GetPath()))
        return Ok;
    // What is left holds no message: a file that stayed would only be one
    // more that a power cut can tear. Removed under the lock, so that an
    // appender waiting for it opens the name again.
    unlink(CYolPath::ToNative(file.GetPath()).c_str());
    return WriteFailed;
}

// ------------------------------------------------------------------ delete

bool CHistoryFile::Delete(const CYolString& path) {
    // Under a reader's lock, so that no append is half-way through the file;
    // appenders waiting for it open the name again once it is gone.
    OpenedFile file(path, CYolFile::ModeRead, false);
    return file.Fd() >= 0 && unlink(CYolPath::ToNative(path).c_str()) == 0;
}

// -------------------------------------------------------------------- load

int CHistoryFile::Load(const CYolString& path, unsigned int maxCount, CYolArray<CTLVCol>& out) {
    OpenedFile file(path, CYolFile::ModeRead, false);
    int64_t size = file.Size();
    if (size < 0)
        return CannotOpen;
    return LoadFrom(FileSource(file.Fd(), size), maxCount, out);
}

int CHistoryFile::LoadFromBytes(const unsigned char* data, size_t size, unsigned int maxCount,
                                CYolArray<CTLVCol>& out) {
    if (!data)
        size = 0;
    static const unsigned char kNothing = 0;
    return LoadFrom(MemorySource(data ? data : &kNothing, size), maxCount, out);
}
