#pragma once
// Animated smiley pictures and the one driver that animates them all.
//
// Every picture of a smiley on screen (history view, smilies bar, picker)
// shows one frame of a smiley of the current set. Pictures of the same
// smiley share one frame counter and change together; one window timer
// (2000) on the UI thread is always armed for the nearest frame change
// among all smileys on screen, so nothing wakes between changes. Each
// change is told to the picture's observer, which redraws it.
//
// UI thread only. The driver exists while at least one animated picture
// does; paused (the message window hidden), nothing changes frame until
// Resume, also when pictures register meanwhile.

#include "CYolArray.h"
#include "CYolWMUI_WndBase.h"

namespace Smile {

class CYolWMSmile_Anim;

class MYolWMSmile_AnimObserver {
public:
    virtual void OnFrameChanged(CYolWMSmile_Anim* picture) = 0;

protected:
    ~MYolWMSmile_AnimObserver() = default;
};

class CYolWMSmile_Anim {
public:
    // Registers with the driver unless the smiley has exactly one frame.
    CYolWMSmile_Anim(int smile, MYolWMSmile_AnimObserver* observer);
    ~CYolWMSmile_Anim();
    CYolWMSmile_Anim(const CYolWMSmile_Anim&) = delete;
    CYolWMSmile_Anim& operator=(const CYolWMSmile_Anim&) = delete;

    int Smile() const { return smile; }
    // The frame to draw; 0 until the first change.
    int Frame() const { return frame; }
    bool Registered() const { return registered; }

    // One per smiley on screen: the pictures showing it and their shared
    // frame counter.
    struct CYolWMSmile_AnimManager : public CYolArray<CYolWMSmile_Anim*> {
        int smile = 0;
        int frame = -1;
        int frameCount = 0;
        // Milliseconds until its next frame change.
        int remaining = 0;
    };

    class CYolWMSmile_AnimDriver : public UI::CYolWMUI_Wnd {
    public:
        static constexpr int kTimerId = 2000;

        void OnCreate() override;
        void OnTimer(int id, TIMERPROC proc) override;

        CYolArray<CYolWMSmile_AnimManager> managers;
        // What the timer is armed for.
        int interval = 0;
        bool paused = false;

        void Arm();
    };

    static void Register(CYolWMSmile_Anim* picture);
    static void Unregister(CYolWMSmile_Anim* picture);
    static void Pause();
    static void Resume();
    // The driver while one exists, else null.
    static CYolWMSmile_AnimDriver* Driver();
    // The window the driver's window is made under (the application's).
    static void SetHostWindow(HWND host);

private:
    friend struct AnimTicker;

    int smile;
    int frame = 0;
    MYolWMSmile_AnimObserver* observer;
    bool registered = false;
};

} // namespace Smile
