#pragma once
// The program's event-argument factory (see CEventArgFactory.h). Construct it
// only in the program: the arguments it makes carry the code of the module
// that compiled this class, and that module must outlive every plug-in.
//
//     static Protocols::CEventArgFactoryImpl factory;
//     services->RegisterService(Protocols::EventArgFactoryGuid, static_cast<Protocols::CEventArgFactory*>(&factory));
//
// The service pointer is the CEventArgFactory* (GetService answers a void*,
// which accounts cast back to exactly that type).

#include "CEventArgFactory.h"

#include <new>

namespace Protocols {

class CEventArgFactoryImpl final : public CEventArgFactory {
public:
    CEventArgFactoryImpl() = default;
    CEventArgFactoryImpl(const CEventArgFactoryImpl&) = delete;
    CEventArgFactoryImpl& operator=(const CEventArgFactoryImpl&) = delete;
    ~CEventArgFactoryImpl() = default;

    Services::CEventArg* NewUInt(unsigned int value) override { return Make(value); }
    Services::CEventArg* NewInt(int value) override { return Make(value); }
    Services::CEventArg* NewBool(bool value) override { return Make(value); }
    Services::CEventArg* NewStatus(Status value) override { return Make(value); }
    Services::CEventArg* NewString(const CYolString& value) override { return Make(value); }
    Services::CEventArg* NewStringPair(const StringPair& value) override { return Make(value); }
    Services::CEventArg* NewStringArray(const CYolArray<CYolString>& value) override { return Make(value); }
    Services::CEventArg* NewUIntArray(const CYolArray<unsigned int>& value) override { return Make(value); }
    Services::CEventArg* NewStatusInfo(const StatusInfo& value) override { return Make(value); }
    Services::CEventArg* NewStatusIconInfo(const StatusIconInfo& value) override { return Make(value); }
    Services::CEventArg* NewMessageInfo(const MessageInfo& value) override { return Make(value); }
    Services::CEventArg* NewUserInfo(const UserInfo& value) override { return Make(value); }
    Services::CEventArg* NewNotificationInfo(const NotificationInfo& value) override { return Make(value); }
    Services::CEventArg* NewFTProgress(const FTProgress& value) override { return Make(value); }
    Services::CEventArg* NewTimerInfo(const TimerInfo& value) override { return Make(value); }
    Services::CEventArg* NewTimerRequest(const TimerRequest& value) override { return Make(value); }

private:
    // A copy that cannot be made is a failed allocation, answered as null
    // like the plug-in side's helpers promise.
    template <typename T>
    static Services::CEventArg* Make(const T& value) {
        try {
            return new Services::CEventArg_Data<T>(value);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
};

}  // namespace Protocols
