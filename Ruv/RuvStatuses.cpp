#include "RuvStatuses.h"

namespace RuvStatus {
namespace {

constexpr struct {
    int status;
    uint16_t word;
} kWords[] = {
    {Protocols::Online, 0x0000},       {Protocols::Invisible, 0x0100}, {Protocols::InvisibleForAll, 0x0100},
    {Protocols::FreeForChat, 0x0020},  {Protocols::Evil, 0x3000},      {Protocols::Depression, 0x4000},
    {Protocols::AtHome, 0x5000},       {Protocols::AtWork, 0x6000},    {Protocols::Lunch, 0x2001},
    {Protocols::Away, 0x0001},         {Protocols::NotAvailable, 0x0004}, {Protocols::Occupied, 0x0010},
    {Protocols::DoNotDisturb, 0x0002},
};

// Tried in order; the first that holds decides. `exact`: the word must
// equal `value`, else it must have the bit set.
constexpr struct {
    bool exact;
    uint16_t value;
    Protocols::Status status;
} kReverse[] = {
    {false, 0x0020, Protocols::FreeForChat}, {false, 0x0004, Protocols::NotAvailable},
    {false, 0x0002, Protocols::DoNotDisturb}, {false, 0x0010, Protocols::Occupied},
    {true, 0x2001, Protocols::Lunch},          {false, 0x0001, Protocols::Away},
    {false, 0x0100, Protocols::Invisible},     {true, 0x3000, Protocols::Evil},
    {true, 0x4000, Protocols::Depression},     {true, 0x5000, Protocols::AtHome},
    {true, 0x6000, Protocols::AtWork},
};

}  // namespace

uint16_t ToWord(int status) {
    for (const auto& row : kWords)
        if (row.status == status)
            return row.word;
    return 0xFFFF;
}

Protocols::Status FromWord(uint16_t word) {
    for (const auto& row : kReverse)
        if (row.exact ? word == row.value : (word & row.value) != 0)
            return row.status;
    return Protocols::Online;
}

int Sendable(int status) {
    if (status == Protocols::Lunch)
        return Protocols::Away;
    return TravelsAsCapability(status) ? Protocols::Online : status;
}

int Refined(int reported, int wanted) {
    if (reported == Protocols::Invisible && wanted == Protocols::InvisibleForAll)
        return wanted;
    if (reported == Protocols::Online && wanted >= Protocols::FreeForChat && wanted <= Protocols::AtWork)
        return wanted;
    if (reported == Protocols::Away && wanted == Protocols::Lunch)
        return wanted;
    return reported;
}

}  // namespace RuvStatus
