// The shell-notification model.

#include "ShellNotification.h"

#include "DesktopNotifications.h"
#include "ShellImpl.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <algorithm>
#include <mutex>

using namespace Platform;

namespace {

struct Notifications {
    std::mutex m;
    std::vector<ShellNotification> list;
};

Notifications& TheNotifications()
{
    static Notifications* notifications = new Notifications;
    return *notifications;
}

std::u16string Text(const char16_t* text)
{
    return text ? std::u16string(text) : std::u16string();
}

std::vector<ShellNotification>::iterator Find(std::vector<ShellNotification>& list, const YOL_GUID& clsid,
                                              std::uint32_t id)
{
    return std::find_if(list.begin(), list.end(),
                        [&](const ShellNotification& n) { return n.clsid == clsid && n.id == id; });
}

void TakeKeys(ShellNotification& n, const SHNOTIFICATIONDATA& data)
{
    for (int i = 0; i < 2; ++i) {
        n.keys[i].title = Text(data.rgskn[i].pszTitle);
        n.keys[i].command = data.rgskn[i].skc.wpCmd;
        n.keys[i].flags = data.rgskn[i].skc.grfFlags;
    }
}

// Makes `it` the bubble; any other bubble goes to the tray. Lock held.
void PopUp(std::vector<ShellNotification>& list, std::vector<ShellNotification>::iterator it)
{
    for (ShellNotification& n : list)
        n.bubble = false;
    it->bubble = true;
}

} // namespace

LRESULT SHNotificationAdd(const SHNOTIFICATIONDATA* data)
{
    if (!data)
        return SHN_INVALID;
    {
        Notifications& all = TheNotifications();
        std::lock_guard<std::mutex> lock(all.m);
        if (Find(all.list, data->clsid, data->dwID) != all.list.end())
            return SHN_EXISTS;
        ShellNotification n;
        n.clsid = data->clsid;
        n.id = data->dwID;
        n.priority = data->npPriority;
        n.duration = data->csDuration;
        n.icon = data->hicon;
        n.picture = IconCopy(data->hicon);
        n.flags = data->grfFlags;
        n.sink = data->hwndSink;
        n.html = Text(data->pszHTML);
        n.title = Text(data->pszTitle);
        n.lParam = data->lParam;
        TakeKeys(n, *data);
        n.todayKey = Text(data->pszTodaySK);
        n.todayExec = Text(data->pszTodayExec);
        all.list.push_back(std::move(n));
        if (!(data->grfFlags & SHNF_STRAIGHTTOTRAY)) {
            PopUp(all.list, all.list.end() - 1);
            DesktopShow(all.list.back(), true);
        }
    }
    SyncBubble(true);
    return SHN_OK;
}

LRESULT SHNotificationUpdate(std::uint32_t mask, const SHNOTIFICATIONDATA* data)
{
    if (!data)
        return SHN_INVALID;
    bool restart = false;
    {
        Notifications& all = TheNotifications();
        std::lock_guard<std::mutex> lock(all.m);
        auto it = Find(all.list, data->clsid, data->dwID);
        if (it == all.list.end())
            return SHN_NOT_FOUND;
        if (mask & SHNUM_PRIORITY)
            it->priority = data->npPriority;
        if (mask & SHNUM_DURATION) {
            it->duration = data->csDuration;
            restart = it->bubble;
        }
        if (mask & SHNUM_ICON) {
            it->icon = data->hicon;
            it->picture = IconCopy(data->hicon);
        }
        if (mask & SHNUM_HTML)
            it->html = Text(data->pszHTML);
        if (mask & SHNUM_TITLE)
            it->title = Text(data->pszTitle);
        if (mask & SHNUM_SOFTKEYS)
            TakeKeys(*it, *data);
        if (mask & SHNUM_FLAGS) {
            it->flags = data->grfFlags;
            if (!(it->flags & SHNF_STRAIGHTTOTRAY) && !it->bubble) {
                PopUp(all.list, it);
                restart = true;
            }
        }
        DesktopShow(*it, it->bubble);
    }
    SyncBubble(restart);
    return SHN_OK;
}

LRESULT SHNotificationRemove(const YOL_GUID* clsid, std::uint32_t id)
{
    if (!clsid)
        return SHN_INVALID;
    {
        Notifications& all = TheNotifications();
        std::lock_guard<std::mutex> lock(all.m);
        auto it = Find(all.list, *clsid, id);
        if (it == all.list.end())
            return SHN_NOT_FOUND;
        all.list.erase(it);
    }
    DesktopRemove(*clsid, id);
    SyncBubble(false);
    return SHN_OK;
}

LRESULT SHNotificationGetData(const YOL_GUID* clsid, std::uint32_t id, SHNOTIFICATIONDATA* data)
{
    if (!clsid || !data)
        return SHN_INVALID;
    Notifications& all = TheNotifications();
    std::lock_guard<std::mutex> lock(all.m);
    auto it = Find(all.list, *clsid, id);
    if (it == all.list.end())
        return SHN_NOT_FOUND;
    *data = SHNOTIFICATIONDATA{};
    data->dwID = it->id;
    data->npPriority = it->priority;
    data->csDuration = it->duration;
    data->hicon = it->icon;
    data->grfFlags = it->flags;
    data->clsid = it->clsid;
    data->hwndSink = it->sink;
    data->pszHTML = it->html.c_str();
    data->pszTitle = it->title.c_str();
    data->lParam = it->lParam;
    for (int i = 0; i < 2; ++i) {
        data->rgskn[i].pszTitle = it->keys[i].title.c_str();
        data->rgskn[i].skc.wpCmd = it->keys[i].command;
        data->rgskn[i].skc.grfFlags = it->keys[i].flags;
    }
    data->pszTodaySK = it->todayKey.c_str();
    data->pszTodayExec = it->todayExec.c_str();
    return SHN_OK;
}

