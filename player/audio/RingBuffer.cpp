#include "audio/RingBuffer.h"

#include <algorithm>
#include <cstring>

namespace qlnx {

TRingBuffer::TRingBuffer(qint64 capacity) : m_bytes(std::size_t(std::max<qint64>(capacity, 0))) {}

qint64 TRingBuffer::Write(const char* data, qint64 bytes)
{
    const qint64 written = std::clamp<qint64>(bytes, 0, Room());
    qint64 tail = m_head + m_fill;
    if (tail >= Capacity())
        tail -= Capacity();
    qint64 left = written;
    while (left > 0) {
        const qint64 n = std::min(left, Capacity() - tail);
        std::memcpy(m_bytes.data() + tail, data, std::size_t(n));
        data += n;
        left -= n;
        tail = tail + n == Capacity() ? 0 : tail + n;
    }
    m_fill += written;
    return written;
}

qint64 TRingBuffer::Read(char* data, qint64 maxBytes)
{
    const qint64 taken = std::clamp<qint64>(maxBytes, 0, m_fill);
    qint64 left = taken;
    while (left > 0) {
        const qint64 n = std::min(left, Capacity() - m_head);
        if (data) {
            std::memcpy(data, m_bytes.data() + m_head, std::size_t(n));
            data += n;
        }
        left -= n;
        m_head = m_head + n == Capacity() ? 0 : m_head + n;
    }
    m_fill -= taken;
    return taken;
}

void TRingBuffer::Clear()
{
    m_head = 0;
    m_fill = 0;
}

} // namespace qlnx
