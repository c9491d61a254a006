#include "ZemTyping.h"

#include <vector>

bool ZemTyping::Notice(const CYolString& address, int64_t now) {
    const bool wasEmpty = typing.empty();
    typing[address.ToU16()] = now;
    report(address, true);
    return wasEmpty;
}

void ZemTyping::MessageArrived(const CYolString& address) {
    typing.erase(address.ToU16());
    report(address, false);
}

bool ZemTyping::Expire(int64_t now) {
    std::vector<std::u16string> ended;
    for (auto it = typing.begin(); it != typing.end();) {
        if (it->second < now - kSilenceSeconds) {
            ended.push_back(it->first);
            it = typing.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::u16string& address : ended)
        report(CYolString(address.c_str(), static_cast<int>(address.size())), false);
    return !typing.empty();
}
