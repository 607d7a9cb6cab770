// Places camera frames on a recording's 30 frames-per-second timeline by their
// time stamps, so that a movie keeps real time whatever rate the camera has.
#pragma once

#include "platform/capture/CaptureDevices.h"

class TRecordingTimeline {
public:
    explicit TRecordingTimeline(int framesPerSecond = 30) : m_framesPerSecond(framesPerSecond) {}

    // The next frame is the recording's first.
    void Restart() { m_started = false; }

    // How many times the frame stamped ATime is handed to the movie: 1 for the
    // first frame, k for a frame whose slot lies k slots past the last one
    // filled (the gap repeats it), 0 for a frame whose slot is already filled.
    int CopiesFor(TMediaTime ATime);

private:
    qint64 SlotOf(TMediaTime ATime) const;
    void ContinueAt(TMediaTime ATime, qint64 slot);

    int m_framesPerSecond;
    bool m_started = false;
    TMediaTime m_origin = 0;
    TMediaTime m_lastTime = 0;
    qint64 m_lastSlot = 0;
};
