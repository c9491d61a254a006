#pragma once
// Settings held in memory, numbers little-endian as the settings file keeps
// them, for services that read and write settings through the database
// service. Safe to use from several threads.

#include "CYolDatabase.h"
#include "CYolString.h"
#include "YOL_GUID.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class MemoryDatabase final : public Database::CYolDatabase {
public:
    bool GetSize(const YOL_GUID& s, const CYolString& k, unsigned long& size) override {
        auto v = Find(s, k);
        if (!v)
            return false;
        size = v->size();
        return true;
    }
    bool GetData(const YOL_GUID& s, const CYolString& k, void* buffer, unsigned long& size) override {
        auto v = Find(s, k);
        if (!v)
            return false;
        bool fits = size >= v->size();
        if (fits && !v->empty())
            std::memcpy(buffer, v->data(), v->size());
        size = v->size();
        return fits;
    }
    bool GetString(const YOL_GUID& s, const CYolString& k, CYolString& value) override {
        auto v = Find(s, k);
        if (!v)
            return false;
        value = CYolString::FromUtf8(std::string(v->begin(), v->end()));
        return true;
    }
    bool GetDword(const YOL_GUID& s, const CYolString& k, unsigned long& value) override {
        return GetNumber(s, k, 4, value);
    }
    bool GetWord(const YOL_GUID& s, const CYolString& k, unsigned short& value) override {
        return GetNarrow(s, k, value);
    }
    bool GetByte(const YOL_GUID& s, const CYolString& k, unsigned char& value) override {
        return GetNarrow(s, k, value);
    }
    bool SetData(const YOL_GUID& s, const CYolString& k, const void* data, const unsigned long& size) override {
        auto bytes = static_cast<const uint8_t*>(data);
        Put(s, k, std::vector<uint8_t>(bytes, bytes + size));
        return true;
    }
    bool SetString(const YOL_GUID& s, const CYolString& k, const CYolString& value) override {
        std::string utf8 = value.ToUtf8();
        Put(s, k, std::vector<uint8_t>(utf8.begin(), utf8.end()));
        return true;
    }
    bool SetDword(const YOL_GUID& s, const CYolString& k, const unsigned long& value) override {
        return PutNumber(s, k, 4, value);
    }
    bool SetWord(const YOL_GUID& s, const CYolString& k, const unsigned short& value) override {
        return PutNumber(s, k, 2, value);
    }
    bool SetByte(const YOL_GUID& s, const CYolString& k, const unsigned char& value) override {
        return PutNumber(s, k, 1, value);
    }

    // The stored bytes of a value; empty when missing.
    std::vector<uint8_t> Raw(const YOL_GUID& s, const char16_t* k) {
        auto v = Find(s, k);
        return v ? *v : std::vector<uint8_t>{};
    }

private:
    using Key = std::pair<std::string, std::string>;

    static Key MakeKey(const YOL_GUID& s, const CYolString& k) { return {s.GetString().ToUtf8(), k.ToUtf8()}; }
    std::optional<std::vector<uint8_t>> Find(const YOL_GUID& s, const CYolString& k) {
        std::lock_guard<std::mutex> hold(lock);
        auto found = values.find(MakeKey(s, k));
        if (found == values.end())
            return std::nullopt;
        return found->second;
    }
    void Put(const YOL_GUID& s, const CYolString& k, std::vector<uint8_t> bytes) {
        std::lock_guard<std::mutex> hold(lock);
        values[MakeKey(s, k)] = std::move(bytes);
    }
    // A value shorter than the width reads as 0.
    bool GetNumber(const YOL_GUID& s, const CYolString& k, size_t width, unsigned long& value) {
        auto v = Find(s, k);
        if (!v)
            return false;
        value = 0;
        if (v->size() >= width)
            for (size_t i = 0; i < width; ++i)
                value |= static_cast<unsigned long>((*v)[i]) << (8 * i);
        return true;
    }
    template <typename Number>
    bool GetNarrow(const YOL_GUID& s, const CYolString& k, Number& value) {
        unsigned long wide = 0;
        if (!GetNumber(s, k, sizeof(Number), wide))
            return false;
        value = static_cast<Number>(wide);
        return true;
    }
    bool PutNumber(const YOL_GUID& s, const CYolString& k, size_t width, unsigned long value) {
        std::vector<uint8_t> bytes(width);
        for (size_t i = 0; i < width; ++i)
            bytes[i] = static_cast<uint8_t>(value >> (8 * i));
        Put(s, k, std::move(bytes));
        return true;
    }

    std::mutex lock;
    std::map<Key, std::vector<uint8_t>> values;
};
