#pragma once

#include <QString>

// Sharing the record with other computers through a folder that a sync
// tool (or a network share) keeps in step: each computer writes only a
// subfolder of its own, named after the computer and a stable id, in the
// usual three files.

// What the user's configuration (~/.config/hourwise/hourwise.conf) keeps.
struct SharingSettings {
    QString sharedFolder; // empty while not sharing
    QString homeFolder;   // where the files lay before joining, and go back to
    QString computerId;   // made once, so that two computers of one name never meet
    QString claimedInBoot; // the boot this computer last claimed its subfolder in

    static SharingSettings Read();
    // Throws HourwiseError when the configuration cannot be written.
    void Write() const;
};

// The subfolder of this computer: its host name, made fit for a folder
// name, a dash and the id.
QString ComputerSubfolderName(const QString &hostName, const QString &computerId);

// The id kept in the settings, made and stored first when there is none.
QString EnsureComputerId(SharingSettings &settings);

// Moves the three data files from one folder to another without losing a
// line: each is copied (a new file renamed into place), the folder synced,
// every copy read back and compared, and only then are the originals
// removed, so that until the move is complete the old folder keeps them.
// A folder holding none of them moves nothing. Throws HourwiseError, after
// removing any copy it made, when to already holds one of the files (the
// files of two folders are never mixed) or a step fails.
void MoveDataFiles(const QString &from, const QString &to);

// The claim a running Hourwise keeps in the subfolder it writes, so that a
// second computer with the same id (a cloned disk) is refused rather than
// writing the same files. The claim names the boot it was made in; another
// boot's claim holds while data.txc beside it was written within the last
// few minutes, which a running Hourwise does every minute and sync tools
// carry over with the file's time. A claim made in ownEarlierBoot, the boot
// this computer's own settings (never shared) say it last claimed in, was
// this computer's before a restart and is taken over at once, so that a
// start right after a reboot is not refused.
//
// Returns an empty text and writes this boot's claim, or the reason for
// refusing. bootId and nowMs are given by the caller (tests pass their own).
QString ClaimSubfolder(const QString &folder, const QString &hostName, const QString &bootId,
                       const QString &ownEarlierBoot, qint64 nowMs);

// Takes back the claim when this computer stops writing the subfolder.
void ReleaseSubfolder(const QString &folder);

// This boot's id from the kernel, or an empty text where there is none.
QString ThisBootId();
