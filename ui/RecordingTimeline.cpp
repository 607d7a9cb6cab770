// The recording timeline.
#include "ui/RecordingTimeline.h"

namespace {

constexpr TMediaTime kUnitsPerSecond = 10'000'000; // 100 ns units

// A gap longer than this is a jump of the camera's clock, not lost frames:
// filling it would stall the window and pad the movie with one picture.
constexpr qint64 kLongestGapSeconds = 10;

} // namespace

qint64 TRecordingTimeline::SlotOf(TMediaTime ATime) const
{
    // Nearest slot: a frame a little early or late still lands on its own slot.
    return ((ATime - m_origin) * m_framesPerSecond + kUnitsPerSecond / 2) / kUnitsPerSecond;
}

void TRecordingTimeline::ContinueAt(TMediaTime ATime, qint64 slot)
{
    m_origin = ATime - slot * kUnitsPerSecond / m_framesPerSecond;
}

int TRecordingTimeline::CopiesFor(TMediaTime ATime)
{
    if (!m_started) {
        m_started = true;
        m_lastSlot = 0;
        m_lastTime = ATime;
        ContinueAt(ATime, 0);
        return 1;
    }
    // A restarted camera starts its clock again: go on from the next slot.
    if (ATime < m_lastTime)
        ContinueAt(ATime, m_lastSlot + 1);
    m_lastTime = ATime;

    qint64 slot = SlotOf(ATime);
    if (slot - m_lastSlot > kLongestGapSeconds * m_framesPerSecond) {
        slot = m_lastSlot + 1;
        ContinueAt(ATime, slot);
    }
    if (slot <= m_lastSlot)
        return 0;
    const qint64 copies = slot - m_lastSlot;
    m_lastSlot = slot;
    return static_cast<int>(copies);
}
