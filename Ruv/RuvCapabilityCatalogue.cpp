#include "RuvCapabilityCatalogue.h"

#include <cstring>

namespace RuvCapabilityCatalogue {
namespace {

// A row's identifier: 32 hex digits in wire order, or four for a member of
// the short family 0946XXYY-4C7F-11D1-8222-444553540000.
struct Row {
    const char16_t* key;
    const char16_t* name;
    const char* guid;
};

constexpr Row kXStatusRows[kXStatusCount] = {
    {u"capXS1pic", u"XStatus(Angry)", "01D8D7EEAC3B492AA58DD3D877E66B92"},
    {u"capXS2pic", u"XStatus(Duck)", "5A581EA1E580430CA06F612298B7E4C7"},
    {u"capXS3pic", u"XStatus(Tired)", "83C9B78E77E74378B2C5FB6CFCC35BEC"},
    {u"capXS4pic", u"XStatus(Party)", "E601E41C33734BD1BC06811D6C323D81"},
    {u"capXS5pic", u"XStatus(Beer)", "8C50DBAE81ED4786ACCA16CC3213C7B7"},
    {u"capXS6pic", u"XStatus(Thinking)", "3FB0BD36AF3B4A609EEFCF190F6A5A7F"},
    {u"capXS7pic", u"XStatus(Eating)", "F8E8D7B282C4414290F810C6CE0A89A6"},
    {u"capXS8pic", u"XStatus(TV)", "80537DE2A4674A76B3546DFD075F5EC6"},
    {u"capXS9pic", u"XStatus(Friends)", "F18AB52EDC57491D99DC6444502457AF"},
    {u"capXS10pic", u"XStatus(Coffee)", "1B78AE31FA0B4D3893D1997EEEAFB218"},
    {u"capXS11pic", u"XStatus(Music)", "61BEE0DD8BDD475D8DEE5F4BAACF19A7"},
    {u"capXS12pic", u"XStatus(Business)", "488E14898ACA4A0882AA77CE7A165208"},
    {u"capXS13pic", u"XStatus(Camera)", "107A9A1812324DA4B6CD0879DB780F09"},
    {u"capXS14pic", u"XStatus(Funny)", "6F4930984F7C4AFFA27634A03BCEAEA7"},
    {u"capXS15pic", u"XStatus(Phone)", "1292E5501B644F66B206B29AF378E48D"},
    {u"capXS16pic", u"XStatus(Games)", "D4A611D08F014EC09223C5B6BEC6CCF0"},
    {u"capXS17pic", u"XStatus(College)", "609D52F8A29A49A6B2A02524C5E9D260"},
    {u"capXS18pic", u"XStatus(Shopping)", "63627337A03F49FF80E5F709CDE0A4EE"},
    {u"capXS19pic", u"XStatus(Sick)", "1F7A4071BF3B4E60BC324C5787B04CF1"},
    {u"capXS20pic", u"XStatus(Sleeping)", "785E8C4840D34C65886F04CF3F3F43DF"},
    {u"capXS21pic", u"XStatus(Surfing)", "A6ED557E6BF744D4A5D4D2E7D95CE81F"},
    {u"capXS22pic", u"XStatus(@)", "12D07E3EF885489E8E97A72A6551E58D"},
    {u"capXS23pic", u"XStatus(Engineering)", "BA74DB3E9E24434B87B62F6B8DFEE50F"},
    {u"capXS24pic", u"XStatus(Typing)", "634F6BD8ADD24AA1AAB9115BC26D05A1"},
    {u"capXS25pic", u"XStatus(China1)", "2CE0E4E57C6443709C3A7A1CE878A7DC"},
    {u"capXS26pic", u"XStatus(China2)", "101117C9A3B040F981AC49E159FBD5D4"},
    {u"capXS27pic", u"XStatus(China3)", "160C60BBDD4443F39140050F00E6C009"},
    {u"capXS28pic", u"XStatus(China4)", "6443C6AF22604517B58CD7DF8E290352"},
    {u"capXS29pic", u"XStatus(China5)", "16F5B76FA9D240358CC5C084703C98FA"},
    {u"capXS30pic", u"XStatus(De1)", "631436FF3F8A40D0A5CB7B66E051B364"},
    {u"capXS31pic", u"XStatus(De2)", "B70867F538254327A1FFCF4CC1939797"},
    {u"capXS32pic", u"XStatus(De3)", "DDCF0EA971954048A9C6413206D6F280"},
    {u"capXS33pic", u"XStatus(RuSearch)", "D4E2B0BA334E4FA598D0117DBF4D3CC8"},
    {u"capXS34pic", u"XStatus(RuLove)", "CD5643A2C94C4724B52CDC0124A1D0CD"},
    {u"capXS35pic", u"XStatus(RuJournal)", "0072D9084AD143DD91996F026966026F"},
};

// Inserted before the extended statuses.
constexpr Row kLeadRows[] = {
    {u"capXtZers", u"Ruv-XtZers", "B2EC8F167C6F451BBD79DC58497888B9"},
    {u"capXSVideo", u"Ruv-XVideo", "B6074378F50C4AC790925938502D0591"},
    {u"capXSPush2Talk", u"Push2Talk", "E362C1E9121A4B94A6267A74DE24270D"},
    {u"capXSStatuses", u"Xtraz MultiUser Chat", "67361515612D4C078F3DBDE6408EA041"},
};

// Inserted after them. The markers of the sibling clients (the pass
// message, Symbian, Vantum and its plug-ins and services, iPhone) are ours
// to choose: none shares the ten leading bytes of "caYol", so the prefix
// test for it leaves them to their own full-length tests.
constexpr Row kTailRows[] = {
    {u"caShortSupport", u"Short Caps", "0000"},
    {u"caVideo", u"Video", "0100"},
    {u"caLiveVideo", u"Live Video", "0101"},
    {u"caCamera", u"Camera", "0102"},
    {u"caMicrophone", u"Microphone", "0103"},
    {u"caLiveAudio", u"Live Audio", "0104"},
    {u"caCallWait", u"Available For Call", "0105"},
    {u"caAca", u"AOL Call Alert", "0106"},
    {u"caMultiAudio", u"Multi Audio", "0107"},
    {u"caMultiVideo", u"Multi Video", "0108"},
    {u"caSmartCaps", u"Smart Caps", "01FF"},
    {u"caBuddyIcon", u"BuddyIcon", "1346"},
    {u"caDirectIM", u"DirectIM", "1345"},
    {u"caEncrypt", u"SecureIM", "0001"},
    {u"caTalk", u"Voice Chat", "1341"},
    {u"caFTSend", u"File Transfer", "1343"},
    {u"caFTRcv", u"File Sharing", "1348"},
    {u"caAddIns", u"Add-Ins Support", "1347"},
    {u"caSendBuddyList", u"Send BuddyList", "134B"},
    {u"caDirectPlay", u"Direct Play", "1342"},
    {u"caRouteFinder", u"Ruv DirectConnect", "1344"},
    {u"caUnification", u"Ruv Interop", "134D"},
    {u"caGames", u"Games Support", "134A"},
    {u"caGames2", u"Advanced Chat Features", "0946134A4C7F11D12282444553540000"},
    {u"caRuvRelay", u"Ruv ServerRelay", "1349"},
    {u"caUTF8support", u"UTF8 Messages", "134E"},
    {u"caChat", u"Chat Support", "748F2420628711D18222444553540000"},
    {u"caWebSrv", u"From Web", "0946E0004C7F11D12282444553540000"},
    {u"caRTFsupport", u"RTF Messages", "97B12751243C4334AD22D6ABF73F1492"},
    {u"caUnknown1", u"Common Ruv2001/2002", "A0E93F374C7F11D18222444553540000"},
    {u"caUnknown2", u"IM is Ruv2002", "10CF40D14C7F11D18222444553540000"},
    {u"caRuvBI", u"Ruv Devils", "134C"},
    {u"caRuvVoiceChat", u"Ruv VoiceChat", "B99708B53A924202B069F1E757BB2E17"},
    {u"caRuv2001", u"IM is Ruv2001", "2E7A6475FADF4DC8886FEA3595FDB6DF"},
    {u"caTyping", u"Typing Notifications", "563FC8090B6F41BD9F79422609DFA2F3"},
    {u"caXtraz", u"Ruv Xtraz Support", "1A093C6CD7FD4EC59D51A6474E34F5A0"},
    {u"caLITE4", u"IM is RuvLite", "178C2D9BDAA545BB8DDBF3BDBD53A10A"},
    {u"caTrilSecureIM", u"SecureIM Trillian", "F2E7C7F4FEAD4DFBB23536798BDF0000"},
    {u"caTrillian", u"IM is Trillian", "97B12751243C4334AD22D6ABF73F1409"},
    {u"caKXRuv", u"IM is KXRuv", "094913444C7F11D18222444553540000"},
    {u"caMACRuv", u"IM is MacRuv", "DD16F20284E611D490DB00104B9B4B7D"},
    {u"caLRuv", u"IM is LRuv", "094913494C7F11D18222444553540000"},
    {u"caSTRRuv", u"IM is StrRuv", "A0E93F374FE9D311BCD20004AC96DD96"},
    {u"caSIMPPro", u"Using SimpPRO", "53494D505F50524F53494D505F50524F"},
    {u"caRuRambler", u"Lsp-RU-Rambler", "7E11B778A3534926A80244735208C42A"},
    {u"caBgAbv", u"Lsp-BG-Abv", "00E7E0DFA9D04FE19162C8909A132A1B"},
    {u"caChNetvigator", u"Lsp-CH-Netvigator", "4C6B90A33D2D480E89D62E4B2C10D99F"},
    {u"caImplus", u"IM is IM+", "8ECD90E74F1828F802ECD618A4E9DE68"},
    {u"caYolPassMsg", u"Yol-ProtectMsg", "563FC8090B6F4150726F744D73670000"},
    {u"caAIMPro", u"IM is AIM Pro", "032200ACADA14209B850BC01143FAA83"},
    {u"caDeskShare", u"Desktop Share", "ACED89EB6D6748878CB4EACFE47C3D66"},
    {u"caRQ", u"", "265251696E7369646500000000000000"},
    {u"caSIM", u"", "53494D20636C69656E74000000000000"},
    {u"caKopete", u"", "97B12751243C4334AD22D6ABF73F1400"},
    {u"caMiranda4", u"", "4D6972616E64614D0000000000000000"},
    {u"caJimm", u"", "4A696D6D200000000000000000000000"},
    {u"caLRuvAll", u"", "4C72757620636C69656E740000000000"},
    {u"caMChat", u"", "6D436861742072757600000000000000"},
    {u"caKopete2", u"", "4B6F7065746520527576202000000000"},
    {u"caYol", u"", "563FC8090B6F41596F6C000000000000"},
    {u"caYolPda", u"IM is Yol for PDA", "563FC8090B6F41596F6C202020202021"},
    {u"caYolPdaSymbian", u"IM is Yol PDA ( Symbian )", "563FC8090B6F41595053796D62000000"},
    {u"caYolMobile", u"IM is Yol Mobile", "563FC8090B6F41596F6C202020202022"},
    {u"caYolVantum", u"IM is Yol Vantum", "563FC8090B6F4159566E74756D000000"},
    {u"caYolVantumPlugins", u"Yol Plugins", "563FC8090B6F4159566E74506C670000"},
    {u"caYolVantumServices", u"Yol Services", "563FC8090B6F4159566E745372760000"},
    {u"caYolIPhone", u"IM is Yol iPhone", "563FC8090B6F415969506E0000000000"},
    {u"caStatusDepression", u"", "B7074378F50C777797775778502D0570"},
    {u"caStatusFFC", u"", "B7074378F50C777797775778502D0575"},
    {u"caStatusHome", u"", "B7074378F50C777797775778502D0576"},
    {u"caStatusWork", u"", "B7074378F50C777797775778502D0577"},
    {u"caStatusLunch", u"", "B7074378F50C777797775778502D0578"},
    {u"caStatusEvil", u"", "B7074378F50C777797775778502D0579"},
};

uint8_t Nibble(char c) { return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10); }

RuvCapabilityGuid GuidOfRow(const Row& row) {
    if (std::strlen(row.guid) == 4)
        return FromShort(static_cast<uint8_t>(Nibble(row.guid[0]) << 4 | Nibble(row.guid[1])),
                         static_cast<uint8_t>(Nibble(row.guid[2]) << 4 | Nibble(row.guid[3])));
    RuvCapabilityGuid out{};
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(Nibble(row.guid[2 * i]) << 4 | Nibble(row.guid[2 * i + 1]));
    return out;
}

CRuvCapability RecordOf(const Row& row) {
    return CRuvCapability(GuidOfRow(row), CYolString(row.key), CYolString(row.name));
}

template <size_t N>
bool InsertRows(CRuvCapabilityTree& tree, const Row (&rows)[N]) {
    for (const Row& row : rows)
        if (!tree.Insert(RecordOf(row)))
            return false;
    return true;
}

}  // namespace