namespace Platform {

std::vector<ShellNotification> GetShellNotifications()
{
    Notifications& all = TheNotifications();
    std::lock_guard<std::mutex> lock(all.m);
    return all.list;
}

bool BubbleNotification(ShellNotification* out)
{
    Notifications& all = TheNotifications();
    std::lock_guard<std::mutex> lock(all.m);
    for (const ShellNotification& n : all.list) {
        if (n.bubble) {
            *out = n;
            return true;
        }
    }
    return false;
}

namespace {

// Applies the soft key `index` of the notification: what it does to the
// notification, and the sink and command to tell. False when the key is
// missing or disabled. Lock held.
bool ApplyKey(std::vector<ShellNotification>& list, std::vector<ShellNotification>::iterator it, int index,
              HWND* sink, WPARAM* command)
{
    const ShellNotification::Key& key = it->keys[index];
    if (key.title.empty() || (key.flags & NOTIF_SOFTKEY_FLAGS_DISABLED))
        return false;
    *sink = it->sink;
    *command = key.command;
    if (key.flags & NOTIF_SOFTKEY_FLAGS_STAYOPEN) {
        // stays as it is
    } else if (key.flags & NOTIF_SOFTKEY_FLAGS_HIDE) {
        it->bubble = false;
    } else {
        DesktopRemove(it->clsid, it->id);
        list.erase(it);
    }
    return true;
}

} // namespace

void PressBubbleKey(int index)
{
    if (index < 0 || index > 1)
        return;
    HWND sink = nullptr;
    WPARAM command = 0;
    {
        Notifications& all = TheNotifications();
        std::lock_guard<std::mutex> lock(all.m);
        auto it = std::find_if(all.list.begin(), all.list.end(), [](const ShellNotification& n) { return n.bubble; });
        if (it == all.list.end() || !ApplyKey(all.list, it, index, &sink, &command))
            return;
    }
    SyncBubble(false);
    PostMessage(sink, WM_COMMAND, command, 0);
}

void PressNotificationKey(const YOL_GUID& clsid, std::uint32_t id, int index)
{
    if (index < 0 || index > 1)
        return;
    HWND sink = nullptr;
    WPARAM command = 0;
    {
        Notifications& all = TheNotifications();
        std::lock_guard<std::mutex> lock(all.m);
        auto it = Find(all.list, clsid, id);
        if (it == all.list.end() || !ApplyKey(all.list, it, index, &sink, &command))
            return;
    }
    // The bubble belongs to the thread that made it.
    RequestBubbleSync();
    PostMessage(sink, WM_COMMAND, command, 0);
}

void BubbleTimedOut()
{
    {
        Notifications& all = TheNotifications();
        std::lock_guard<std::mutex> lock(all.m);
        for (ShellNotification& n : all.list)
            n.bubble = false;
    }
    SyncBubble(false);
}

std::u16string HtmlToText(const std::u16string& html)
{
    static const struct {
        const char16_t* name;
        char16_t ch;
    } kEntities[] = {{u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"quot", u'"'}, {u"apos", u'\''},
                     {u"nbsp", 0x00A0}};
    std::u16string out;
    for (size_t i = 0; i < html.size();) {
        const char16_t c = html[i];
        if (c == u'<') {
            const size_t end = html.find(u'>', i);
            if (end == std::u16string::npos)
                break;
            std::u16string tag = html.substr(i + 1, end - i - 1);
            for (char16_t& t : tag)
                t = (t >= u'A' && t <= u'Z') ? static_cast<char16_t>(t - u'A' + u'a') : t;
            const size_t nameEnd = tag.find_first_of(u" /\t");
            const std::u16string name = tag.substr(0, nameEnd);
            if (name == u"br" || name == u"p" || name == u"/p")
                out += u'\n';
            i = end + 1;
        } else if (c == u'&') {
            const size_t end = html.find(u';', i);
            bool decoded = false;
            if (end != std::u16string::npos && end - i <= 8) {
                const std::u16string ref = html.substr(i + 1, end - i - 1);
                if (!ref.empty() && ref[0] == u'#') {
                    const bool hex = ref.size() > 1 && (ref[1] == u'x' || ref[1] == u'X');
                    unsigned long value = 0;
                    bool digits = ref.size() > (hex ? 2u : 1u);
                    for (size_t k = hex ? 2 : 1; k < ref.size() && digits; ++k) {
                        const char16_t d = ref[k];
                        int v = (d >= u'0' && d <= u'9') ? d - u'0'
                                : hex && d >= u'a' && d <= u'f' ? d - u'a' + 10
                                : hex && d >= u'A' && d <= u'F' ? d - u'A' + 10
                                                               : -1;
                        digits = v >= 0;
                        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(v < 0 ? 0 : v);
                    }
                    if (digits && value > 0 && value < 0xD800) {
                        out += static_cast<char16_t>(value);
                        decoded = true;
                    }
                } else {
                    for (const auto& e : kEntities) {
                        if (ref == e.name) {
                            out += e.ch;
                            decoded = true;
                            break;
                        }
                    }
                }
            }
            if (decoded) {
                i = end + 1;
            } else {
                out += c;
                ++i;
            }
        } else if (c == u'\r' || c == u'\n') {
            // Line breaks in HTML source are blanks.
            if (out.empty() || out.back() != u' ')
                out += u' ';
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace Platform
