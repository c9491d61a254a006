#pragma once
// The pack definition file "_define.ini": one line per smiley, in the order
// of the pack's GIF files sorted by name, holding the smiley's codes
// separated by commas, in Windows-1251. Blank lines use no GIF file.

#include "CYolArray.h"
#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Smile {

// The longest code kept, in bytes; longer ones are cut to it.
constexpr int kMaxCodeBytes = 19;
// The biggest definition file read.
constexpr std::int64_t kMaxDefineBytes = 1024 * 1024;

// The codes of each line that names a smiley, in order, for at most
// `gifCount` smileys; parsing stops at the first 0 byte.
std::vector<CYolArray<CYolString>> ParseSmileDefine(const std::uint8_t* bytes, std::size_t size, int gifCount);

} // namespace Smile
