#pragma once
// Database::CYolDatabaseImpl: the settings database. The whole settings file
// lives in memory while the program runs; it is read when the database is
// created and written back on Save and when the database is destroyed.
//
// The settings file "settings.yol" is the sections in ascending name order,
// each one packed record (see CRecord.h) named after the section (the text
// form of its GUID) whose data is the section's records packed back to back
// in ascending name order. No header, no count, no checksum.
//
// Writing goes through a temporary file that is flushed and renamed over the
// old one, mode 0600 (protected passwords live here): a crash or a full disk
// leaves the previous file, never half of a new one. A settings file that is
// there but could not be read (held by another program for too long, not
// readable, too big) is never saved over: the database then starts empty,
// and writing it would replace every stored account and password.

#include "CRecord.h"
#include "CYolCriticalSection.h"
#include "CYolDatabase.h"
#include "CYolFile.h"
#include "CYolMap.h"
#include "CYolString.h"
#include "YOL_GUID.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Services {
class CServicesManager;
}

namespace Database {

// What a load found. A load stops at the first section that the file does
// not hold whole; every whole section before it is kept.
struct LoadResult {
    bool fileFound = false;   // there was a settings file
    bool readFailed = false;  // ... but it could not be read whole, so nothing was loaded
    CYolFile::Status fileStatus = CYolFile::Missing;  // Busy or Unreadable when the read failed
    int error = 0;            // errno of the failed read (EWOULDBLOCK busy, EFBIG too big)
    uint64_t bytesRead = 0;   // size of what was parsed
    unsigned int sections = 0;          // whole sections read (duplicates included)
    unsigned int records = 0;           // records kept
    unsigned int emptiedSections = 0;   // section data holding a malformed record: nothing kept from it
    unsigned int duplicateRecords = 0;  // later records of a name already loaded: dropped
    unsigned int unstorableNames = 0;   // names that would not fit the length byte again: dropped
    uint64_t bytesSkipped = 0;          // from the first broken section to the end: dropped

    bool IsClean() const {
        return !readFailed && emptiedSections == 0 && duplicateRecords == 0 && unstorableNames == 0 &&
               bytesSkipped == 0;
    }
};

class CYolDatabaseImpl final : public CYolDatabase {
public:
    // The largest settings file that is read.
    static constexpr int64_t kMaxFileBytes = 256LL * 1024 * 1024;

    // The program folder + "settings.yol".
    static CYolString DefaultPath();

    // Registers the service DatabaseGuid (not when `manager` is null: a
    // database of its own, for tools) and loads the file at `path`.
    explicit CYolDatabaseImpl(Services::CServicesManager* manager, const CYolString& path = DefaultPath());
    // Saves when anything was set since the load or the last save (so an
    // untouched database never rewrites the file), then unregisters.
    ~CYolDatabaseImpl();
    CYolDatabaseImpl(const CYolDatabaseImpl&) = delete;
    CYolDatabaseImpl& operator=(const CYolDatabaseImpl&) = delete;

    bool GetSize(const YOL_GUID& section, const CYolString& key, unsigned long& size) override;
    bool GetData(const YOL_GUID& section, const CYolString& key, void* buffer, unsigned long& size) override;
    bool GetString(const YOL_GUID& section, const CYolString& key, CYolString& value) override;
    bool GetDword(const YOL_GUID& section, const CYolString& key, unsigned long& value) override;
    bool GetWord(const YOL_GUID& section, const CYolString& key, unsigned short& value) override;
    bool GetByte(const YOL_GUID& section, const CYolString& key, unsigned char& value) override;

    bool SetData(const YOL_GUID& section, const CYolString& key, const void* data, const unsigned long& size) override;
    bool SetString(const YOL_GUID& section, const CYolString& key, const CYolString& value) override;
    bool SetDword(const YOL_GUID& section, const CYolString& key, const unsigned long& value) override;
    bool SetWord(const YOL_GUID& section, const CYolString& key, const unsigned short& value) override;
    bool SetByte(const YOL_GUID& section, const CYolString& key, const unsigned char& value) override;

    // Writes the settings file now. True when it was written, or when there
    // is nothing to write (no section at all: an existing file stays as it
    // is). False when it could not be written, and always after a load that
    // found a file it could not read (GetLoadResult says why); the previous
    // file then stays.
    bool Save();
    // The text that tells the user why settings are not being saved; empty
    // while saving is allowed.
    CYolString SaveBlockedReason() const;
    // How many saves have ended so far, written or not. A caller that
    // caused a save reads it first and then waits for the next one to end.
    uint64_t SavesEnded() const;
    // True once more than `seen` saves have ended; false when no further
    // one ended within `limit`.
    bool WaitForSaveAfter(uint64_t seen, std::chrono::milliseconds limit) const;

    const CYolString& GetPath() const { return path; }
    LoadResult GetLoadResult() const;

    // Replaces the whole content with the sections of a settings file held in
    // memory; the result is also kept for GetLoadResult.
    LoadResult LoadFromBytes(const unsigned char* bytes, size_t size);
    // The settings file's bytes for the current content. False when a section
    // outgrows the 32-bit length of the file format.
    bool SaveToBytes(std::vector<unsigned char>& out) const;

private:
    using RecordMap = CYolMap<CYolString, CRecord>;
    struct Section {
        CYolString name;
        RecordMap records;
    };
    using SectionMap = CYolMap<CYolString, Section>;

    void LoadFile();
    static LoadResult Parse(const unsigned char* bytes, size_t size, SectionMap& into);
    static bool ParseSection(const unsigned char* data, uint64_t size, RecordMap& records, LoadResult& result);

    // Runs `read` on the record under the lock; false when it is missing.
    template <typename Read>
    bool ReadValue(const YOL_GUID& section, const CYolString& key, Read&& read);
    // Creates what is missing and runs `write` on the record under the lock.
    template <typename Write>
    bool WriteValue(const YOL_GUID& section, const CYolString& key, Write&& write);

    Services::CServicesManager* manager;
    unsigned int serviceKey = 0;
    CYolString path;

    mutable CYolCriticalSection lock;  // every lookup and every value read or write
    SectionMap sections;
    // Counts the changes; the database is unsaved while it differs from the
    // count that the last written (or loaded) content had.
    uint64_t generation = 0;
    uint64_t savedGeneration = 0;
    LoadResult loadResult;

    // Keeps two saves from racing to the rename with snapshots in the wrong
    // order; taken before `lock`, never while holding it.
    std::mutex saveLock;
    mutable std::mutex endedLock;
    mutable std::condition_variable endedSignal;
    uint64_t savesEnded = 0;
};

}  // namespace Database
