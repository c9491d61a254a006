#pragma once
// CL::CAntiSpamFilter: the question-and-answer gate for messages from senders
// outside the contact list. A new sender is sent the question and its message
// is dropped; its next message is the answer: right, and the confirmation goes
// out and the message after it is delivered once; wrong, and the sender is
// blocked until the program ends. Nothing here is saved.
//
// The settings live in the settings database, section ContactListGuid, and are
// read on every call, so the preferences take effect at once:
//   "AntispamEnable"       byte, 1 when absent: the filter is on
//   "AntispamMsgsFromNIL"  byte, 1 when absent: strangers may write at all
//                          (the plug-ins ask; the filter only keeps it)
//   "AntispamQuestion"     string, empty when absent
//   "AntispamAnswer"       string, empty when absent
//   "AntispamConfirm"      string, empty when absent
//
// The three lists are guarded by a lock of the filter's own that is never
// held while anything outside the filter runs (the database is read before it
// is taken, the reply is sent after it is left), so callers may hold any lock
// of theirs, and the host may call back into the model while sending.

#include "CYolArray.h"
#include "CYolCriticalSection.h"
#include "CYolString.h"
#include "ProtocolRecords.h"

namespace Database {
class CYolDatabase;
}

namespace CL {

// What the filter needs of the contact-list model.
class MAntiSpamHost {
public:
    // The settings database, or null when there is none: the defaults are
    // then read and setters store nothing.
    virtual Database::CYolDatabase* AntispamDatabase() = 0;
    // Sends `reply` to the sender reply.contactId on that contact's own
    // account, silently (no MessageSent). Called without any lock of the
    // filter held; never called with an empty text.
    virtual void SendAntispamReply(const Protocols::MessageInfo& reply) = 0;

protected:
    ~MAntiSpamHost() = default;
};

class CAntiSpamFilter {
public:
    enum Verdict : int { Drop = 0, Deliver = 1 };

    explicit CAntiSpamFilter(MAntiSpamHost& host);
    CAntiSpamFilter(const CAntiSpamFilter&) = delete;
    CAntiSpamFilter& operator=(const CAntiSpamFilter&) = delete;

    // Deliver or Drop for a message from the temporary contact `contactId`.
    // Any thread. The answer is compared with letter case folded (Latin,
    // Cyrillic and Greek alike), independently of the process locale. Contact id 0 (no sender to answer) is dropped
    // without a reply and without changing any list.
    int CheckAntispam(unsigned int contactId, const Protocols::MessageInfo& message);

    bool GetAntispamEnable();
    void SetAntispamEnable(bool enable);
    bool GetAntispamMsgsFromNIL();
    void SetAntispamMsgsFromNIL(bool accept);
    CYolString GetAntispamQuestion();
    void SetAntispamQuestion(const CYolString& text);
    CYolString GetAntispamAnswer();
    void SetAntispamAnswer(const CYolString& text);
    CYolString GetAntispamConfirm();
    void SetAntispamConfirm(const CYolString& text);

private:
    // Ids kept in ascending order, so a look-up is a binary search however
    // many strangers have written.
    class CIdList {
    public:
        bool Contains(unsigned int id) const;
        void Add(unsigned int id);
        void Remove(unsigned int id);

    private:
        CYolArray<unsigned int> ids;  // grows 10 at a time
    };

    bool GetFlag(const char16_t* key);
    void SetFlag(const char16_t* key, bool value);
    CYolString GetText(const char16_t* key);
    void SetText(const char16_t* key, const CYolString& value);

    MAntiSpamHost& host;
    CYolCriticalSection lock;
    CIdList asked;    // sent the question, no answer yet
    CIdList allowed;  // answered right: the next message goes through
    CIdList blocked;  // answered wrong: dropped for the rest of the run
};

}  // namespace CL
