#pragma once
// The client-identification rules of "clients.cfg" (UTF-16 little-endian
// text beside the plug-in): each rule names a client, what a user's
// direct-connection block and capability list must and must not hold, an
// optional picture and how to read the client's version.
//
// CRuvClientRuleList is the parsed file, a plain value: parse, match,
// format. CRuvClientRules is the plug-in's one shared list: accounts join
// when they start and leave when they stop, the first join with client
// icons wanted reads the file and registers the pictures, and only the last
// leave empties it, so an account never loses the rules another one is
// matching with. Every call takes its lock; any thread.

#include "CYolString.h"
#include "RuvClientIdentity.h"

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// A capability prefix: the first `length` bytes (at most 16) of `bytes`.
struct TCapPrefix {
    std::array<uint8_t, 16> bytes{};
    uint8_t length = 0;
    bool Matches(const RuvCapabilityGuid& guid) const;
};

enum class RuvVersionForm : uint8_t {
    None,
    CapText,      // the bytes after a capability's prefix, as text
    CapBytes,     // the same bytes as signed decimals joined by "."
    DcMasked,     // a dcinfo value's low bytes, in decimal
    DcDotted,     // a dcinfo value's four bytes joined by "."
    DcConcat,     // a dcinfo value's four bytes written one after another
};

struct TClientRule {
    CYolString name;
    uint32_t protocolVersion = 0;
    bool protocolVersionSet = false;
    uint32_t dcInfo[3] = {};
    bool dcInfoSet[3] = {};
    std::vector<TCapPrefix> required;
    bool exact = false;
    std::vector<TCapPrefix> forbidden;
    CYolString pictureFile;
    int picture = -1;
    // Dcinfo forms: which value (1-3) and, masked, how many low bytes.
    // Capability forms: the hex prefix looked for and how many bytes follow
    // it (0: all of them).
    RuvVersionForm versionForm = RuvVersionForm::None;
    int versionSource = 0;
    int versionWidth = 0;
    std::string versionPrefix;
};

class CRuvClientRuleList {
public:
    // Limits of the reader: a user may edit the file.
    static constexpr size_t kMaxFileBytes = 256 * 1024;
    static constexpr size_t kMaxRules = 1024;
    static constexpr size_t kMaxPrefixes = 64;
    static constexpr int kMaxName = 256;

    // `text` is the file's content after its byte-order mark.
    static CRuvClientRuleList Parse(std::u16string_view text);
    // The file's bytes as read: the mark skipped, the text taken up to its
    // first zero character, an odd last byte dropped.
    static CRuvClientRuleList ParseFile(std::string_view bytes);

    // The first rule the user passes; -1 for none, and always without a
    // direct-connection block.
    int Match(const RuvClientInputs& user) const;
    // The rule's name with the user's version in place of its first "%".
    static CYolString FormatName(const TClientRule& rule, const RuvClientInputs& user);

    std::vector<TClientRule>& Rules() { return rules; }
    const std::vector<TClientRule>& Rules() const { return rules; }

private:
    std::vector<TClientRule> rules;
};

class CRuvClientRules {
public:
    struct Images {
        std::function<int(const CYolString& fileName)> registerImage;
        std::function<void(int imageId)> releaseImage;
    };

    static CRuvClientRules& Instance();

    // An account starts; with `wanted` and no rules loaded yet, the file at
    // `path` is read (bounded) and each rule's picture registered.
    void Join(bool wanted, const CYolString& path, const Images& images);
    // An account stops; the last one releases the pictures and the rules.
    void Leave(const Images& images);
    // Only when empty: takes the rules of `bytes` (the file's content).
    void LoadBytes(std::string_view bytes, const Images& images);

    // Fills rule, client name and picture of `out` from the first rule the
    // user passes; leaves them when none does.
    void Identify(const RuvClientInputs& user, RuvClientIdentification& out) const;
    size_t Count() const;

private:
    void LoadLocked(std::string_view bytes, const Images& images);
    void ClearLocked(const Images& images);

    mutable std::mutex lock;
    CRuvClientRuleList list;
    int members = 0;
};

// "clients.cfg" in the plug-in's folder.
CYolString RuvClientRulesPath();
