#include "support/RecordingDisplay.h"

#include "disc/Tmsf.h"

namespace qlnx {

QStringList TRecordingDisplay::Calls(const QString& prefix) const
{
    QStringList calls;
    for (const QString& line : Log) {
        if (line.startsWith(prefix))
            calls.append(line);
    }
    return calls;
}

void TRecordingDisplay::ResetDisplay()
{
    Record(QStringLiteral("reset"));
    Title = QStringLiteral("Please wait...");
    m_list.clear();
}

void TRecordingDisplay::FillTrackList(std::span<const quint8> playOrder)
{
    QStringList items;
    m_list.clear();
    for (const quint8 track : playOrder) {
        m_list.append(track);
        items.append(QString::number(track));
    }
    Record(QStringLiteral("list ") + items.join(u','));
}

void TRecordingDisplay::ShowCurrentTrack(int index)
{
    const bool valid = index >= 1 && index <= m_list.size();
    const QString track = valid ? QString::number(m_list.at(index - 1)) : QStringLiteral("-");
    Record(QStringLiteral("track %1:%2").arg(index).arg(track));
    if (TrackRow.isEmpty() || TrackRow.last() != track)
        TrackRow.append(track);
}

void TRecordingDisplay::ShowPosition(quint32 tmsf, int /*orderIndex*/)
{
    LastPosition = tmsf;
    Progress = TmsfMinutes(tmsf) * 60 + TmsfSeconds(tmsf);
    Record(QStringLiteral("pos %1:%2:%3")
               .arg(TmsfTrack(tmsf))
               .arg(TmsfMinutes(tmsf))
               .arg(TmsfSeconds(tmsf), 2, 10, QLatin1Char('0')));
}

void TRecordingDisplay::SetTitlePanelText(const QString& text)
{
    Record(QStringLiteral("title ") + text);
    Title = text;
}

void TRecordingDisplay::SetTitlePanelHint(const QString& hint)
{
    Hint = hint;
}

void TRecordingDisplay::EnableButtons(bool enabled)
{
    Record(QStringLiteral("buttons %1").arg(enabled ? "on" : "off"));
    ButtonsEnabled = enabled;
    EjectEnabled = enabled;
}

void TRecordingDisplay::EnableEjectButton(bool enabled)
{
    EjectEnabled = enabled;
}

void TRecordingDisplay::ShowPlayButton(bool visible)
{
    Record(visible ? QStringLiteral("show play") : QStringLiteral("show pause"));
    PlayVisible = visible;
}

void TRecordingDisplay::SetDriveList(const QStringList& drives)
{
    DriveList = drives;
}

void TRecordingDisplay::SetDriveItemIndex(int index)
{
    DriveItem = index;
}

bool TRecordingDisplay::OptionChecked(TPlayOption option) const
{
    const auto it = Checked.find(option);
    return it != Checked.end() && it->second;
}

void TRecordingDisplay::SetOptionChecked(TPlayOption option, bool checked)
{
    Checked[option] = checked;
}

void TRecordingDisplay::SetOptionEnabled(TPlayOption option, bool enabled)
{
    Enabled[option] = enabled;
}

void TRecordingDisplay::ReportError(const QString& message)
{
    Errors.append(message);
}

void TRecordingDisplay::Record(const QString& line)
{
    Log.append(line);
    if (OnLog)
        OnLog(line);
}

} // namespace qlnx
