// The clipboard and its movable memory blocks.

#include "Clipboard.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Block {
    std::vector<std::uint8_t> bytes;
    std::size_t size = 0;
    int locks = 0;
    bool ownedByClipboard = false;
};

struct ClipboardState {
    std::mutex m;
    std::set<Block*> blocks;
    std::map<UINT, Block*> formats;
    bool open = false;
    std::thread::id opener;
    HWND openOwner = nullptr;
    HWND owner = nullptr;
};

ClipboardState& State()
{
    static ClipboardState* state = new ClipboardState;
    return *state;
}

Block* Known(ClipboardState& s, HGLOBAL handle)
{
    auto* block = static_cast<Block*>(handle);
    return s.blocks.count(block) ? block : nullptr;
}

bool OpenedHere(const ClipboardState& s)
{
    return s.open && s.opener == std::this_thread::get_id();
}

void DropFormats(ClipboardState& s)
{
    for (auto& [format, block] : s.formats) {
        s.blocks.erase(block);
        delete block;
    }
    s.formats.clear();
}

} // namespace

HGLOBAL GlobalAlloc(UINT /*flags*/, std::size_t bytes)
{
    auto block = std::make_unique<Block>();
    try {
        block->bytes.assign(std::max<std::size_t>(bytes, 1), 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    block->size = bytes;
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    s.blocks.insert(block.get());
    return block.release();
}

void* GlobalLock(HGLOBAL handle)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    Block* block = Known(s, handle);
    if (!block)
        return nullptr;
    ++block->locks;
    return block->bytes.data();
}

bool GlobalUnlock(HGLOBAL handle)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    Block* block = Known(s, handle);
    if (!block || block->locks == 0)
        return false;
    return --block->locks > 0;
}

std::size_t GlobalSize(HGLOBAL handle)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    Block* block = Known(s, handle);
    return block ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    Block* block = Known(s, handle);
    if (!block || block->ownedByClipboard)
        return handle;
    s.blocks.erase(block);
    delete block;
    return nullptr;
}

bool OpenClipboard(HWND owner)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    if (s.open && s.opener != std::this_thread::get_id())
        return false;
    s.open = true;
    s.opener = std::this_thread::get_id();
    s.openOwner = owner;
    return true;
}

bool CloseClipboard()
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    if (!OpenedHere(s))
        return false;
    s.open = false;
    return true;
}

bool EmptyClipboard()
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    if (!OpenedHere(s))
        return false;
    DropFormats(s);
    s.owner = s.openOwner;
    return true;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    Block* block = Known(s, data);
    if (!OpenedHere(s) || !block)
        return nullptr;
    auto it = s.formats.find(format);
    if (it != s.formats.end() && it->second != block) {
        s.blocks.erase(it->second);
        delete it->second;
    }
    block->ownedByClipboard = true;
    s.formats[format] = block;
    return block;
}

HANDLE GetClipboardData(UINT format)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    if (!OpenedHere(s))
        return nullptr;
    auto it = s.formats.find(format);
    return it == s.formats.end() ? nullptr : it->second;
}

bool IsClipboardFormatAvailable(UINT format)
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    return s.formats.count(format) > 0;
}

HWND GetClipboardOwner()
{
    ClipboardState& s = State();
    std::lock_guard<std::mutex> lock(s.m);
    return s.owner;
}

namespace Platform {

std::u16string ReadClipboardText()
{
    if (!OpenClipboard(nullptr))
        return {};
    std::u16string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const std::size_t units = GlobalSize(data) / sizeof(char16_t);
        if (const auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
            text.assign(p, std::find(p, p + units, u'\0'));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool WriteClipboardText(std::u16string_view text, HWND owner)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    if (!block)
        return false;
    auto* p = static_cast<char16_t*>(GlobalLock(block));
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = u'\0';
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    return true;
}

} // namespace Platform
