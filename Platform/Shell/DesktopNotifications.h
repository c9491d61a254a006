#pragma once
// Shell notifications on the desktop: every notification that pops up as a
// bubble is also shown by the desktop's notification service
// (org.freedesktop.Notifications on the D-Bus session bus), changed and
// closed with it, and a press on one of its buttons there works like the
// soft key of the bubble. Without a bus or without the service the
// notifications stay local, silently.
//
// The bus is spoken to on a thread of its own: callers never wait for it.

#include "YOL_GUID.h"
#include "YolTypes.h"

#include <cstdint>
#include <string>

namespace Platform {

struct ShellNotification;

// Which bus to use from now on: a D-Bus address, or empty for the session
// bus of the environment (DBUS_SESSION_BUS_ADDRESS, else the user's bus
// socket in XDG_RUNTIME_DIR). What the old bus shows is forgotten.
YOL_API void UseDesktopNotificationBus(const std::string& address);
// Local only from now on, until UseDesktopNotificationBus.
YOL_API void StopDesktopNotifications();
// Waits until everything handed to the bus so far has been answered or has
// timed out; false when that takes longer than timeoutMs.
YOL_API bool WaitDesktopNotificationsIdle(int timeoutMs);

// ---- Inside the shell ------------------------------------------------------

// The model asks for the notification to be shown or changed (popUp: also
// when the desktop does not show it yet), or taken away.
void DesktopShow(const ShellNotification& n, bool popUp);
void DesktopRemove(const YOL_GUID& clsid, std::uint32_t id);

// A button pressed on the desktop: the notification's soft key `index`, on
// whatever thread (ShellNotification.cpp).
void PressNotificationKey(const YOL_GUID& clsid, std::uint32_t id, int index);
// Asks the bubble's thread to bring the bubble in line with the model
// (ShellBubble.cpp); safe on any thread.
void RequestBubbleSync();

} // namespace Platform
