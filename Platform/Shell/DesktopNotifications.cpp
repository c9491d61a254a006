// The bridge from shell notifications to the desktop's notification service.
// Everything that touches the bus runs on the bridge's own thread, in its
// GLib main context; the shell hands over snapshots and never waits.

#include "DesktopNotifications.h"

#include "Drawing/IconImpl.h"
#include "Drawing/TextUtf.h"
#include "ShellNotification.h"

#include <gio/gio.h>

#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Platform {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// A call the service does not answer in this time is given up.
constexpr int kCallTimeoutMs = 3000;

// What the desktop is shown of one notification.
struct Message {
    std::string summary;
    std::string body;
    std::vector<std::string> actions;  // key, caption, key, caption ...
    std::uint8_t urgency = 1;
    bool silent = false;
    std::int32_t timeoutMs = -1;
    // The icon as straight (not premultiplied) RGBA rows.
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

using Key = std::pair<YOL_GUID, std::uint32_t>;

// One notification as the desktop knows it (bridge thread only).
struct Entry {
    std::uint32_t desktopId = 0;  // 0: none shown (yet)
    bool pending = false;         // a Notify call is under way
    bool resend = false;          // changed while the call was under way
    bool close = false;           // removed while the call was under way
    Message latest;
};

std::string Utf8(const std::u16string& text) {
    return Utf16ToUtf8(text.data(), text.size());
}

void IconPixels(HICON icon, Message* m) {
    cairo_surface_t* picture = IconPicture(icon);
    if (!picture)
        return;
    cairo_surface_flush(picture);
    m->width = cairo_image_surface_get_width(picture);
    m->height = cairo_image_surface_get_height(picture);
    const int stride = cairo_image_surface_get_stride(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    m->rgba.reserve(static_cast<std::size_t>(m->width) * m->height * 4);
    for (int y = 0; y < m->height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < m->width; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            for (int shift : {16, 8, 0}) {
                const std::uint32_t c = (p >> shift) & 0xFF;
                m->rgba.push_back(static_cast<std::uint8_t>(a ? std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) : 0));
            }
            m->rgba.push_back(static_cast<std::uint8_t>(a));
        }
    }
    cairo_surface_destroy(picture);
}

Message MessageOf(const ShellNotification& n) {
    Message m;
    m.summary = Utf8(n.title);
    m.body = Utf8(HtmlToText(n.html));
    for (int i = 0; i < 2; ++i) {
        const ShellNotification::Key& key = n.keys[i];
        if (key.title.empty() || (key.flags & NOTIF_SOFTKEY_FLAGS_DISABLED))
            continue;
        m.actions.push_back(i == 0 ? "0" : "1");
        m.actions.push_back(Utf8(key.title));
    }
    m.urgency = (n.flags & SHNF_CRITICAL) ? 2 : 1;
    m.silent = (n.flags & SHNF_SILENT) != 0;
    // The desktop's 0 is "never expires", as our forever is.
    m.timeoutMs = n.duration == SHN_DURATION_FOREVER
                      ? 0
                      : static_cast<std::int32_t>(std::min<std::uint64_t>(std::uint64_t{n.duration} * 1000, INT32_MAX));
    IconPixels(n.picture.get(), &m);
    return m;
}

GVariant* NotifyParameters(const Message& m, std::uint32_t replaces) {
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    for (const std::string& a : m.actions)
        g_variant_builder_add(&actions, "s", a.c_str());
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(m.urgency));
    if (m.silent)
        g_variant_builder_add(&hints, "{sv}", "suppress-sound", g_variant_new_boolean(TRUE));
    if (!m.rgba.empty()) {
        GVariant* bytes = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, m.rgba.data(), m.rgba.size(), 1);
        g_variant_builder_add(&hints, "{sv}", "image-data",
                              g_variant_new("(iiibii@ay)", m.width, m.height, m.width * 4, TRUE, 8, 4, bytes));
    }
    return g_variant_new("(susssasa{sv}i)", "Yol", replaces, "", m.summary.c_str(), m.body.c_str(), &actions, &hints,
                         m.timeoutMs);
}

