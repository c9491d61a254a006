#include "ZemStatuses.h"

#include "MrimWire.h"

namespace {

struct WireRow {
    int status;
    uint32_t wire;
    const char16_t* uri;
};

constexpr WireRow kToWire[] = {
    {Protocols::Offline, ZemStatus::kWireOffline, u"STATUS_OFFLINE"},
    {Protocols::Online, ZemStatus::kWireOnline, u"STATUS_ONLINE"},
    {Protocols::Invisible, 0x80000001, u"STATUS_INVISIBLE"},
    {Protocols::InvisibleForAll, 0x80000001, u"STATUS_INVISIBLE"},
    {Protocols::FreeForChat, ZemStatus::kWireExtended, u"status_chat"},
    {Protocols::Evil, ZemStatus::kWireExtended, u"status_38"},
    {Protocols::Depression, ZemStatus::kWireExtended, u"status_34"},
    {Protocols::AtHome, ZemStatus::kWireExtended, u"status_5"},
    {Protocols::AtWork, ZemStatus::kWireExtended, u"status_22"},
    {Protocols::Lunch, ZemStatus::kWireExtended, u"status_6"},
    {Protocols::Away, ZemStatus::kWireAway, u"STATUS_AWAY"},
    {Protocols::NotAvailable, ZemStatus::kWireExtended, u"status_10"},
    {Protocols::Occupied, ZemStatus::kWireExtended, u"status_46"},
    {Protocols::DoNotDisturb, ZemStatus::kWireExtended, u"status_dnd"},
};

struct UriRow {
    const char16_t* uri;
    Protocols::Status status;
};

constexpr UriRow kFromUri[] = {
    {u"status_chat", Protocols::FreeForChat}, {u"status_dnd", Protocols::DoNotDisturb},
    {u"status_5", Protocols::AtHome},         {u"status_6", Protocols::Lunch},
    {u"status_10", Protocols::NotAvailable},  {u"status_22", Protocols::AtWork},
    {u"status_34", Protocols::Depression},    {u"status_35", Protocols::Depression},
    {u"status_38", Protocols::Evil},          {u"status_46", Protocols::Occupied},
};

constexpr ZemStatusRow kRows[] = {
    {Protocols::Offline, 12, -1},     {Protocols::Connecting, 3, -1},   {Protocols::Online, 13, -1},
    {Protocols::Invisible, 8, 3},     {Protocols::FreeForChat, 7, 4},   {Protocols::Evil, 6, 5},
    {Protocols::Depression, 4, 6},    {Protocols::AtHome, 0, 7},        {Protocols::AtWork, 1, 8},
    {Protocols::Lunch, 9, 9},         {Protocols::Away, 2, 10},         {Protocols::NotAvailable, 10, 11},
    {Protocols::Occupied, 11, 12},    {Protocols::DoNotDisturb, 5, 13},
};

unsigned int ImageAt(const CYolArray<unsigned int>& images, int index) {
    return index >= 0 && index < images.Count() ? images[index] : 0;
}

}  // namespace

uint32_t StatusToWire(int status, CYolString& uri) {
    for (const WireRow& row : kToWire) {
        if (row.status == status) {
            uri = CYolString(row.uri);
            return row.wire;
        }
    }
    uri = CYolString();
    return ZemStatus::kWireOnline;
}

Protocols::Status WireToStatus(uint32_t wire, const CYolString& uri) {
    if (wire & ZemStatus::kWireInvisibleBit)
        return Protocols::Invisible;
    if (wire == ZemStatus::kWireOnline)
        return Protocols::Online;
    if (wire == ZemStatus::kWireAway)
        return Protocols::Away;
    if (wire != ZemStatus::kWireExtended)
        return Protocols::Offline;
    CYolString lower = uri;
    lower.ToLower();
    for (const UriRow& row : kFromUri)
        if (lower == row.uri)
            return row.status;
    return Protocols::Online;
}

const ZemStatusRow* ZemStatusRows(int& count) {
    count = static_cast<int>(std::size(kRows));
    return kRows;
}

CYolArray<Protocols::StatusInfo> BuildZemStatusList(const CYolArray<unsigned int>& images,
                                                    const std::function<CYolString(int)>& uiString) {
    CYolArray<Protocols::StatusInfo> list;
    for (const ZemStatusRow& row : kRows) {
        Protocols::StatusInfo info(row.status, uiString(row.nameId));
        const int first = row.status == Protocols::Offline      ? ZemStatus::kImageOffline
                          : row.status == Protocols::Connecting ? ZemStatus::kImageConnecting
                                                                : ZemStatus::kImageOnline;
        info.icon.Add(ImageAt(images, first));
        if (row.extraImage >= 0)
            info.icon.Add(ImageAt(images, row.extraImage));
        list.Add(info);
    }
    return list;
}

std::string BuildChangeStatusBody(int status) {
    CYolString uri;
    const uint32_t wire = StatusToWire(status, uri);
    return MrimBodyWriter().UL(wire).LpsUtf8(uri).LPS({}).LPS({}).UL(ZemStatus::kFeatures).Take();
}

CYolArray<unsigned int> ContactStatusImages(Protocols::Status status) {
    CYolArray<unsigned int> images;
    if (status == Protocols::Offline)
        images.Add(ZemStatus::kImageOffline);
    else if (status == Protocols::Online)
        images.Add(ZemStatus::kImageOnline);
    else if (status == Protocols::Invisible)
        images.Add(ZemStatus::kImageInvisible);
    else if (status >= Protocols::FreeForChat && status <= Protocols::DoNotDisturb) {
        images.Add(ZemStatus::kImageOnline);
        images.Add(static_cast<unsigned int>(status - 1));
    }
    return images;
}
