#pragma once

#include <vector>

#include <QtGlobal>

namespace qlnx {

// A byte queue of fixed capacity in one allocation, written at the back and read from the
// front, wrapping around its end: the playback engine's read-ahead. It takes no lock; its
// owner guards it.
class TRingBuffer final
{
public:
    explicit TRingBuffer(qint64 capacity);

    qint64 Capacity() const { return qint64(m_bytes.size()); }
    qint64 Fill() const { return m_fill; }
    qint64 Room() const { return Capacity() - m_fill; }

    // Appends as much of the bytes as there is room for; returns how many that was.
    qint64 Write(const char* data, qint64 bytes);
    // Takes up to maxBytes from the front, copied into data unless it is null (then they are
    // only dropped); returns how many.
    qint64 Read(char* data, qint64 maxBytes);
    void Clear();

private:
    std::vector<char> m_bytes;
    qint64 m_head = 0; // offset of the first byte held
    qint64 m_fill = 0;
};

} // namespace qlnx