// The session bus's address, without starting one.
std::string SessionAddress() {
    if (const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS"); env && *env)
        return env;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::string socket = std::string(runtime) + "/bus";
        struct stat st {};
        if (stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return "unix:path=" + socket;
    }
    return {};
}

class Bridge {
public:
    static Bridge& Get() {
        static Bridge* bridge = new Bridge;
        return *bridge;
    }

    // Runs `job` on the bridge's thread; it counts as outstanding until it
    // calls Done (directly or from a call's reply).
    void Post(std::function<void()> job) {
        {
            std::lock_guard<std::mutex> lock(m_);
            ++outstanding_;
        }
        auto* heap = new std::function<void()>(std::move(job));
        g_main_context_invoke_full(
            context_, G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                (*static_cast<std::function<void()>*>(data))();
                return G_SOURCE_REMOVE;
            },
            heap, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
    }

    void Done() {
        std::lock_guard<std::mutex> lock(m_);
        if (--outstanding_ == 0)
            idle_.notify_all();
    }

    bool WaitIdle(int timeoutMs) {
        std::unique_lock<std::mutex> lock(m_);
        return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return outstanding_ == 0; });
    }

    // ---- On the bridge's thread ----

    void Configure(bool enabled, std::string address) {
        Disconnect();
        enabled_ = enabled;
        explicitAddress_ = std::move(address);
        triedConnect_ = false;
    }

    void Show(const Key& key, Message message, bool popUp) {
        if (!popUp && !entries_.count(key))
            return;
        Entry& e = entries_[key];
        e.latest = std::move(message);
        e.close = false;
        if (e.pending) {
            e.resend = true;
            return;
        }
        Send(key, e);
    }

    void Remove(const Key& key) {
        auto it = entries_.find(key);
        if (it == entries_.end())
            return;
        if (it->second.pending) {
            it->second.close = true;
            return;
        }
        if (it->second.desktopId)
            Close(it->second.desktopId);
        entries_.erase(it);
    }

