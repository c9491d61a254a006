#pragma once
// CHistoryFile: the bytes of a history file (".yhf"), one per contact and
// account. All numbers are big-endian.
//
//   header   0   3  'Y' 'H' 'F'
//            3   1  version, 1
//            4   4  total bytes of all records, their 6-byte heads included
//            8  26  reserved (kept as read; zero in a new file)
//           34   4  message count
//           38   4  last message number
//           42   2  1
//           44   2  L1, then L1 bytes: the contact's login in UTF-8 and a 0
//      46 + L1   2  L2, then L2 bytes: the contact's alias, the same way
//   record   0   2  type, 1
//            2   4  N
//            6   N  TLVs: 1 message number (u32), 2 time (u32 Unix seconds),
//                   3 direction, second byte, third byte; 4 text in UTF-8
//
// The records are the truth, the counters a summary. An append writes and
// syncs its record before the counters move, so the counters can lag behind
// the records but never run ahead of them. The loader ignores the counters:
// it walks the record heads from the end of the header up to the first head
// that is not a whole record (type 0, or N running past the end of the
// file) and keeps the message records before it; records of other types
// are stepped over. A file that ends inside its header holds no record and
// loads as an empty history. An appender that finds the file's size
// disagreeing with the header's total walks the records the same way, takes
// the counters from what it found (the last message number never goes down)
// and cuts off an unreadable tail, so that its new record is one the loader
// reaches; one that finds the header cut writes the file anew.

#include "CTLV.h"
#include "CYolArray.h"
#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CYolFile;

class CHistoryFile {
public:
    // Results of the header and record steps.
    enum Result : int {
        Ok = 0,
        CannotOpen = 1,
        BadHeader = 2,   // ParseHeader: the header or one of its strings is not there whole
        BadVersion = 3,  // a version other than 1
        WriteFailed = 4, // a write did not complete
    };

    // TLV types of a message record.
    enum : unsigned short { TlvNumber = 1, TlvTime = 2, TlvDirection = 3, TlvText = 4 };

    static constexpr unsigned char kVersion = 1;
    static constexpr int kFixedHeaderSize = 44;
    static constexpr int kRecordHeadSize = 6;
    static constexpr unsigned short kMessageRecordType = 1;
    // A TLV value has a 16-bit length; a header string's length includes its 0.
    static constexpr size_t kMaxTextBytes = 0xFFFF;
    static constexpr size_t kMaxHeaderStringBytes = 0xFFFE;
    // The smallest record body that can hold TLVs 2, 3 and 4.
    static constexpr uint32_t kMinMessageBody = (4 + 4) + (4 + 1) + 4;

    // One message as it goes into a record.
    struct Message {
        unsigned char direction = 0; // 0 incoming, 1 outgoing
        unsigned char second = 0;
        unsigned char third = 1;
        unsigned int time = 0;       // Unix seconds
        std::string text;            // UTF-8
    };

    class Header {
    public:
        // The header of a new file: version 1, counters 0, the word at 42
        // set to 1 and the two names (cut to what a length field holds).
        static Header Fresh(std::string_view logName, std::string_view alias);

        unsigned char Version() const { return fixed[3]; }
        uint32_t TotalBytes() const;
        uint32_t MessageCount() const;
        uint32_t LastMessageNumber() const;
        void SetTotalBytes(uint32_t value);
        void SetMessageCount(uint32_t value);
        void SetLastMessageNumber(uint32_t value);
        // The names without their terminating 0.
        std::string LogName() const { return Text(first); }
        std::string Alias() const { return Text(second); }
        // Where the records begin.
        int64_t Size() const { return kFixedHeaderSize + 4 + int64_t(first.size()) + int64_t(second.size()); }
        std::vector<unsigned char> Serialize() const;

        // Offsets 0-43 exactly as read, and each string's L bytes as stored.
        unsigned char fixed[kFixedHeaderSize] = {};
        std::vector<unsigned char> first;
        std::vector<unsigned char> second;

    private:
        static std::string Text(const std::vector<unsigned char>& stored);
    };

    // Reads the header at the start of `data`: Ok, BadHeader or BadVersion.
    static int ParseHeader(const unsigned char* data, size_t size, Header& header);

    // The bytes of one message record: head and TLVs 1-4 in order. A text
    // longer than a TLV holds is cut at a character boundary.
    static std::vector<unsigned char> BuildRecord(uint32_t number, const Message& message);

    // Appends one message to the file at `path`, creating the file (mode
    // 0600) with a fresh header for the two names when it holds no whole
    // header; a new file is synced with its folder before Ok. A first
    // append that fails removes the file again. Waits a little for another
    // opener of the file to finish; CannotOpen when it does not. BadVersion
    // leaves the file unchanged.
    static int Append(const CYolString& path, std::string_view logName, std::string_view alias,
                      const Message& message);

    // Appends to `out` the newest `maxCount` message records (all when 0),
    // oldest first. Records lacking TLV 2 (4 bytes), 3 or 4 are passed over.
    // Ok with nothing for a file cut inside its header.
    static int Load(const CYolString& path, unsigned int maxCount, CYolArray<CTLVCol>& out);
    // The same over the bytes of a whole file.
    static int LoadFromBytes(const unsigned char* data, size_t size, unsigned int maxCount, CYolArray<CTLVCol>& out);

    // Removes the file once no appender is writing it; true when it went.
    static bool Delete(const CYolString& path);

    // True when the TLVs carry what showing a message needs: a 4-byte time,
    // a direction byte and a text.
    static bool IsMessageRecord(const CTLVCol& tlvs);
    // The longest prefix of valid UTF-8 `text` of at most maxBytes bytes that
    // does not split a character.
    static std::string FitUtf8(std::string_view text, size_t maxBytes);

private:
    // Writes `file`, which held `size` bytes and no whole header, anew.
    static int AppendFirst(CYolFile& file, int64_t size, std::string_view logName, std::string_view alias,
                           const Message& message);
};
