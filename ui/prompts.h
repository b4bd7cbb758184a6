#pragma once

#include "hourwise_error.h"

#include <QString>

#include <exception>
#include <optional>

class QPrinter;
class QWidget;

// Every question and message the program puts to the user goes through this
// interface, so that tests can answer them without a person.
class Prompts {
public:
    virtual ~Prompts() = default;

    // Title "Information", information icon, one button OK.
    virtual void Information(const QString &text) = 0;
    // Title "Confirm", question icon, "&Yes" (default) and "&No"; Esc and the
    // close box answer No. Returns true for Yes.
    virtual bool Confirm(const QString &text) = 0;
    // The same box with "&No" the default: for a step that loses data.
    virtual bool ConfirmLoss(const QString &text) = 0;
    // Title "Error", error icon, one button OK.
    virtual void Error(const QString &text) = 0;
    // One-line input box of at most 255 characters with OK (default) and
    // Cancel. Returns the text on OK, the initial text on Cancel.
    virtual QString InputBox(const QString &caption, const QString &prompt, const QString &initial) = 0;
    // The standard error box for errors that no handler catches.
    virtual void StandardError(const QString &message) = 0;
    // The system's print dialog; true when the user chose to print.
    virtual bool ChoosePrinter(QPrinter &printer) = 0;
    // The save dialog for pictures; the chosen path, or empty when cancelled.
    virtual QString SavePictureFileName(const QString &proposed) = 0;
    // The save dialog for CSV files; the chosen path, or empty when cancelled.
    virtual QString SaveCsvFileName(const QString &proposed) = 0;
    // The folder dialog; the chosen folder, or empty when cancelled.
    virtual QString ChooseFolder(const QString &caption) = 0;
};

// Title of the standard error box: the executable's file name without folder
// and extension, its first letter unchanged and the rest in lower case.
QString StandardErrorTitle(const QString &executablePath);

// The message followed by a full stop, unless it already ends in one or in a
// character that sorts before it (such as ")" or "!").
QString StandardErrorText(const QString &message);

// The text as a message shows it: each control character but the line feed
// (which parts a message into paragraphs) as its Control Picture, U+0000 as
// U+2400 and DEL as U+2421. A line quoted from a file may hold such bytes,
// and a screen reader would hear the text only up to the first NUL, since
// accessible texts reach it as C strings.
QString WithVisibleControls(const QString &text);

// Runs a handler; returns the message of the HourwiseError (or any other
// exception) it threw, or nothing when it ran through.
template <typename Handler>
std::optional<QString> ErrorOf(Handler &&handler)
{
    try {
        handler();
        return std::nullopt;
    } catch (const HourwiseError &error) {
        return error.message();
    } catch (const std::exception &error) {
        return QString::fromLocal8Bit(error.what());
    }
}

// Runs one event handler; an HourwiseError (or any other exception) it
// throws is shown in the standard error box, and the program goes on.
// Returns false when the handler was abandoned that way.
template <typename Handler>
bool RunGuarded(Prompts &prompts, Handler &&handler)
{
    const std::optional<QString> error = ErrorOf(handler);
    if (error)
        prompts.StandardError(*error);
    return !error;
}
