#pragma once
// Protocols::CEventArgFactory: the program's maker of the event arguments
// that plug-in accounts send.
//
// Why the program makes them: an event argument is deleted through its
// virtual destructor by whoever drops the last reference, which may be any
// queue thread of the program, long after the event was sent (the protocols
// manager passes most account events on to its subscribers as they came). An
// argument whose class code lives in a plug-in would tie every such release
// to the plug-in library staying loaded. So a plug-in never news an argument
// that leaves it: it asks this factory, whose code (vtables, destructors,
// record copies) is the program's own.
//
// What that gives the protocols manager: once every account of a library has
// been destroyed through DestroyAccountFunc (which unregisters the account's
// events client, dropping its queue, before the object goes), no object
// whose code lives in the library is left anywhere in the program, and the
// library may be unloaded. Timers are the one other thing that points into a
// library; the manager's KillTimer broadcast at account deletion removes
// them.
//
// The program registers one CEventArgFactoryImpl (CEventArgFactoryImpl.h) as
// the service EventArgFactoryGuid before it creates any account; accounts
// find it through the services manager. Without it an account sends nothing
// (its argument helpers answer null).
//
// Events an account posts to its own events client may carry arguments of
// the plug-in's own: the account's queue is emptied before the account is
// destroyed, so they never outlive it.
//
// Each operation copies the value into a new Services::CEventArg_Data<T>
// with reference count 0, ready to hand to SendEvent or BroadcastEvent, or
// answers null when it cannot be made. The operations' order is the contract
// between program and plug-ins: keep it.

#include "CEventArg.h"
#include "CYolArray.h"
#include "CYolPair.h"
#include "CYolString.h"
#include "ProtocolRecords.h"
#include "YOL_GUID.h"

namespace Protocols {

inline constexpr YOL_GUID EventArgFactoryGuid{0x2D9E61B3, 0x7A04, 0x4C5F, 0xB1, 0x8E,
                                               0x63, 0x0A, 0xD4, 0x29, 0x5F, 0xC7};

using StringPair = CYolPair<CYolString, CYolString>;

class CEventArgFactory {
public:
    virtual Services::CEventArg* NewUInt(unsigned int value) = 0;
    virtual Services::CEventArg* NewInt(int value) = 0;
    virtual Services::CEventArg* NewBool(bool value) = 0;
    virtual Services::CEventArg* NewStatus(Status value) = 0;
    virtual Services::CEventArg* NewString(const CYolString& value) = 0;
    virtual Services::CEventArg* NewStringPair(const StringPair& value) = 0;
    virtual Services::CEventArg* NewStringArray(const CYolArray<CYolString>& value) = 0;
    virtual Services::CEventArg* NewUIntArray(const CYolArray<unsigned int>& value) = 0;
    virtual Services::CEventArg* NewStatusInfo(const StatusInfo& value) = 0;
    virtual Services::CEventArg* NewStatusIconInfo(const StatusIconInfo& value) = 0;
    virtual Services::CEventArg* NewMessageInfo(const MessageInfo& value) = 0;
    virtual Services::CEventArg* NewUserInfo(const UserInfo& value) = 0;
    virtual Services::CEventArg* NewNotificationInfo(const NotificationInfo& value) = 0;
    virtual Services::CEventArg* NewFTProgress(const FTProgress& value) = 0;
    virtual Services::CEventArg* NewTimerInfo(const TimerInfo& value) = 0;
    virtual Services::CEventArg* NewTimerRequest(const TimerRequest& value) = 0;

protected:
    // The program owns the factory; nobody deletes it through this interface.
    ~CEventArgFactory() = default;
};

}  // namespace Protocols
