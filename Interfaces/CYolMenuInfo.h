#pragma once
// CYolMenuInfo / CYolMenuItemInfo: the description of a menu that the program
// and the plug-ins fill and the program's pop-up menu window shows. The
// protocols manager builds the global status menu with it; an account fills
// its own menus when asked (status menu, extra menu, contact menus), appending
// to a description the program has already begun.
//
// A plug-in fills a menu that the program owns and destroys, so everything
// here is inline: each module carries its own copy of the code, and an entry
// filled inside a plug-in is a plain value the program can copy and free
// without calling back into the plug-in. The one thing an entry keeps of its
// module is its call-back, which the program calls only while the module that
// filled the menu is loaded.

#include "CYolArray.h"
#include "CYolString.h"

#include <cstdint>
#include <utility>

class CYolMenuInfo;

// Called by the menu's owner when the user picks the entry: with the id the
// menu was opened for (a contact-list item's model id, an account id, 0 for
// the program's own status menu) and the entry's context.
using YolMenuCallback = int (*)(unsigned int id, void* context);

// Contexts are untyped words; most fillers keep a number in them.
inline void* YolMenuContext(unsigned int value) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
}
inline unsigned int YolMenuContextValue(const void* context) {
    return static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(context));
}

class CYolMenuItemInfo {
public:
    enum Kind : int {
        Item = 0,
        Separator = 1,
        // Shown in the inactive colour; cannot be chosen.
        Inactive = 2,
        SubMenu = 3,
    };

    // The spare slots of a menu's entry array are default entries, so they
    // must be separators, never choosable.
    CYolMenuItemInfo() : CYolMenuItemInfo(Separator) {}
    explicit CYolMenuItemInfo(int kind) : kind(kind) { images.SetGrowStep(10); }
    CYolMenuItemInfo(int kind, const CYolFormatString& caption, int commandId, YolMenuCallback callback,
                     void* context, bool marked)
        : CYolMenuItemInfo(kind) {
        Fill(caption, commandId, callback, context, marked);
    }
    // Image id -1 stands for no image.
    CYolMenuItemInfo(int kind, int imageId, const CYolFormatString& caption, int commandId,
                     YolMenuCallback callback, void* context, bool marked)
        : CYolMenuItemInfo(kind, caption, commandId, callback, context, marked) {
        AddImage(imageId);
    }
    CYolMenuItemInfo(int kind, const CYolArray<unsigned int>& imageIds, const CYolFormatString& caption,
                     int commandId, YolMenuCallback callback, void* context, bool marked)
        : CYolMenuItemInfo(kind, caption, commandId, callback, context, marked) {
        images = imageIds;
    }
    // Sub-menu entries; each keeps its own copy of `sub`.
    inline CYolMenuItemInfo(int imageId, const CYolFormatString& caption, const CYolMenuInfo& sub);
    inline CYolMenuItemInfo(const CYolArray<unsigned int>& imageIds, const CYolFormatString& caption,
                            const CYolMenuInfo& sub);
    inline CYolMenuItemInfo(int imageId, const CYolFormatString& caption, int commandId, const CYolMenuInfo& sub);

    inline CYolMenuItemInfo(const CYolMenuItemInfo& other);
    CYolMenuItemInfo(CYolMenuItemInfo&& other) noexcept { Swap(other); }
    inline CYolMenuItemInfo& operator=(const CYolMenuItemInfo& other);
    CYolMenuItemInfo& operator=(CYolMenuItemInfo&& other) noexcept {
        if (this != &other) {
            CYolMenuItemInfo gone(std::move(other));
            Swap(gone);
        }
        return *this;
    }
    inline virtual ~CYolMenuItemInfo();

    // Runs the call-back with the id the menu was opened for and the entry's
    // context; false when the entry has none.
    bool Invoke(unsigned int id) const {
        if (callback == nullptr)
            return false;
        callback(id, context);
        return true;
    }

    int kind = Separator;
    CYolFormatString caption;
    CYolArray<unsigned int> images;
    YolMenuCallback callback = nullptr;
    // For owners that dispatch by number; -1 means none.
    int commandId = 0;
    void* context = nullptr;
    // Owned: deleted with the entry and deep-copied with it.
    CYolMenuInfo* subMenu = nullptr;
    // The current choice among its neighbours (the status in force, say).
    bool marked = false;

private:
    void Fill(const CYolFormatString& text, int command, YolMenuCallback call, void* data, bool mark) {
        caption = text;
        commandId = command;
        callback = call;
        context = data;
        marked = mark;
    }
    void AddImage(int imageId) {
        if (imageId != -1)
            images.Add(static_cast<unsigned int>(imageId));
    }
    void Swap(CYolMenuItemInfo& other) noexcept {
        std::swap(kind, other.kind);
        std::swap(caption, other.caption);
        std::swap(images, other.images);
        std::swap(callback, other.callback);
        std::swap(commandId, other.commandId);
        std::swap(context, other.context);
        std::swap(subMenu, other.subMenu);
        std::swap(marked, other.marked);
    }
};

// The entries in the order they were added (Add appends, InsertAt places
// before an index and appends past the end); nothing is sorted or merged, so
// the program's entries and a plug-in's follow each other in call order.
class CYolMenuInfo : public CYolArray<CYolMenuItemInfo> {
public:
    CYolMenuInfo() { SetGrowStep(10); }
    CYolMenuInfo(const CYolFormatString& title, void* context) : title(title), context(context) { SetGrowStep(10); }
    CYolMenuInfo(const CYolMenuInfo&) = default;
    CYolMenuInfo(CYolMenuInfo&&) = default;
    CYolMenuInfo& operator=(const CYolMenuInfo&) = default;
    CYolMenuInfo& operator=(CYolMenuInfo&&) = default;
    ~CYolMenuInfo() override = default;

    // Shown as a heading only when its localized text is not empty.
    CYolFormatString title;
    // The filler's own word, handed back with every choice made in this
    // menu; never dereferenced here.
    void* context = nullptr;
};

inline CYolMenuItemInfo::CYolMenuItemInfo(int imageId, const CYolFormatString& caption, const CYolMenuInfo& sub)
    : CYolMenuItemInfo(imageId, caption, 0, sub) {}

inline CYolMenuItemInfo::CYolMenuItemInfo(const CYolArray<unsigned int>& imageIds, const CYolFormatString& caption,
                                          const CYolMenuInfo& sub)
    : CYolMenuItemInfo(SubMenu, imageIds, caption, 0, nullptr, nullptr, false) {
    subMenu = new CYolMenuInfo(sub);
}

inline CYolMenuItemInfo::CYolMenuItemInfo(int imageId, const CYolFormatString& caption, int commandId,
                                          const CYolMenuInfo& sub)
    : CYolMenuItemInfo(SubMenu, imageId, caption, commandId, nullptr, nullptr, false) {
    subMenu = new CYolMenuInfo(sub);
}

inline CYolMenuItemInfo::CYolMenuItemInfo(const CYolMenuItemInfo& other)
    : kind(other.kind), caption(other.caption), images(other.images), callback(other.callback),
      commandId(other.commandId), context(other.context),
      subMenu(other.subMenu != nullptr ? new CYolMenuInfo(*other.subMenu) : nullptr), marked(other.marked) {}

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
