#pragma once
// Entity capabilities (legacy XEP-0115 form: node, ver, ext names): the
// feature table every capability value is a bit set over, the plug-in's own
// capabilities, the per-account cache of known capability entries, the
// disco#info answer for the own capabilities, and client recognition from
// the "clients.ini" file of the plug-in's folder.

#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "XmlNode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// One row per feature; the row's flag is 1 shifted left by the row index,
// so the order is part of every stored capability value.
struct JabberFeature {
    const char* xmlns;
    const char* description;
};

inline constexpr int kJabberFeatureCount = 35;
extern const JabberFeature kJabberFeatures[kJabberFeatureCount];

// The rows other code asks for by name.
enum JabberFeatureRow : int {
    FeatureDiscoInfo = 0,
    FeatureSi = 3,
    FeatureFileTransfer = 4,
    FeatureBytestreams = 5,
    FeatureIbb = 6,
    FeatureCommands = 8,
    FeatureChatStates = 11,
    FeatureVersion = 13,
    FeaturePing = 15,
    FeatureReceipts = 30,
};

constexpr uint64_t FeatureFlag(int row) { return uint64_t{1} << row; }

// The features the account serves, from the table that also registers
// their request handlers (JabberRouter.cpp): what disco#info and the caps
// announce.
uint64_t OwnFeatures();
// What a cache look-up answers for an entry it does not hold.
inline constexpr uint64_t kCapsNotKnown = 0x8000000000000000ULL;

struct CapsExtRow {
    CYolString name;
    uint64_t features;
};
// The own ext rows, in the order the cache is seeded with them: "cmds" with
// the ad-hoc commands feature, then the announced version (OwnCapsVer) with
// every other own feature. The version row follows the version the presence
// announces, so that a peer asking disco#info for node#ver is answered. A
// row without features is left out: nothing answers for it.
std::vector<CapsExtRow> OwnCapsExtRows();

// The ver our presence announces: the OS name followed by the program
// version ("WM2142").
CYolString OwnCapsVer();

// The namespaces of the rows whose flags are set, in table order.
std::vector<const char*> FeatureNamespaces(uint64_t features);

// The features disco#info lists for `node` of our own capabilities: no node
// gives every own feature; own node URI + "#" + an own ext name gives that
// row's features. False for any other node (the caller answers otherwise).
bool OwnCapsFeaturesForNode(const CYolString* node, uint64_t& features);

// The disco#info result: iq "result" to the requester with the request's
// id, a disco#info query (with the node copied when given), one identity
// "client"/"pda" named "Yol PDA " + the OS name, and one feature per set
// flag in table order.
XmlNode BuildDiscoInfoResult(const CYolString* id, const CYolString* to, const CYolString* node,
                             uint64_t features);

// Capability entries per node, guarded by its own lock so that the account
// thread may read while start-up stores. Bounded: a node or entry beyond the
// limits is not stored.
class CCapsCache {
public:
    static constexpr size_t kMaxNodes = 256;
    static constexpr size_t kMaxEntriesPerNode = 256;

    CCapsCache() = default;
    CCapsCache(const CCapsCache&) = delete;
    CCapsCache& operator=(const CCapsCache&) = delete;

    // The own node under the own version name, then each own ext row.
    void Seed();
    // kCapsNotKnown when the node or the name is not held.
    uint64_t Lookup(const CYolString& node, const CYolString& name) const;
    // Creates node and entry as needed, new ones in front of their lists; an
    // existing entry takes the new values. 0 when there is no room left.
    int Store(const CYolString& node, const CYolString& name, uint64_t value, uint64_t second);
    void Clear();

private:
    struct Entry {
        CYolString name;
        uint64_t value;
        uint64_t second;
    };
    struct Node {
        CYolString node;
        std::vector<Entry> entries;
    };

    mutable CYolCriticalSection lock;
    std::vector<Node> nodes;
};

// Features of one resource from what its presence announced: the entry of
// (node, ver) counted as 0 when not known, OR-ed with every space-separated
// ext name the cache knows under the same node, OR-ed with the learned bits.
// A resource that announced no node or no ver answers 0: what its messages
// showed is trusted only from a client that takes part in capabilities.
uint64_t CapsFeatures(const CCapsCache& cache, const CYolString& node, const CYolString& ver,
                      const CYolString& ext, uint64_t learned);

// ---- client recognition -------------------------------------------------

struct ClientIconInfo {
    CYolString node;
    CYolString ver;
    CYolString name;
    CYolString pic;
    int imageId = -1;
};

// Limits of the reader: the file is ours, but it is a file a user can edit.
inline constexpr size_t kClientsIniMaxBytes = 256 * 1024;
inline constexpr size_t kClientsIniMaxEntries = 1024;
inline constexpr int kClientsIniMaxValue = 256;

// Sections of "clients.ini": "[name]" headers (names ignored) followed by
// key=value lines with the keys node, pic, ver, name (case-insensitive; a
// shorter key that begins one of them counts as it, in that order). Lines
// starting with ";" are comments. A line without "=", with an empty key, an
// unknown key, an empty or over-long value is skipped on its own. Blanks
// around keys and values are dropped. A section without a node can never
// be recognised and is not kept.
std::vector<ClientIconInfo> ParseClientsIni(const CYolString& text);

// Case-insensitive match of `text` against `pattern`, where "?" stands for
// one character and "*" for any run. Linear in practice, quadratic at worst.
bool MatchCapsVer(const CYolString& pattern, const CYolString& text);

// The plug-in's client-icon table, shared by its accounts: filled when the
// first account joins, emptied (images released) when the last one leaves.
class CClientIconTable {
public:
    struct Images {
        std::function<int(const CYolString& fileName)> registerImage;
        std::function<void(int imageId)> releaseImage;
    };

    // The table of the plug-in.
    static CClientIconTable& Instance();

    // The first join reads `path` (bounded) and registers every entry's pic
    // as "Clients/" + pic.
    void Join(const CYolString& path, const Images& images);
    // The last leave releases the images and empties the table.
    void Leave(const Images& images);

    // Only when the table is empty: reads the entries from text.
    void LoadText(const CYolString& text, const Images& images);
    void Clear(const Images& images);

    // The first entry whose node equals `node` (case-insensitive) and whose
    // ver is empty or, as a pattern, matches `ver`. The file's ver carries
    // the wildcards: what a contact announces is text, never a pattern.
    bool Find(const CYolString& node, const CYolString& ver, ClientIconInfo& out) const;
    size_t Count() const;

private:
    mutable CYolCriticalSection lock;
    std::vector<ClientIconInfo> entries;
    int members = 0;
};

// The path of "clients.ini" in the plug-in's folder.
CYolString ClientsIniPath();
