#pragma once
// CRuvDictionaries: the eight code lists of the plug-in (countries,
// occupations, languages, interest categories, groups, past backgrounds,
// genders, marital statuses), each read from a UTF-16 little-endian text
// file of "number;text" lines in the plug-in's folder. The details and
// search pages show the network's numeric codes through them and fill
// their combo boxes from them.
//
// The lists are shared by every account of the process. A dialog that
// needs them loads them when its pages are made (on the account's queue
// thread) and lets them go when its last page is deleted (on the
// user-interface thread); they are emptied once no dialog holds them, so
// one dialog closing never empties the lists under another. Every access
// takes the lists' lock; readers get copies.

#include "CYolString.h"

#include <cstddef>
#include <map>
#include <string_view>
#include <vector>

enum class RuvDictionary {
    Countries, Occupations, Languages, Interests, Groups, PastBackgrounds, Genders, MaritalStatuses,
};
constexpr std::size_t kRuvDictionaryCount = 8;

struct RuvDictionaryEntry {
    int id = 0;
    CYolString text;
};

// One list: unique texts in text order (UTF-16 code units), each with the
// id of the first line that named it.
class CRuvDictionaryList {
public:
    // A line holds at most this many characters; the rest of a longer line
    // is dropped. Only the first ten characters of the number count.
    static constexpr std::size_t kMaxLineChars = 255;
    static constexpr std::size_t kMaxNumberChars = 10;
    // A list file is never read past this size.
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

    // Reads the lines of a file's bytes into the list; entries already held
    // stay, and a text already held keeps its id.
    void Parse(std::string_view bytes);
    // False (list unchanged) when the text is held already.
    bool Insert(int id, const CYolString& text);

    std::size_t Count() const { return entries.size(); }
    bool Empty() const { return entries.empty(); }
    void Clear() { entries.clear(); }
    // Every entry in text order.
    std::vector<RuvDictionaryEntry> Entries() const;
    // The text of the first entry, in text order, whose id is `id`; empty
    // when none has it.
    CYolString Lookup(int id) const;

private:
    std::map<CYolString, int> entries;
};

class CRuvDictionaries {
public:
    // The file of a list, e.g. "countries.txt".
    static const char16_t* FileName(RuvDictionary list);

    // Holds the lists for one dialog and reads, from the plug-in's folder,
    // every list that is still empty. A file that cannot be read leaves its
    // list empty.
    static void Load();
    // The same from another folder (ending in a separator).
    static void LoadFrom(const CYolString& folder);
    // Lets go of one dialog's hold; the lists are emptied when no dialog
    // holds them any more.
    static void Clear();

    static std::vector<RuvDictionaryEntry> Entries(RuvDictionary list);
    static CYolString Lookup(RuvDictionary list, int id);
    static std::size_t Count(RuvDictionary list);
};
