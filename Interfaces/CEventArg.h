#pragma once
// Event arguments: reference-counted objects shared by every delivery of one
// event. A sender creates an argument with count 0 and gives it up when it
// calls the services manager; the manager adds one reference per delivery and
// each delivery gives its reference back once the handler has returned. A
// handler that keeps an argument past its call adds a reference of its own.

#include <atomic>
#include <utility>

namespace Services {

class CEventArg {
public:
    CEventArg() = default;
    CEventArg(const CEventArg&) = delete;
    CEventArg& operator=(const CEventArg&) = delete;

    // Adds n (which may be 0 or negative) and deletes the argument when the
    // count lands on 0: AddRef(0) on an argument nobody holds destroys it.
    // Answers the new count; after it answered 0 the argument is gone.
    long AddRef(long n) {
        long now = refs.fetch_add(n, std::memory_order_acq_rel) + n;
        if (now == 0)
            delete this;
        return now;
    }

    long Release() { return AddRef(-1); }

    long RefCount() const { return refs.load(std::memory_order_acquire); }

protected:
    virtual ~CEventArg() = default;

private:
    std::atomic<long> refs{0};
};

// One value of type T, copied in at construction and destroyed with the
// argument.
template <typename T>
class CEventArg_Data : public CEventArg {
public:
    explicit CEventArg_Data(const T& value) : data(value) {}
    explicit CEventArg_Data(T&& value) : data(std::move(value)) {}

    T& Get() { return data; }
    const T& Get() const { return data; }

    T data;
};

} // namespace Services
