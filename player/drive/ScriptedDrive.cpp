#include "drive/ScriptedDrive.h"

#include <condition_variable>
#include <mutex>

#include <QFileInfo>

#include "drive/CdioDisc.h"

namespace qlnx {

namespace {

// What the drive and the audio sources of its discs share.
struct TScriptState
{
    explicit TScriptState(TDriveScript s) : Script(std::move(s)) {}

    void Call(TDriveCall call)
    {
        if (Script.Before)
            Script.Before(call);
    }
    // Waits ms unless cancelled.
    void Delay(int ms)
    {
        if (ms <= 0)
            return;
        std::unique_lock lock(Mutex);
        Cancelled.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Cancel; });
    }

    const TDriveScript Script;
    std::mutex Mutex;
    std::condition_variable Cancelled;
    bool Cancel = false;
    bool TrayOpen = false;
    bool SpunUp = false;
    bool SlowReadDue = false;
};

class TScriptedSource final : public TSectorSource
{
public:
    TScriptedSource(std::shared_ptr<TScriptState> state, std::shared_ptr<TSectorSource> source)
        : m_state(std::move(state)), m_source(std::move(source))
    {
    }
    bool ReadAudio(qint32 lsn, int count, char* buffer) override
    {
        m_state->Call(TDriveCall::ReadAudio);
        bool slow = false;
        {
            std::lock_guard lock(m_state->Mutex);
            slow = std::exchange(m_state->SlowReadDue, false);
        }
        if (slow)
            m_state->Delay(m_state->Script.SlowReadMs);
        return m_source->ReadAudio(lsn, count, buffer);
    }

private:
    std::shared_ptr<TScriptState> m_state;
    std::shared_ptr<TSectorSource> m_source;
};

class TScriptedBackend final : public TDriveBackend
{
public:
    TScriptedBackend(const QString& path, TDriveScript script)
        : m_path(path), m_state(std::make_shared<TScriptState>(std::move(script)))
    {
    }
    void Cancel() override
    {
        // Delays under way, also of reads of this drive's discs, end at once.
        std::lock_guard lock(m_state->Mutex);
        m_state->Cancel = true;
        m_state->Cancelled.notify_all();
    }

    QString Name() const override { return m_path; }
    bool IsImage() const override { return true; }

    bool IsDrive() override
    {
        m_state->Call(TDriveCall::IsDrive);
        return !m_state->Script.NoDrive;
    }

    TTrayStatus Status() override
    {
        m_state->Call(TDriveCall::Status);
        {
            std::lock_guard lock(m_state->Mutex);
            if (m_state->TrayOpen)
                return TTrayStatus::TrayOpen;
        }
        return QFileInfo(m_path).isFile() ? TTrayStatus::DiscOk : TTrayStatus::NoDisc;
    }

    std::shared_ptr<const TDiscInfo> ReadDisc() override
    {
        m_state->Call(TDriveCall::ReadDisc);
        bool spinUp = false;
        {
            std::lock_guard lock(m_state->Mutex);
            spinUp = !std::exchange(m_state->SpunUp, true);
        }
        if (spinUp)
            m_state->Delay(m_state->Script.SpinUpMs);
        m_state->Delay(m_state->Script.TocReadMs);
        if (m_state->Script.NoToc)
            return nullptr;
        const auto disc = TCdioDisc::Info(TCdioDisc::OpenImage(m_path).Disc);
        if (!disc)
            return nullptr;
        {
            std::lock_guard lock(m_state->Mutex);
            m_state->SlowReadDue = m_state->Script.SlowReadMs > 0;
        }
        TDiscInfo scripted = *disc;
        scripted.Audio = std::make_shared<TScriptedSource>(m_state, disc->Audio);
        return std::make_shared<const TDiscInfo>(std::move(scripted));
    }

    bool Eject() override
    {
        m_state->Call(TDriveCall::Eject);
        if (m_state->Script.RefuseEject)
            return false;
        std::lock_guard lock(m_state->Mutex);
        m_state->TrayOpen = true;
        return true;
    }

    bool CloseTray() override
    {
        m_state->Call(TDriveCall::CloseTray);
        std::lock_guard lock(m_state->Mutex);
        m_state->TrayOpen = false;
        m_state->SpunUp = false;
        return true;
    }

private:
    QString m_path;
    std::shared_ptr<TScriptState> m_state;
};

} // namespace

std::unique_ptr<TDriveBackend> MakeScriptedDriveBackend(const QString& imagePath,
                                                        TDriveScript script)
{
    return std::make_unique<TScriptedBackend>(imagePath, std::move(script));
}

} // namespace qlnx
