#include "CAntiSpamFilter.h"

#include "CYolDatabase.h"
#include "YolGuids.h"

#include <algorithm>

namespace CL {

namespace {

const char16_t kEnable[] = u"AntispamEnable";
const char16_t kMsgsFromNIL[] = u"AntispamMsgsFromNIL";
const char16_t kQuestion[] = u"AntispamQuestion";
const char16_t kAnswer[] = u"AntispamAnswer";
const char16_t kConfirm[] = u"AntispamConfirm";

// A lower-cased copy: the caller's message and the stored answer stay as
// they are.
CYolString Folded(const CYolString& text) {
    CYolString copy(text);
    copy.ToLower();
    return copy;
}

}  // namespace

bool CAntiSpamFilter::CIdList::Contains(unsigned int id) const {
    return std::binary_search(ids.begin(), ids.end(), id);
}

void CAntiSpamFilter::CIdList::Add(unsigned int id) {
    const unsigned int* at = std::lower_bound(ids.begin(), ids.end(), id);
    if (at == ids.end() || *at != id)
        ids.InsertAt(int(at - ids.begin()), id);
}

void CAntiSpamFilter::CIdList::Remove(unsigned int id) {
    const unsigned int* at = std::lower_bound(ids.begin(), ids.end(), id);
    if (at != ids.end() && *at == id)
        ids.RemoveAt(int(at - ids.begin()));
}

CAntiSpamFilter::CAntiSpamFilter(MAntiSpamHost& host) : host(host) {}

int CAntiSpamFilter::CheckAntispam(unsigned int contactId, const Protocols::MessageInfo& message) {
    if (!GetAntispamEnable())
        return Deliver;
    if (contactId == 0)
        return Drop;

    // Everything the decision may need is read now, so that the lock below
    // is held only over the three lists.
    const CYolString answer = GetText(kAnswer);
    const CYolString question = GetText(kQuestion);
    const CYolString confirm = GetText(kConfirm);

    Protocols::MessageInfo reply;
    reply.contactId = contactId;
    {
        CYolCriticalSection::Guard guard(lock);
        if (blocked.Contains(contactId))
            return Drop;
        if (allowed.Contains(contactId)) {
            allowed.Remove(contactId);
            return Deliver;
        }
        if (asked.Contains(contactId)) {
            // The answer itself is never delivered, right or wrong.
            asked.Remove(contactId);
            if (Folded(message.text) != Folded(answer)) {
                blocked.Add(contactId);
                return Drop;
            }
            allowed.Add(contactId);
            reply.text = confirm;
        } else {
            asked.Add(contactId);
            reply.text = question;
        }
    }
    // An empty text would go out as an empty message, which tells the sender
    // nothing and which some networks refuse.
    if (!reply.text.IsEmpty())
        host.SendAntispamReply(reply);
    return Drop;
}

bool CAntiSpamFilter::GetFlag(const char16_t* key) {
    unsigned char value = 1;
    if (Database::CYolDatabase* db = host.AntispamDatabase())
        db->GetByte(ContactListGuid, key, value);
    return value != 0;
}

void CAntiSpamFilter::SetFlag(const char16_t* key, bool value) {
    if (Database::CYolDatabase* db = host.AntispamDatabase())
        db->SetByte(ContactListGuid, key, value ? 1 : 0);
}

CYolString CAntiSpamFilter::GetText(const char16_t* key) {
    CYolString value;
    if (Database::CYolDatabase* db = host.AntispamDatabase())
        db->GetString(ContactListGuid, key, value);
    return value;
}

void CAntiSpamFilter::SetText(const char16_t* key, const CYolString& value) {
    if (Database::CYolDatabase* db = host.AntispamDatabase())
        db->SetString(ContactListGuid, key, value);
}

bool CAntiSpamFilter::GetAntispamEnable() { return GetFlag(kEnable); }
void CAntiSpamFilter::SetAntispamEnable(bool enable) { SetFlag(kEnable, enable); }
bool CAntiSpamFilter::GetAntispamMsgsFromNIL() { return GetFlag(kMsgsFromNIL); }
void CAntiSpamFilter::SetAntispamMsgsFromNIL(bool accept) { SetFlag(kMsgsFromNIL, accept); }
CYolString CAntiSpamFilter::GetAntispamQuestion() { return GetText(kQuestion); }
void CAntiSpamFilter::SetAntispamQuestion(const CYolString& text) { SetText(kQuestion, text); }
CYolString CAntiSpamFilter::GetAntispamAnswer() { return GetText(kAnswer); }
void CAntiSpamFilter::SetAntispamAnswer(const CYolString& text) { SetText(kAnswer, text); }
CYolString CAntiSpamFilter::GetAntispamConfirm() { return GetText(kConfirm); }
void CAntiSpamFilter::SetAntispamConfirm(const CYolString& text) { SetText(kConfirm, text); }

}  // namespace CL
