#pragma once
// Registers the room-device screens with the form manager's screen classes:
// the volume screen (frmvolume), the record screen (frmrecord) and the
// on-screen-display screen (frmosd).
void RegisterPlaybackScreens();
