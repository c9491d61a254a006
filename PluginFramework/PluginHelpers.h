#pragma once
// Helpers every plug-in shares: its built-in English texts and the module
// handle under which its dialog templates and resources are registered.

#include "CYolString.h"
#include "PlatformTypes.h"

#include <span>

namespace Protocols {

// The text of `id` from a plug-in's built-in table of UTF-8 texts indexed by
// id. An id outside the table, or an entry left null, answers false and
// leaves `out` as it was. A plug-in hands its language controller a
// two-line adapter over its own table:
//
//     bool RuvDefaultString(int id, CYolString& out) { return Protocols::GetDefaultUiString(ruvStrings, id, out); }
bool GetDefaultUiString(std::span<const char* const> table, int id, CYolString& out);

// This plug-in library's module: one per library, since the framework is
// linked into each one.
HINSTANCE GetPluginModule();

}  // namespace Protocols
