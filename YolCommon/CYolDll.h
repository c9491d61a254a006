#pragma once
// CYolDll: one loaded shared library (a plug-in or a language pack).
//
// The object does not own the library: destroying it does not unload, since
// the protocols manager keeps handles in tables and unloads at a moment of
// its own choosing. Unload is always explicit.

#include "CYolString.h"
#include "YolTypes.h"

class YOL_API CYolDll {
public:
    CYolDll() = default;

    // Loads folder + fileName (no separator added). When a library is held
    // already it is released once the new one has loaded; a failed load
    // keeps it. False (see GetLastError) when nothing could be loaded.
    bool Load(const CYolString& fileName, const CYolString& folder);
    // The address of an exported symbol by its plain name; null when absent
    // or when no library is held.
    void* GetProcAddressW(const CYolString& name);
    // Unloads the held library; false when none was held.
    bool Unload();

    bool IsLoaded() const { return handle != nullptr; }
    void* Handle() const { return handle; }
    // The loader's explanation of the last failed Load or lookup of this
    // object (empty after a success).
    const CYolString& GetLastError() const { return lastError; }

private:
    void* handle = nullptr;
    CYolString lastError;
};
