#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "audio/DiscPlayer.h"

namespace qlnx {

// The playback service's protocol, over a local socket of the user.
//
// A frame is 4 bytes of length (big-endian) and that many bytes of message: a 2-byte type and
// its fields, integers big-endian, strings as 4 bytes of length and UTF-8. A frame over
// MaxFrameBytes, a type nobody knows, a field that runs past its frame or bytes left over make
// the stream broken; whoever reads it closes the connection.
//
// Hello, Welcome and Retire keep their layout in every version, so that programs of different
// versions tell each other apart and a newer player can retire an older service.
constexpr quint32 ProtocolMagic = 0x514C5044; // "QLPD"
constexpr quint16 ProtocolVersion = 1;
constexpr int MaxFrameBytes = 64 * 1024;

enum class TMessageType : quint16
{
    Hello = 1,   // player: Magic, Version
    Welcome = 2, // service: Magic, Version, Pid
    Retire = 3,  // player: stop playing and end (a service of another version is in the way)

    Play = 16,   // player: Seq, PlayId, Disc, From, To
    Stop = 17,   // player: Seq
    Pause = 18,  // player: Seq
    Resume = 19, // player: Seq, PlayId
    Forget = 20, // player: Seq, Disc.Path

    Status = 32,    // service: Seq (the player's last request handled), State, Disc, Position,
                    // To (the play's end), PlayId (the play it is about)
    Completion = 33 // service: PlayId, Result
};

struct TMessage
{
    TMessageType Type = TMessageType::Hello;
    quint32 Magic = ProtocolMagic;
    quint16 Version = ProtocolVersion;
    qint64 Pid = 0;
    quint32 Seq = 0;
    quint32 PlayId = 0;
    TPlayedDisc Disc;
    qint64 From = 0;
    qint64 To = 0;
    qint64 Position = 0;
    TDiscPlayer::TState State = TDiscPlayer::TState::Idle;
    TNotifyResult Result = TNotifyResult::Successful;

    bool operator==(const TMessage&) const = default;
};

// The frame of a message: only the fields of its type are written.
QByteArray EncodeFrame(const TMessage& message);

// A message from the bytes of one frame (without its length); none when they are not one.
std::optional<TMessage> DecodeMessage(const QByteArray& payload);

// Whether a Play asks for what can be played: [From, To) within the disc, from 0 to its
// lead-out, on whole sample frames (an empty or backward range ends at once). The service
// fails any other with a Failure completion.
bool Runnable(const TMessage& play);
// Whether a Status speaks of positions on its disc; a service that sends another is not
// listened to.
bool Plausible(const TMessage& status);

// Takes the bytes of a stream as they come and hands out whole messages.
class TFrameReader
{
public:
    enum class TResult
    {
        Message,  // one message taken
        NeedMore, // a frame is not complete yet
        Broken    // the stream is not (or no longer) one of ours
    };

    void Append(const QByteArray& bytes) { m_buffer += bytes; }
    TResult Next(TMessage& message);

private:
    QByteArray m_buffer;
    bool m_broken = false;
};

} // namespace qlnx
