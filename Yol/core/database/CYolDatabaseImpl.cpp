#include "CYolDatabaseImpl.h"

#include "CServicesManager.h"
#include "CYolFile.h"
#include "CYolPath.h"
#include "YolGuids.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace Database {

CYolString CYolDatabaseImpl::DefaultPath() { return CYolPath::AppDir() + u"settings.yol"; }

CYolDatabaseImpl::CYolDatabaseImpl(Services::CServicesManager* servicesManager, const CYolString& filePath)
    : manager(servicesManager), path(filePath) {
    if (manager != nullptr)
        serviceKey = manager->RegisterService(DatabaseGuid, static_cast<CYolDatabase*>(this));
    LoadFile();
}

CYolDatabaseImpl::~CYolDatabaseImpl() {
    bool dirty;
    {
        CYolCriticalSection::Guard guard(lock);
        dirty = generation != savedGeneration;
    }
    // Save reports its failures by its result; teardown has nobody to tell.
    if (dirty)
        Save();
    if (manager != nullptr && serviceKey != 0)
        manager->UnregisterService(serviceKey);
}

void CYolDatabaseImpl::LoadFile() {
    // Copies a killed save left behind hold the passwords too.
    CYolFile::RemoveStaleCopies(path);
    LoadResult result;
    std::vector<unsigned char> bytes;
    int error = 0;
    CYolFile::Status status;
    try {
        status = CYolFile::ReadWhole(path, bytes, kMaxFileBytes, &error);
        if (status == CYolFile::Opened)
            result = LoadFromBytes(bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
        status = CYolFile::Unreadable;
        error = ENOMEM;
    }
    result.fileStatus = status;
    result.fileFound = status != CYolFile::Missing;
    if (status != CYolFile::Opened && status != CYolFile::Missing) {
        result.readFailed = true;
        result.error = error;
    }
    CYolCriticalSection::Guard guard(lock);
    loadResult = result;
    if (result.readFailed)
        std::fprintf(stderr, "Yol: %s\n", SaveBlockedReason().ToUtf8().c_str());
}

CYolString CYolDatabaseImpl::SaveBlockedReason() const {
    CYolCriticalSection::Guard guard(lock);
    if (!loadResult.readFailed)
        return CYolString();
    const char* why = loadResult.fileStatus == CYolFile::Busy ? "is held by another program"
                                                              : std::strerror(loadResult.error);
    return CYolString::FromUtf8("the settings file " + path.ToUtf8() + " could not be read (" + why +
                                "); settings changed in this session will not be saved, so that the stored ones "
                                "are not lost.");
}

LoadResult CYolDatabaseImpl::GetLoadResult() const {
    CYolCriticalSection::Guard guard(lock);
    return loadResult;
}

LoadResult CYolDatabaseImpl::LoadFromBytes(const unsigned char* bytes, size_t size) {
    SectionMap fresh;
    LoadResult result = Parse(bytes, size, fresh);
    CYolCriticalSection::Guard guard(lock);
    sections = std::move(fresh);
    savedGeneration = generation;
    loadResult = result;
    return result;
}

LoadResult CYolDatabaseImpl::Parse(const unsigned char* bytes, size_t size, SectionMap& into) {
    LoadResult result;
    result.bytesRead = size;
    uint64_t pos = 0;
    while (pos < size) {
        CYolString name;
        unsigned long dataLength = 0;
        unsigned long head = CRecord::UnpackHeader(bytes + pos, size - pos, name, dataLength);
        // A section the file does not hold whole ends the load: its length
        // can no longer be trusted to find the next one.
        if (head == 0 || size - pos - head < dataLength) {
            result.bytesSkipped = size - pos;
            break;
        }
        const unsigned char* data = bytes + pos + head;
        pos += head + dataLength;
        ++result.sections;
        if (!CRecord::IsValidName(name)) {
            ++result.unstorableNames;
            continue;
        }

        // A later section of the same name adds the records the first did
        // not have; one whose data is broken adds nothing.
        Section* section = into.Insert(name, Section{name, RecordMap()}).first;
        if (section->records.IsEmpty()) {
            ParseSection(data, dataLength, section->records, result);
            continue;
        }
        RecordMap more;
        if (!ParseSection(data, dataLength, more, result))
            continue;
        for (auto [key, record] : more) {
            if (!section->records.Insert(key, std::move(record)).second) {
                ++result.duplicateRecords;
                --result.records;
            }
        }
    }
    return result;
}

bool CYolDatabaseImpl::ParseSection(const unsigned char* data, uint64_t size, RecordMap& records,
                                    LoadResult& result) {
    RecordMap parsed;
    unsigned int kept = 0;
    unsigned int duplicates = 0;
    unsigned int unstorable = 0;
    uint64_t pos = 0;
    while (pos < size) {
        CRecord record;
        unsigned long used = record.Unpack(data + pos, size - pos);
        if (used == 0) {
            ++result.emptiedSections;
            return false;
        }
        pos += used;
        if (!record.HasValidName()) {
            ++unstorable;
            continue;
        }
        CYolString key = record.GetName();
        if (parsed.Insert(std::move(key), std::move(record)).second)
            ++kept;
        else
            ++duplicates;
    }
    records = std::move(parsed);
    result.records += kept;
    result.duplicateRecords += duplicates;
    result.unstorableNames += unstorable;
    return true;
}

bool CYolDatabaseImpl::SaveToBytes(std::vector<unsigned char>& out) const {
    out.clear();
    CYolCriticalSection::Guard guard(lock);

    // Sizes first, so the file is built in one allocation.
    std::vector<uint64_t> dataLengths;
    dataLengths.reserve(sections.Count());
    uint64_t total = 0;
    for (auto [name, section] : sections) {
        uint64_t dataLength = 0;
        for (auto [key, record] : section.records)
            dataLength += record.GetPackedSize();
        if (dataLength > CRecord::kMaxDataBytes)
            return false;
        dataLengths.push_back(dataLength);
        total += CRecord::Utf8Length(name) + 5 + dataLength;
    }

    out.resize(total);
    unsigned char* p = out.data();
    unsigned char* end = p + total;
    size_t index = 0;
    for (auto [name, section] : sections) {
        unsigned long n = CRecord::PackHeader(name, dataLengths[index++], p, end - p);
        for (auto [key, record] : section.records) {
            if (n == 0)
                break;
            p += n;
            n = record.Pack(p, end - p);
        }
        // Every name in the map was checked on its way in; a record that
        // still will not pack must not leave a gap in the file.
        if (n == 0) {
            out.clear();
            return false;
        }
        p += n;
    }
    return true;
}

uint64_t CYolDatabaseImpl::SavesEnded() const {
    std::lock_guard<std::mutex> guard(endedLock);
    return savesEnded;
}

bool CYolDatabaseImpl::WaitForSaveAfter(uint64_t seen, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> guard(endedLock);
    return endedSignal.wait_for(guard, limit, [&] { return savesEnded > seen; });
}

bool CYolDatabaseImpl::Save() {
    std::lock_guard<std::mutex> saving(saveLock);
    // Counted however the save ends, once its outcome is on disk or known.
    struct Ended {
        CYolDatabaseImpl& db;
        ~Ended() {
            {
                std::lock_guard<std::mutex> guard(db.endedLock);
                ++db.savesEnded;
            }
            db.endedSignal.notify_all();
        }
    } ended{*this};
    std::vector<unsigned char> bytes;
    uint64_t snapshot;
    try {
        CYolCriticalSection::Guard guard(lock);
        if (loadResult.readFailed) {
            std::fprintf(stderr, "Yol: %s\n", SaveBlockedReason().ToUtf8().c_str());
            return false;
        }
        if (sections.IsEmpty())
            return true;
        if (!SaveToBytes(bytes))
            return false;
        snapshot = generation;
    } catch (const std::bad_alloc&) {
        return false;
    }
    // The disk is slow: other threads go on reading and setting meanwhile.
    if (!CYolFile::WriteWholeFile(path, bytes.data(), bytes.size(), 0600))
        return false;
    CYolCriticalSection::Guard guard(lock);
    savedGeneration = snapshot;
    return true;
}

template <typename Read>
bool CYolDatabaseImpl::ReadValue(const YOL_GUID& sectionId, const CYolString& key, Read&& read) {
    try {
        CYolString name = sectionId.GetString();
        CYolCriticalSection::Guard guard(lock);
        const Section* section = sections.Find(name);
        if (section == nullptr)
            return false;
        const CRecord* record = section->records.Find(key);
        if (record == nullptr)
            return false;
        return read(*record);
    } catch (const std::bad_alloc&) {
        // Readers assign their output last, so it is still untouched.
        return false;
    }
}

template <typename Write>
bool CYolDatabaseImpl::WriteValue(const YOL_GUID& sectionId, const CYolString& key, Write&& write) {
    if (!CRecord::IsValidName(key))
        return false;
    try {
        CYolString name = sectionId.GetString();
        CYolCriticalSection::Guard guard(lock);
        Section* section = sections.Find(name);
        if (section == nullptr)
            section = sections.Insert(name, Section{name, RecordMap()}).first;
        CRecord* record = section->records.Find(key);
        if (record == nullptr)
            record = section->records.Insert(key, CRecord(key, nullptr, 0)).first;
        // A new empty key counts as a change even when the write fails.
        ++generation;
        return write(*record);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CYolDatabaseImpl::GetSize(const YOL_GUID& section, const CYolString& key, unsigned long& size) {
    return ReadValue(section, key, [&](const CRecord& record) {
        size = record.GetSize();
        return true;
    });
}

bool CYolDatabaseImpl::GetData(const YOL_GUID& section, const CYolString& key, void* buffer, unsigned long& size) {
    return ReadValue(section, key, [&](const CRecord& record) {
        bool fits = size >= record.GetSize();
        if (fits && record.GetSize() != 0)
            std::memcpy(buffer, record.GetData(), record.GetSize());
        size = record.GetSize();
        return fits;
    });
}

bool CYolDatabaseImpl::GetString(const YOL_GUID& section, const CYolString& key, CYolString& value) {
    return ReadValue(section, key, [&](const CRecord& record) {
        record.GetString(value);
        return true;
    });
}

bool CYolDatabaseImpl::GetDword(const YOL_GUID& section, const CYolString& key, unsigned long& value) {
    return ReadValue(section, key, [&](const CRecord& record) {
        value = record.GetDword();
        return true;
    });
}

bool CYolDatabaseImpl::GetWord(const YOL_GUID& section, const CYolString& key, unsigned short& value) {
    return ReadValue(section, key, [&](const CRecord& record) {
        value = record.GetWord();
        return true;
    });
}

bool CYolDatabaseImpl::GetByte(const YOL_GUID& section, const CYolString& key, unsigned char& value) {
    return ReadValue(section, key, [&](const CRecord& record) {
        value = record.GetByte();
        return true;
    });
}

bool CYolDatabaseImpl::SetData(const YOL_GUID& section, const CYolString& key, const void* data,
                               const unsigned long& size) {
    if (size > CRecord::kMaxDataBytes)
        return false;
    return WriteValue(section, key, [&](CRecord& record) { return record.SetData(data, size); });
}

bool CYolDatabaseImpl::SetString(const YOL_GUID& section, const CYolString& key, const CYolString& value) {
    return WriteValue(section, key, [&](CRecord& record) {
        record.SetString(value);
        return true;
    });
}

bool CYolDatabaseImpl::SetDword(const YOL_GUID& section, const CYolString& key, const unsigned long& value) {
    return WriteValue(section, key, [&](CRecord& record) {
        record.SetDword(value);
        return true;
    });
}

bool CYolDatabaseImpl::SetWord(const YOL_GUID& section, const CYolString& key, const unsigned short& value) {
    return WriteValue(section, key, [&](CRecord& record) {
        record.SetWord(value);
        return true;
    });
}

bool CYolDatabaseImpl::SetByte(const YOL_GUID& section, const CYolString& key, const unsigned char& value) {
    return WriteValue(section, key, [&](CRecord& record) {
        record.SetByte(value);
        return true;
    });
}

}  // namespace Database
