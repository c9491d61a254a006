#pragma once
// Protocols::CAccountSettingsStore: the settings of one account, kept by the
// protocols manager rather than by the plug-in. A list of named values
// (Database::CRecord), found by exact name (first match) and appended when
// new; a value's type is only its size: byte 1, word 2, dword 4 bytes
// little-endian, strings UTF-8 without terminator, protected strings through
// the password transform, blobs as given. Nothing has a default: a missing
// key reads as missing and each plug-in decides what that means.
//
// The store has no lock; the protocols manager reaches it only under its
// account lock.
//
// The account-settings block (Export/Import) is how an account's settings
// travel to the server store: a CBigTLVCol whose big TLVs 2 (connection),
// 3 (login), 4 (settings) and 10 (plug-in values) hold a CTLVCol each, 6 and
// 7 UTF-8 text and 8 one byte. Exporting, importing the block into an empty
// store and exporting again gives the same bytes.

#include "CRecord.h"
#include "CTLV.h"
#include "CYolArray.h"
#include "CYolString.h"

#include <cstddef>
#include <vector>

namespace Protocols {

class CAccountSettingsStore {
public:
    CAccountSettingsStore() { records.SetGrowStep(10); }
    explicit CAccountSettingsStore(const CYolArray<Database::CRecord>& list) : records(list) {}

    // --- typed access -------------------------------------------------------
    // A failing getter leaves its output untouched.

    bool GetValueSize(const CYolString& key, unsigned int& size) const;
    // Copies the value when `size` is at least its length and sets `size` to
    // that length; false, with nothing changed, when the buffer is too small.
    bool GetBlob(const CYolString& key, void* buffer, unsigned int& size) const;
    // The UTF-8 decoding of the bytes, transformed back first when protected.
    bool GetString(const CYolString& key, CYolString& value, bool isProtected) const;
    // True only when the value has exactly the size of the type.
    bool GetDword(const CYolString& key, unsigned int& value) const;
    bool GetWord(const CYolString& key, unsigned short& value) const;
    bool GetByte(const CYolString& key, unsigned char& value) const;
    bool GetBool(const CYolString& key, bool& value) const;

    // Replace the value of an existing key or append a new one. False, with
    // nothing stored, when the key has no packed form (over 255 UTF-8 bytes).
    bool SetBlob(const CYolString& key, const void* data, unsigned int size);
    bool SetString(const CYolString& key, const CYolString& value, bool isProtected);
    bool SetDword(const CYolString& key, unsigned int value);
    bool SetWord(const CYolString& key, unsigned short value);
    bool SetByte(const CYolString& key, unsigned char value);
    bool SetBool(const CYolString& key, bool value) { return SetByte(key, value ? 1 : 0); }

    const CYolArray<Database::CRecord>& Records() const { return records; }
    int Count() const { return records.Count(); }

    // --- packed form ("Accounts data": the records back to back) -----------

    // False when some record has no packed form.
    bool Pack(std::vector<unsigned char>& out) const;
    // Replaces the content with the records packed in `bytes`; false, with
    // the store unchanged, when the bytes are not whole records.
    bool Unpack(const unsigned char* bytes, size_t size);

    // --- account-settings block --------------------------------------------

    // Empties `block` and writes the keys of the block's table into it; a key
    // that is missing, or whose size does not fit its form, gives no TLV.
    void Export(CBigTLVCol& block) const;
    // Sets the keys whose TLVs are present and well formed; nothing is
    // removed. A TLV that is empty where a number is expected, has the wrong
    // size, or carries a plug-in value id outside 0-59 is left unread.
    void Import(const CBigTLVCol& block);
    // The block's wire form (records back to back, big-endian headers).
    static std::vector<unsigned char> BlockBytes(const CBigTLVCol& block);
    // Reads a block from untrusted bytes: true when the bytes are whole big
    // TLVs from start to end.
    static bool ParseBlock(const unsigned char* bytes, size_t size, CBigTLVCol& block);

private:
    const Database::CRecord* Find(const CYolString& key) const;
    // Stores raw bytes under key (the record form of every setter).
    bool Store(const CYolString& key, const void* data, unsigned long size);

    CYolArray<Database::CRecord> records;
};

}  // namespace Protocols