private:
    Bridge() {
        context_ = g_main_context_new();
        loop_ = g_main_loop_new(context_, FALSE);
        std::thread([this] {
            g_main_context_push_thread_default(context_);
            g_main_loop_run(loop_);
        }).detach();
    }

    GDBusConnection* Connection() {
        if (!enabled_)
            return nullptr;
        if (!bus_ && !triedConnect_) {
            triedConnect_ = true;
            const std::string address = explicitAddress_.empty() ? SessionAddress() : explicitAddress_;
            if (address.empty())
                return nullptr;
            GError* error = nullptr;
            bus_ = g_dbus_connection_new_for_address_sync(
                address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, &error);
            if (error)
                g_error_free(error);
            if (bus_) {
                g_dbus_connection_set_exit_on_close(bus_, FALSE);
                subscription_ = g_dbus_connection_signal_subscribe(bus_, nullptr, kInterface, nullptr, kPath, nullptr,
                                                                   G_DBUS_SIGNAL_FLAGS_NONE, &Bridge::OnSignal, this,
                                                                   nullptr);
            }
        }
        return bus_;
    }

    void Disconnect() {
        if (bus_) {
            g_dbus_connection_signal_unsubscribe(bus_, subscription_);
            g_dbus_connection_close(bus_, nullptr, nullptr, nullptr);
            g_object_unref(bus_);
            bus_ = nullptr;
        }
        ++generation_;
        entries_.clear();
    }

    struct Call {
        Bridge* bridge;
        Key key;
        unsigned generation;
    };

    void Send(const Key& key, Entry& e) {
        GDBusConnection* bus = Connection();
        if (!bus)
            return;
        e.pending = true;
        e.resend = false;
        {
            std::lock_guard<std::mutex> lock(m_);
            ++outstanding_;
        }
        g_dbus_connection_call(bus, kService, kPath, kInterface, "Notify", NotifyParameters(e.latest, e.desktopId),
                               G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr,
                               &Bridge::OnNotified, new Call{this, key, generation_});
    }

    void Close(std::uint32_t desktopId) {
        GDBusConnection* bus = Connection();
        if (!bus)
            return;
        {
            std::lock_guard<std::mutex> lock(m_);
            ++outstanding_;
        }
        g_dbus_connection_call(bus, kService, kPath, kInterface, "CloseNotification", g_variant_new("(u)", desktopId),
                               nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &Bridge::OnClosed, this);
    }

    static void OnNotified(GObject* source, GAsyncResult* result, gpointer data) {
        std::unique_ptr<Call> call(static_cast<Call*>(data));
        Bridge& b = *call->bridge;
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        std::uint32_t id = 0;
        if (reply) {
            g_variant_get(reply, "(u)", &id);
            g_variant_unref(reply);
        }
        if (error)
            g_error_free(error);
        if (call->generation == b.generation_) {
            auto it = b.entries_.find(call->key);
            if (it != b.entries_.end()) {
                Entry& e = it->second;
                e.pending = false;
                if (id)
                    e.desktopId = id;
                if (e.close) {
                    if (e.desktopId)
                        b.Close(e.desktopId);
                    b.entries_.erase(it);
                } else if (e.resend) {
                    b.Send(call->key, e);
                }
            }
        }
        b.Done();
    }

    static void OnClosed(GObject* source, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        if (GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error))
            g_variant_unref(reply);
        if (error)
            g_error_free(error);
        static_cast<Bridge*>(data)->Done();
    }

    static void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal,
                         GVariant* parameters, gpointer data) {
        Bridge& b = *static_cast<Bridge*>(data);
        const std::string name = signal;
        if (name == "ActionInvoked" && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(us)"))) {
            std::uint32_t id = 0;
            const gchar* action = nullptr;
            g_variant_get(parameters, "(u&s)", &id, &action);
            const std::string key = action;
            for (const auto& [k, e] : b.entries_) {
                if (e.desktopId == id && (key == "0" || key == "1")) {
                    PressNotificationKey(k.first, k.second, key == "0" ? 0 : 1);
                    break;
                }
            }
        } else if (name == "NotificationClosed" && g_variant_is_of_type(parameters, G_VARIANT_TYPE("(uu)"))) {
            std::uint32_t id = 0;
            std::uint32_t reason = 0;
            g_variant_get(parameters, "(uu)", &id, &reason);
            // Gone from the desktop; a later change shows it anew.
            for (auto& [k, e] : b.entries_) {
                if (e.desktopId == id)
                    e.desktopId = 0;
            }
        }
    }

    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;

    std::mutex m_;
    std::condition_variable idle_;
    int outstanding_ = 0;

    // Bridge thread only.
    bool enabled_ = true;
    bool triedConnect_ = false;
    std::string explicitAddress_;
    GDBusConnection* bus_ = nullptr;
    guint subscription_ = 0;
    unsigned generation_ = 0;
    std::map<Key, Entry> entries_;
};

} // namespace

void UseDesktopNotificationBus(const std::string& address) {
    Bridge& b = Bridge::Get();
    b.Post([&b, address] {
        b.Configure(true, address);
        b.Done();
    });
}

void StopDesktopNotifications() {
    Bridge& b = Bridge::Get();
    b.Post([&b] {
        b.Configure(false, {});
        b.Done();
    });
}

bool WaitDesktopNotificationsIdle(int timeoutMs) {
    return Bridge::Get().WaitIdle(timeoutMs);
}

void DesktopShow(const ShellNotification& n, bool popUp) {
    Bridge& b = Bridge::Get();
    b.Post([&b, key = Key{n.clsid, n.id}, message = MessageOf(n), popUp]() mutable {
        b.Show(key, std::move(message), popUp);
        b.Done();
    });
}

void DesktopRemove(const YOL_GUID& clsid, std::uint32_t id) {
    Bridge& b = Bridge::Get();
    b.Post([&b, key = Key{clsid, id}] {
        b.Remove(key);
        b.Done();
    });
}

} // namespace Platform
