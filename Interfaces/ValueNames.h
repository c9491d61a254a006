#pragma once
// The names of shared values, written once. Plug-ins, the contact-list model,
// the history and the server store all read and write records under these
// names, and the stored files carry them, so they never change.

namespace ValueName {

// The login name on the network: an account's setting and a contact's value.
inline constexpr char16_t SrvLogName[] = u"SrvLogName";
// The name the user sees for a contact.
inline constexpr char16_t Alias[] = u"CL Alias";
// Whether a group is shown opened.
inline constexpr char16_t GroupOpened[] = u"Group opened";
// A contact's place on the account's privacy lists (0 or 1 each).
inline constexpr char16_t InVisibleList[] = u"In visible list";
inline constexpr char16_t InInvisibleList[] = u"In invisible list";
inline constexpr char16_t InIgnoreList[] = u"In ignore list";

}  // namespace ValueName
