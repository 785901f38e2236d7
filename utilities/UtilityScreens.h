#pragma once
// Registers the lock screen (frmlock) and the message screen (frmmsg) with
// the form manager's screen classes.
void RegisterUtilityScreens();
