#pragma once
// The room's on-screen display and recording. A picture of the skin's OSD
// folder goes over the video with its matching sound; the guests' singing of
// the playing song is recorded by the player program under a name the
// station gives, can be stopped, played back (the recorded sound here, the
// song's video muted at the player) and sent to the venue to be burnt to a
// disc. The recording operations do nothing and give false unless
// CanRecordAudio is on.
#include <QDateTime>
#include <QString>

// The sound that belongs to an OSD picture: the picture's name cut before
// its first '#', '_' or '.' (the last character is never a cut), + ".wav".
QString OsdSoundName(const QString& picture);
// Shows Images/OSD/<picture> over the video and plays its sound, if there is
// one, from the start (the sound file is opened once while it stays the same).
void ShowOsdPicture(const QString& picture);

// RecordDir + computer + "_" + song number + "#" + the song's name with its
// blanks as "_" + "#" + yyyy-MM-dd-HH-mm + "#" + the favourites user + ".avi".
QString RecordingFileName(const QString& recordDir, const QString& computer, const QString& songNo,
                          const QString& songName, const QDateTime& when, const QString& userId);
// The song number a recording's file name carries (between the computer's
// name and the first '#'), empty when none.
QString SongNoOfRecording(const QString& fileName, const QString& computer);

// Asks the player to record the playing song; false when nothing plays or
// the player is not there (the last recording is kept then).
bool StartRecording();
// Stops the player's recording or the playback, and the song.
bool StopRecording();
// Plays the last recording back: its sound here, the song's video muted (or
// the player paused when the song is gone from the catalogue).
bool PlayRecording();
// Asks the control server to burn a recording (empty: the last one) to disc.
bool RequestDisc(const QString& fileName);
// The STOP key: a recording that plays back stops.
void StopRecordingPlayback();

// What the record screen's buttons may do now.
bool CanStartRecording();
bool CanStopRecording();
bool CanPlayRecording();
