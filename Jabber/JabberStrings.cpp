#include "JabberStrings.h"

#include "PluginHelpers.h"

namespace {

// UTF-8. Ids 15, 80 and 81 are kept free so that the packs' numbering stays
// the same; nothing of this plug-in shows them.
const char* const kStrings[kJabberStringCount] = {
    "@ Home",                       // 0
    "@ Work",                       // 1
    "Away",                         // 2
    "Connection",                   // 3
    "Depression",                   // 4
    "Do not disturb",               // 5
    "Evil",                         // 6
    "Free for chat",                // 7
    "Invisible for all",            // 8
    "Invisible",                    // 9
    "Lunch",                        // 10
    "Not available",                // 11
    "Occupied",                     // 12
    "Offline",                      // 13
    "Online",                       // 14
    nullptr,                        // 15
    "Account",                      // 16
    "Password",                     // 17
    "Show password",                // 18
    "Save password",                // 19
    "Resource",                     // 20
    "Server",                       // 21
    "Port",                         // 22
    "Use SSL",                      // 23
    "Expert",                       // 24
    "Manually specify connection host",  // 25
    "Server",                       // 26
    "Port",                         // 27
    "Enable stream compression",    // 28
    "Sending file via proxy server",  // 29
    "Proxy server",                 // 30
    "Advanced",                     // 31
    "Display email notifications",  // 32
    "Show email button",            // 33
    "Show clients icons",           // 34
    "Request authorization",        // 35
    "Grant authorization",          // 36
    "Revoke authorization",         // 37
    "General",                      // 38
    "Home",                         // 39
    "Work",                         // 40
    "Company",                      // 41
    "Phones",                       // 42
    "Personal",                     // 43
    "About",                        // 44
    "Account name",                 // 45
    "Display name",                 // 46
    "First name",                   // 47
    "Middle name",                  // 48
    "Last name",                    // 49
    "Country",                      // 50
    "City",                         // 51
    "State",                        // 52
    "Zip",                          // 53
    "Street",                       // 54
    "Email",                        // 55
    "Company name",                 // 56
    "Div/dept",                     // 57
    "Position",                     // 58
    "Home phone",                   // 59
    "Home fax",                     // 60
    "Cellular",                     // 61
    "Work phone",                   // 62
    "Work fax",                     // 63
    "Gender",                       // 64
    "Female",                       // 65
    "Male",                         // 66
    "Age",                          // 67
    "Home page",                    // 68
    "Birthday",                     // 69
    "About",                        // 70
    "Note on user",                 // 71
    "By JID",                       // 72
    "By Email",                     // 73
    "Global",                       // 74
    "Nickname",                     // 75
    "Acc.: <account>\r\nE-mail received\r\nFrom: <name>\r\nSubject: <subject>",  // 76
    "Mailbox",                      // 77
    "Open Inbox",                   // 78
    "Invalid account name or password",  // 79
    nullptr,                        // 80
    nullptr,                        // 81
    "A message from <contact> was too large to receive and has been dropped.",  // 82
    "A message too large to receive has been dropped.",  // 83
    "The port must be a number from 1 to 65535",  // 84
};

}  // namespace

bool JabberDefaultUiString(int id, CYolString& out) {
    return Protocols::GetDefaultUiString(kStrings, id, out);
}
