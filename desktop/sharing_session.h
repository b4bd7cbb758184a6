#pragma once

#include <QObject>
#include <QString>

#include <memory>

class Ledger;
class OtherComputers;
class Prompts;
class QLockFile;
struct SharingSettings;
class TForm1;

// Sharing the record with other computers through a folder that a sync
// tool keeps in step (see shared_folder.h): which folder this computer
// writes, the lock on it, the other computers that the views count, and
// the "Items" menu's "Share with Other Computers..." and "Stop Sharing".
class SharingSession : public QObject {
    Q_OBJECT
public:
    // Before the ledger exists: the folder to work in. Without a shared
    // folder (none on the command line, none remembered) it is homeFolder,
    // as always. With one, this computer's subfolder there, into which
    // homeFolder's files are moved first, and the choice is remembered.
    // Empty, with the reason in *problem, when that cannot be done.
    static QString StartFolder(const QString &homeFolder, const QString &commandLineFolder, QString *problem);

    // This computer's subfolder of the remembered shared folder, or empty
    // while not sharing. Moves nothing.
    static QString SharedSubfolder();

    // Once the folder is locked: the reason to refuse a subfolder that
    // another computer with this one's id writes, or empty.
    static QString ClaimFolder(const QString &folder);

    // Takes over the lock of the ledger's folder and wires the window's
    // sharing entries; counts the other computers when sharing.
    SharingSession(TForm1 &window, Ledger &ledger, Prompts &prompts, std::unique_ptr<QLockFile> lock);
    ~SharingSession() override;

    // The menu's commands. Throw HourwiseError, leaving the files, the lock
    // and the settings as they were, when the move cannot be done.
    void Join(const QString &sharedFolder);
    void Leave();

signals:
    // The ledger works in folder from now on.
    void folderChanged(const QString &folder);

private:
    // Claims folder for this boot and notes the boot in settings (to be
    // written), so that this computer's next boot takes its claim over.
    static QString claimForThisBoot(const QString &folder, SharingSettings &settings);
    void ShareWithOtherComputers1Click();
    void StopSharing1Click();
    void countOthers(const QString &sharedFolder, const QString &subfolder);
    // Locks folder and gives up the old lock once the ledger works there.
    std::unique_ptr<QLockFile> lockOrThrow(const QString &folder) const;

    TForm1 &window_;
    Ledger &ledger_;
    Prompts &prompts_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<OtherComputers> others_;
};
