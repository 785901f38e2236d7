#pragma once
// The station's optical drive: the first CD or DVD file system (iso9660 or
// udf) in the mount table, and the volume label of the medium in it.
//
// The mount table is /proc/mounts and the labels are the links of
// /dev/disk/by-label; VOD_MOUNTS_FILE and VOD_DISK_LABELS_DIR name others
// (a test's own files standing for a drive with a disc in it).
#include <QString>

// The mount folder of the first optical drive with a medium, ending with
// '/'; empty when there is none.
QString FirstOpticalDrive();

// The volume label of the medium mounted at that folder; empty when nothing
// is mounted there or the medium has no label.
QString VolumeLabel(const QString& driveRoot);

// One line of a mount table: the device, the mount folder (octal escapes
// such as \040 decoded) and the file system type. False for a line that is
// not one.
bool ParseMountLine(const QString& line, QString& device, QString& folder, QString& type);
