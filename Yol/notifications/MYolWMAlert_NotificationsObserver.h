#pragma once
// The answers the user gives on notification bubbles; the application
// implements it. Called on the UI thread, after the bubble is gone.

class CYolString;

namespace UI {

class MYolWMAlert_NotificationsObserver {
public:
    // An incoming message (the caller's key) or another bubble with a key.
    virtual void OnNotificationAnswer(int key, bool accepted) = 0;
    // download: true for "a new version is available", false for "the new
    // version is downloaded".
    virtual void OnUpdateAnswer(int version, bool download) = 0;
    virtual void OnFileAnswer(unsigned int contactId, const CYolString& fileName, bool accepted) = 0;
    virtual void OnAuthAnswer(unsigned int contactId, bool accepted) = 0;

protected:
    ~MYolWMAlert_NotificationsObserver() = default;
};

}  // namespace UI
