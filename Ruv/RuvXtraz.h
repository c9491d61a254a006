#pragma once
// The extended-status (x-status) script plug-in as it travels inside relayed
// messages and automatic answers: the plug-in header that opens every
// script message, the function name and fixed tail after it, and the limits
// on the texts an answer carries.

#include <string_view>

namespace RuvXtraz {

// Header length 0x4F, the script plug-in's identifier, function 8 and the
// length of the function name (0x2A).
inline constexpr std::string_view kPluginStart{"\x4F\x00\x3B\x60\xB3\xEF\xD8\x2A\x6C\x45\xA4\xE0\x9C\x5A\x5E\x67"
                                               "\xE8\x65\x08\x00\x2A\x00\x00\x00",
                                               24};
inline constexpr std::string_view kPluginId = kPluginStart.substr(2, 16);
inline constexpr std::string_view kFunctionName = "Script Plug-in: Remote Notification Arrive";
inline constexpr std::string_view kTail{"\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00", 15};
inline constexpr unsigned char kNotifyFunction = 8;

// UTF-16 units of an x-status title and description, sent or kept.
inline constexpr int kTitleLimit = 256;
inline constexpr int kDescriptionLimit = 2048;

}  // namespace RuvXtraz
