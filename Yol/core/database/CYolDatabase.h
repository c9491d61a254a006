#pragma once
// Database::CYolDatabase: the settings database as other core objects and the
// plug-ins see it, found as the service DatabaseGuid. Every value is
// addressed by (section GUID, key); values are little-endian, strings UTF-8.
//
// Getters return false and leave their output untouched when the section or
// the key is missing. Setters create the section and the key when missing;
// they return false, storing nothing, when the key cannot be stored (a key of
// more than 255 UTF-8 bytes, a value past 4 GB). Every operation may be
// called from any thread.

#include "CYolString.h"
#include "YOL_GUID.h"

namespace Database {

class CYolDatabase {
public:
    // size := the value's length.
    virtual bool GetSize(const YOL_GUID& section, const CYolString& key, unsigned long& size) = 0;
    // Copies the value when `size` is at least its length. `size` receives
    // the value's length whenever the key exists, so a call with size 0 asks
    // for the length; false when the buffer is too small.
    virtual bool GetData(const YOL_GUID& section, const CYolString& key, void* buffer, unsigned long& size) = 0;
    // The value decoded from UTF-8 (never undoing the password transform).
    virtual bool GetString(const YOL_GUID& section, const CYolString& key, CYolString& value) = 0;
    // The first 4, 2 or 1 bytes; 0 (and true) when the value is shorter.
    virtual bool GetDword(const YOL_GUID& section, const CYolString& key, unsigned long& value) = 0;
    virtual bool GetWord(const YOL_GUID& section, const CYolString& key, unsigned short& value) = 0;
    virtual bool GetByte(const YOL_GUID& section, const CYolString& key, unsigned char& value) = 0;

    virtual bool SetData(const YOL_GUID& section, const CYolString& key, const void* data,
                         const unsigned long& size) = 0;
    virtual bool SetString(const YOL_GUID& section, const CYolString& key, const CYolString& value) = 0;
    // Stores the low 32 bits as 4 bytes.
    virtual bool SetDword(const YOL_GUID& section, const CYolString& key, const unsigned long& value) = 0;
    virtual bool SetWord(const YOL_GUID& section, const CYolString& key, const unsigned short& value) = 0;
    virtual bool SetByte(const YOL_GUID& section, const CYolString& key, const unsigned char& value) = 0;

protected:
    // The database is destroyed by its owner, never through this interface;
    // the interface holds its eleven slots and nothing else.
    ~CYolDatabase() = default;
};

}  // namespace Database
