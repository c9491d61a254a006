#pragma once
// ZemTyping: the contacts of an MRIM account that are typing. The network
// sends a notice while a contact types and none when it stops, so a contact
// silent for more than 10 seconds is taken as no longer typing, and a text
// from it ends its typing at once.
//
// It owns the table of typing contacts (address -> time of the last notice,
// Unix seconds of the injectable clock). Expire runs from the account's
// one-second timer on the account's queue thread, like everything else
// here, so the table needs no lock and no thread of its own.

#include "CYolString.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>

class ZemTyping {
public:
    // Tells the contact list that the contact at `address` types or stopped.
    using Report = std::function<void(const CYolString& address, bool typing)>;
    explicit ZemTyping(Report report) : report(std::move(report)) {}

    static constexpr int64_t kSilenceSeconds = 10;

    // A typing notice at `now`; answers whether the table was empty before
    // (the expiry timer must start).
    bool Notice(const CYolString& address, int64_t now);
    // A text arrived: typing is over (reported also for a contact that was
    // not typing).
    void MessageArrived(const CYolString& address);
    // Ends every entry older than the silence; answers whether any remain
    // (the timer goes on).
    bool Expire(int64_t now);
    void Clear() { typing.clear(); }
    bool IsTyping(const CYolString& address) const { return typing.count(address.ToU16()) != 0; }
    size_t Count() const { return typing.size(); }

private:
    Report report;
    std::map<std::u16string, int64_t> typing;
};
