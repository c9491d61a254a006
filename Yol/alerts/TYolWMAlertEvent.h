#pragma once
// The alert events, also the indexes into the preferences' alert settings.

namespace Alert {

enum TYolWMAlertEvent : int {
    EAlertIncomingMessage = 0,
    EAlertMessageSent = 1,
    EAlertContactOnline = 2,
    EAlertWarning = 3,
    EAlertEmailMessage = 4,
    EAlertIncomingFile = 5,
    EAlertFileTransferComplete = 6,
    EAlertEventCount = 7,
};

} // namespace Alert
