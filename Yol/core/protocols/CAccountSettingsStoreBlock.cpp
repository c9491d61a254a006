// The account-settings block: the table of keys, where each travels and in
// which form, and the export and import that follow it.

#include "CAccountSettingsStore.h"
#include "ValueNames.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

namespace Protocols {

namespace {

enum class Form {
    Byte,         // exactly 1 byte both ways
    Dword,        // a 4-byte record value, 4 bytes big-endian in the block
    DecimalDword, // a 4-byte record value, its decimal digits in the block
    Utf8,         // the stored UTF-8 bytes as they are
    Scrambled,    // the stored UTF-8 bytes through the password transform
    Password,     // the stored bytes as they are, at most 256 of them
};

struct KeyPlace {
    const char16_t* key;
    unsigned short type;
    Form form;
};

// Within each big TLV the TLVs follow the order of its table.
const KeyPlace kConnectionKeys[] = {
    {u"SrvConServer", 1, Form::Utf8},
    {u"SrvConPort", 2, Form::DecimalDword},
    {u"SrvConKeepAlive", 9, Form::Byte},
};

const KeyPlace kLoginKeys[] = {
    {ValueName::SrvLogName, 1, Form::Scrambled}, {u"SrvLogMail", 2, Form::Scrambled}, {u"SrvLogPass", 3, Form::Password},
    {u"SrvLogSave", 4, Form::Byte},      {u"SrvLogSecure", 5, Form::Byte},    {u"SrvLogMobile", 6, Form::Byte},
    {u"SrvLogDisp", 7, Form::Utf8},      {u"SrvLogHashed", 8, Form::Byte},
};

const KeyPlace kSettingsKeys[] = {
    {u"SrvSetsAuthReq", 1, Form::Byte},      {u"SrvSetsWebAware", 2, Form::Byte},
    {u"SrvSetsShowIdle", 3, Form::Byte},     {u"SrvSetsLogIfa", 4, Form::Byte},
    {u"SrvSetsStatus", 5, Form::Dword},      {u"SrvSetsPrivStatus", 6, Form::Dword},
    {u"SrvSetsCustStatus", 7, Form::Dword},  {u"SrvSetsShowBalloon", 8, Form::Byte},
    {u"SrvSetsClientId", 9, Form::Dword},    {u"SrvSetsProtoNum", 10, Form::Dword},
    {u"SrvSetsCap1", 11, Form::Utf8},        {u"SrvSetsCap2", 12, Form::Utf8},
    {u"SrvSetsCap3", 13, Form::Utf8},
};

struct Section {
    unsigned short bigType;
    const KeyPlace* keys;
    int count;
};

const Section kSections[] = {
    {2, kConnectionKeys, int(std::size(kConnectionKeys))},
    {3, kLoginKeys, int(std::size(kLoginKeys))},
    {4, kSettingsKeys, int(std::size(kSettingsKeys))},
};

// Big TLVs holding one value each.
const KeyPlace kTextKeys[] = {
    {u"SrvProtoName", 6, Form::Utf8},
    {u"SrvFileName", 7, Form::Utf8},
    {u"SrvEnabled", 8, Form::Byte},
};

constexpr unsigned short kPluginValuesType = 10;
// Plug-in values: 20 of each kind, in TLVs 0-19, 20-39 and 40-59.
constexpr int kPluginValuesPerKind = 20;
const KeyPlace kPluginKinds[] = {
    {u"SrvSpecBool", 0, Form::Byte},
    {u"SrvSpecDword", 20, Form::Dword},
    {u"SrvSpecString", 40, Form::Utf8},
};

constexpr unsigned int kMaxPasswordBytes = 256;

using Bytes = std::vector<unsigned char>;

CYolString PluginKey(const KeyPlace& kind, int index) {
    return CYolString(kind.key) + CYolString(static_cast<unsigned int>(index), false);
}

void Transform(Bytes& bytes) {
    if (!bytes.empty())
        Database::CRecord::TransformProtected(bytes.data(), bytes.size());
}

// The block form of a stored value; false when the key is missing or its
// size does not fit the form.
bool ExportValue(const Database::CRecord* record, Form form, Bytes& out) {
    if (record == nullptr)
        return false;
    const unsigned char* data = record->GetData();
    unsigned long size = record->GetSize();
    switch (form) {
        case Form::Byte:
            if (size != 1)
                return false;
            out.assign(data, data + 1);
            return true;
        case Form::Dword: {
            if (size != 4)
                return false;
            unsigned long v = record->GetDword();
            out = {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                   static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
            return true;
        }
        case Form::DecimalDword: {
            if (size != 4)
                return false;
            std::string digits = CYolString(static_cast<unsigned int>(record->GetDword()), false).ToUtf8();
            out.assign(digits.begin(), digits.end());
            return true;
        }
        case Form::Password:
            if (size > kMaxPasswordBytes)
                return false;
            out.assign(data, data + size);
            return true;
        case Form::Utf8:
        case Form::Scrambled:
            out.assign(data, data + size);
            if (form == Form::Scrambled)
                Transform(out);
            return true;
    }
    return false;
}

bool ParseDecimal(const unsigned char* digits, unsigned int length, unsigned int& value) {
    if (length == 0 || length > 10)
        return false;
    uint64_t number = 0;
    for (unsigned int i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
        number = number * 10 + (digits[i] - '0');
    }
    if (number > 0xFFFFFFFFu)
        return false;
    value = static_cast<unsigned int>(number);
    return true;
}

// Stores one TLV value under key in the record form; false when the value
// is not of the form's shape and was left unread.
bool ImportValue(CAccountSettingsStore& store, const CYolString& key, Form form, const unsigned char* data,
                 unsigned int length) {
    switch (form) {
        case Form::Byte:
            return length == 1 && store.SetByte(key, data[0]);
        case Form::Dword:
            return length == 4 &&
                   store.SetDword(key, (unsigned int)data[0] << 24 | (unsigned int)data[1] << 16 |
                                           (unsigned int)data[2] << 8 | data[3]);
        case Form::DecimalDword: {
            unsigned int value = 0;
            return ParseDecimal(data, length, value) && store.SetDword(key, value);
        }
        case Form::Password:
            return length <= kMaxPasswordBytes && store.SetBlob(key, data, length);
        case Form::Utf8:
            return store.SetBlob(key, data, length);
        case Form::Scrambled: {
            Bytes plain(data, data + length);
            Transform(plain);
            return store.SetBlob(key, plain.data(), length);
        }
    }
    return false;
}

void AddTLV(CTLVCol& col, unsigned short type, const Bytes& value) {
    // A value past the 16-bit length would be cut; it is left out instead.
    if (value.size() > 0xFFFF)
        return;
    col.Add(CTLV(type, static_cast<unsigned short>(value.size()), value.data()));
}

void AddBigTLV(CBigTLVCol& block, unsigned short type, const unsigned char* data, size_t size) {
    block.Add(CBigTLV(type, static_cast<unsigned int>(size), data));
}

void AddCollection(CBigTLVCol& block, unsigned short type, const CTLVCol& col) {
    std::unique_ptr<unsigned char, decltype(&std::free)> wire(col.GetBuffer(false), &std::free);
    int length = col.GetDataLength();
    AddBigTLV(block, type, wire.get(), wire != nullptr && length > 0 ? size_t(length) : 0);
}

// The inner collection of a big TLV; false when the block has no such TLV.
bool ReadCollection(const CBigTLVCol& block, unsigned short type, CTLVCol& col) {
    const CBigTLV* big = block.GetTLV(type);
    if (big == nullptr)
        return false;
    if (big->GetLength() > 0)
        col.Unpack(big->GetValue(), static_cast<int>(big->GetLength()));
    return true;
}

}  // namespace

void CAccountSettingsStore::Export(CBigTLVCol& block) const {
    block.Clear();
    Bytes value;
    for (const Section& section : kSections) {
        CTLVCol col;
        for (int i = 0; i < section.count; ++i) {
            const KeyPlace& place = section.keys[i];
            if (ExportValue(Find(place.key), place.form, value))
                AddTLV(col, place.type, value);
        }
        AddCollection(block, section.bigType, col);
    }
    for (const KeyPlace& place : kTextKeys) {
        if (ExportValue(Find(place.key), place.form, value))
            AddBigTLV(block, place.type, value.data(), value.size());
    }
    CTLVCol plugin;
    for (const KeyPlace& kind : kPluginKinds) {
        for (int i = 0; i < kPluginValuesPerKind; ++i) {
            if (ExportValue(Find(PluginKey(kind, i)), kind.form, value))
                AddTLV(plugin, static_cast<unsigned short>(kind.type + i), value);
        }
    }
    AddCollection(block, kPluginValuesType, plugin);
}

void CAccountSettingsStore::Import(const CBigTLVCol& block) {
    for (const Section& section : kSections) {
        CTLVCol col;
        if (!ReadCollection(block, section.bigType, col))
            continue;
        for (int i = 0; i < section.count; ++i) {
            const KeyPlace& place = section.keys[i];
            if (const CTLV* tlv = col.GetTLV(place.type))
                ImportValue(*this, place.key, place.form, tlv->GetValue(), tlv->GetLength());
        }
    }
    for (const KeyPlace& place : kTextKeys) {
        const CBigTLV* big = block.GetTLV(place.type);
        if (big == nullptr)
            continue;
        // The enabled flag is the first byte of its TLV; an empty one says nothing.
        unsigned int length = big->GetLength();
        if (place.form == Form::Byte && length > 1)
            length = 1;
        ImportValue(*this, place.key, place.form, big->GetValue(), length);
    }
    CTLVCol plugin;
    if (!ReadCollection(block, kPluginValuesType, plugin))
        return;
    for (const CTLV& tlv : plugin) {
        int type = tlv.GetType();
        int kindIndex = type / kPluginValuesPerKind;
        if (kindIndex >= int(std::size(kPluginKinds)))
            continue;
        const KeyPlace& kind = kPluginKinds[kindIndex];
        unsigned int length = tlv.GetLength();
        // A bool is the TLV's first byte.
        if (kind.form == Form::Byte && length > 1)
            length = 1;
        ImportValue(*this, PluginKey(kind, type - kind.type), kind.form, tlv.GetValue(), length);
    }
}

std::vector<unsigned char> CAccountSettingsStore::BlockBytes(const CBigTLVCol& block) {
    std::vector<unsigned char> out;
    std::unique_ptr<unsigned char, decltype(&std::free)> wire(block.GetBuffer(false), &std::free);
    int length = block.GetDataLength();
    if (wire != nullptr && length > 0)
        out.assign(wire.get(), wire.get() + length);
    return out;
}

bool CAccountSettingsStore::ParseBlock(const unsigned char* bytes, size_t size, CBigTLVCol& block) {
    block.Clear();
    if (size > size_t(INT_MAX))
        return false;
    if (size == 0)
        return true;
    return block.Unpack(bytes, static_cast<int>(size)) == static_cast<int>(size);
}

}  // namespace Protocols
