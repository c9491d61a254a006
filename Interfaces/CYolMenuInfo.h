#pragma once
// CYolMenuInfo / CYolMenuItemInfo: the description of a menu that the program
// and the plug-ins fill and the shell turns into a real menu. The protocols
// manager builds the global status menu with it; an account fills its own
// menus when asked (status menu, extra menu, contact menus).
//
// A plug-in fills a menu that the program owns and destroys, so everything
// here is inline: each module carries its own copy of the code, and an item
// filled inside a plug-in is a plain value the program can copy and free
// without calling back into the plug-in. The one thing an item keeps of its
// module is its call-back, which the menu code calls only while the module
// that filled the menu is loaded.

#include "CYolArray.h"
#include "CYolString.h"

#include <utility>

class CYolMenuInfo;

// Called with the item's context and command when the user picks the item.
// Plug-ins' status items pass (account id, status); the global status menu
// passes (status, 0).
using YolMenuCallback = void (*)(unsigned int context, unsigned int command);

class CYolMenuItemInfo {
public:
    enum Kind : int {
        Item = 0,
        Separator = 1,
        SecondItem = 2,
        SubMenu = 3,
    };

    CYolMenuItemInfo() { images.SetGrowStep(10); }
    // The item the protocols manager appends for a global status.
    CYolMenuItemInfo(int kind, const CYolArray<unsigned int>& imageIds, const CYolFormatString& caption,
                     int command, YolMenuCallback callback, unsigned int context, bool checked)
        : kind(kind), caption(caption), images(imageIds), callback(callback), command(command), context(context),
          checked(checked) {}
    inline CYolMenuItemInfo(const CYolMenuItemInfo& other);
    CYolMenuItemInfo(CYolMenuItemInfo&& other) { Swap(other); }
    inline CYolMenuItemInfo& operator=(const CYolMenuItemInfo& other);
    CYolMenuItemInfo& operator=(CYolMenuItemInfo&& other) {
        if (this != &other) {
            CYolMenuItemInfo gone(std::move(other));
            Swap(gone);
        }
        return *this;
    }
    inline ~CYolMenuItemInfo();

    // Runs the call-back with the item's context and command; false when the
    // item has none.
    bool Invoke() const {
        if (callback == nullptr)
            return false;
        callback(context, static_cast<unsigned int>(command));
        return true;
    }

    int kind = Item;
    CYolFormatString caption;
    CYolArray<unsigned int> images;
    YolMenuCallback callback = nullptr;
    int command = 0;
    unsigned int context = 0;
    // Owned: deleted with the item and deep-copied with it.
    CYolMenuInfo* subMenu = nullptr;
    bool checked = false;

private:
    void Swap(CYolMenuItemInfo& other) {
        std::swap(kind, other.kind);
        std::swap(caption, other.caption);
        std::swap(images, other.images);
        std::swap(callback, other.callback);
        std::swap(command, other.command);
        std::swap(context, other.context);
        std::swap(subMenu, other.subMenu);
        std::swap(checked, other.checked);
    }
};

class CYolMenuInfo {
public:
    CYolMenuInfo() { items.SetGrowStep(10); }
    CYolMenuInfo(const CYolMenuInfo&) = default;
    CYolMenuInfo& operator=(const CYolMenuInfo&) = default;
    ~CYolMenuInfo() = default;

    // Appends a copy; items keep the order in which they were appended.
    int AddItem(const CYolMenuItemInfo& item) { return items.Add(item); }
    int GetCount() const { return items.Count(); }
    CYolMenuItemInfo& operator[](int index) { return items[index]; }
    const CYolMenuItemInfo& operator[](int index) const { return items[index]; }

    CYolArray<CYolMenuItemInfo> items;
    CYolFormatString title;
    // The filler's own pointer, handed back with the menu; never dereferenced here.
    void* context = nullptr;
};

inline CYolMenuItemInfo::CYolMenuItemInfo(const CYolMenuItemInfo& other)
    : kind(other.kind), caption(other.caption), images(other.images), callback(other.callback),
      command(other.command), context(other.context),
      subMenu(other.subMenu != nullptr ? new CYolMenuInfo(*other.subMenu) : nullptr), checked(other.checked) {}

inline CYolMenuItemInfo& CYolMenuItemInfo::operator=(const CYolMenuItemInfo& other) {
    if (this != &other) {
        CYolMenuItemInfo copy(other);
        Swap(copy);
    }
    return *this;
}

inline CYolMenuItemInfo::~CYolMenuItemInfo() {
    delete subMenu;
}
