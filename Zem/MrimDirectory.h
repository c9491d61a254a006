#pragma once
// MrimDirectory: the server's directory, which answers both a contact's
// details and the white-pages search. One request type carries numbered
// parameters; one answer type carries a table of named fields and rows.
// Details requests go out with bits 0x90000000 in their sequence number,
// searches with 0x70000000, and an answer is told apart by the same bits.
//
// It owns the account's search criteria. Details go into item values of
// the contact in the program's list and end with the details-ready event;
// search results go out one by one and an empty result ends the search.
// It writes to its packet sink and reads the account's copy of the list.
// Runs on the account's queue thread.

#include "CYolString.h"
#include "CZemContactList.h"
#include "MrimPacketSink.h"
#include "MrimWire.h"
#include "ProtocolRecords.h"
#include "ZemContactListPorts.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

struct ZemSearchQuery {
    int page = 0;  // 0 by e-mail, 1 by fields
    CYolString email;
    int onlineOnly = 0;
    CYolString nickname;
    CYolString firstName;
    CYolString lastName;
    int gender = 0;  // 0 any, 1 male, 2 female
    int ageFrom = 0;
    int ageTo = 0;
    int countryId = 0;
    int regionId = 0;
    int reserved = 0;
};

struct ZemDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// A directory birthday, "year-month-day"; false (and zeros) when it is not one.
bool ParseZemBirthday(const std::string& text, ZemDate& out);
// Whole years from `birth` to `today`; 0 when the birthday lies ahead.
int ZemAge(const ZemDate& birth, const ZemDate& today);

// One directory answer, read whole and bounded: field names (lower-cased)
// and rows of values, each decoded in its field's encoding.
struct MrimDirectoryAnswer {
    uint32_t result = 0;
    std::vector<std::map<std::string, CYolString>> rows;
};
// False when the answer breaks its layout before the rows; a row cut short
// ends the rows read so far.
bool ReadDirectoryAnswer(std::string_view body, MrimDirectoryAnswer& out);

class MMrimDirectoryOwner {
public:
    virtual ~MMrimDirectoryOwner() = default;
    virtual void ContactDetailsReady(unsigned int item) = 0;
    // A found user; null ends the search.
    virtual void SearchResult(const Protocols::UserInfo* user) = 0;
    // The status icon of a directory status code and URI.
    virtual CYolArray<unsigned int> DirectoryStatusIcon(uint32_t status, const CYolString& uri) = 0;
    virtual ZemDate Today() = 0;
};

class MrimDirectory {
public:
    static constexpr uint32_t kDetailsBits = 0x90000000;
    static constexpr uint32_t kSearchBits = 0x70000000;

    MrimDirectory(MrimPacketSink& sink, const CZemContactList& list, ZemListModel& model, MMrimDirectoryOwner& owner)
        : sink(sink), list(list), model(model), owner(owner) {}

    ZemSearchQuery& Query() { return query; }
    void SetQuery(const ZemSearchQuery& value) { query = value; }

    void RequestDetails(unsigned int contact);
    void StartSearch(int page);
    void OnAnswer(const MrimPacket& packet);

private:
    bool SendSearch(const std::string& body);
    void ApplyDetails(const std::map<std::string, CYolString>& row, const CYolString& address);
    void ReportFound(const std::map<std::string, CYolString>& row, const CYolString& address);
    // Writes the birthday's keys; answers the age.
    int ApplyBirthday(unsigned int item, const CYolString& birthday);

    MrimPacketSink& sink;
    const CZemContactList& list;
    ZemListModel& model;
    MMrimDirectoryOwner& owner;
    ZemSearchQuery query;
};