RuvCapabilityGuid FromShort(uint8_t high, uint8_t low) {
    return {0x09, 0x46, high, low, 0x4C, 0x7F, 0x11, 0xD1, 0x82, 0x22, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
}

void BuildXStatusList(RuvCapabilityList& out) {
    out.SetGrowStep(10);
    for (const Row& row : kXStatusRows)
        out.Add(RecordOf(row));
}

bool BuildCapabilityTree(CRuvCapabilityTree& out) {
    return InsertRows(out, kLeadRows) && InsertRows(out, kXStatusRows) && InsertRows(out, kTailRows);
}

const RuvCapabilityList& XStatusList() {
    static const RuvCapabilityList list = [] {
        RuvCapabilityList built;
        BuildXStatusList(built);
        return built;
    }();
    return list;
}

const CRuvCapabilityTree& Tree() {
    static const CRuvCapabilityTree& tree = *[] {
        static CRuvCapabilityTree built;
        BuildCapabilityTree(built);
        return &built;
    }();
    return tree;
}

int GetXStatusId(const RuvCapabilityList& xStatuses, const RuvCapabilityGuid* guids, size_t count) {
    for (size_t i = 0; i < count; ++i)
        for (int id = 0; id < xStatuses.Count(); ++id)
            if (xStatuses[id].guid == guids[i])
                return id + 1;
    return 0;
}

RuvCapabilityGuid GuidOf(std::u16string_view key) {
    const CRuvCapability* row = Tree().FindByKey(CYolString(key.data(), static_cast<int>(key.size())));
    return row != nullptr ? row->guid : RuvCapabilityGuid{};
}

}  // namespace RuvCapabilityCatalogue
