#pragma once
// Helpers shared by the contact-list model's source files; not for other
// code.

#include "CContactListImpl.h"
#include "CEventArg.h"
#include "CYolString.h"
#include "ValueNames.h"

#include <mutex>
#include <new>
#include <type_traits>
#include <utility>

namespace CL {

// The application fills the status list in place while it handles
// FillStatusList, on its own thread. It fills a list of the argument's own;
// the model adopts it once the last delivery lets the argument go, so the
// filling never races a merged-status computation that reads the list.
struct CContactListImpl::StatusListBox {
    std::mutex mutex;
    CYolArray<Protocols::StatusInfo> list;
};

class CContactListImpl::StatusListArg final : public Services::CEventArg_Data<CYolArray<Protocols::StatusInfo>*> {
public:
    explicit StatusListArg(std::shared_ptr<StatusListBox> box)
        : CEventArg_Data(nullptr), box(std::move(box)) {
        data = &staging;
    }

protected:
    ~StatusListArg() override {
        std::lock_guard<std::mutex> guard(box->mutex);
        box->list = std::move(staging);
    }

private:
    std::shared_ptr<StatusListBox> box;
    CYolArray<Protocols::StatusInfo> staging;
};

}  // namespace CL

namespace CL::Detail {

// Value names the model itself reads and writes.
inline const char16_t* const kLoginName = ValueName::SrvLogName;
inline const char16_t* const kAliasName = ValueName::Alias;
inline const char16_t* const kGroupOpenedName = ValueName::GroupOpened;
inline const char16_t* const kGroupIndexName = u"CLCtrl group index";

// An event argument carrying a copy of the value; null when it cannot be
// made, which goes out as a missing argument.
template <typename T>
Services::CEventArg* NewArg(T&& value) {
    try {
        return new Services::CEventArg_Data<std::decay_t<T>>(std::forward<T>(value));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Frees an argument that is not going to be sent.
inline void Drop(Services::CEventArg* arg) {
    if (arg != nullptr)
        arg->AddRef(0);
}

// The value an argument of a known type carries, or null.
template <typename T>
const T* ArgValue(Services::CEventArg* arg) {
    return arg != nullptr ? &static_cast<Services::CEventArg_Data<T>*>(arg)->data : nullptr;
}

// The lowest key of a map, which must not be empty.
template <typename Map>
unsigned int FirstKey(const Map& map) {
    return typename Map::Cursor(map).Key();
}

}  // namespace CL::Detail
