#pragma once

// Prompts answered by the test instead of a person: every call is logged,
// and answers come from queues the test fills beforehand (defaults when empty).

#include "prompts.h"

#include <QPrinter>
#include <QQueue>
#include <QStringList>

#include <functional>

struct ScriptedPrompts : Prompts {
    QStringList log;                 // "Information: text", "Confirm: text", ...
    QQueue<bool> confirmAnswers;     // default: Yes
    QQueue<bool> lossAnswers;        // ConfirmLoss; default: No
    QQueue<QString> inputAnswers;    // default: the initial text (Cancel)
    QQueue<bool> printerAnswers;     // default: cancel
    QQueue<QString> saveAnswers;     // default: cancel
    QQueue<QString> csvAnswers;      // default: cancel
    QQueue<QString> folderAnswers;   // default: cancel
    QStringList standardErrors;      // messages as the standard error box would show them
    std::function<void()> whileStandardErrorOpen; // runs as if while the box is open

    void Information(const QString &text) override { log << QStringLiteral("Information: ") + text; }
    bool Confirm(const QString &text) override
    {
        log << QStringLiteral("Confirm: ") + text;
        return confirmAnswers.isEmpty() ? true : confirmAnswers.dequeue();
    }
    bool ConfirmLoss(const QString &text) override
    {
        log << QStringLiteral("ConfirmLoss: ") + text;
        return lossAnswers.isEmpty() ? false : lossAnswers.dequeue();
    }
    void Error(const QString &text) override { log << QStringLiteral("Error: ") + text; }
    QString InputBox(const QString &caption, const QString &prompt, const QString &initial) override
    {
        log << QStringLiteral("InputBox: %1 / %2").arg(caption, prompt);
        return inputAnswers.isEmpty() ? initial : inputAnswers.dequeue().left(255);
    }
    void StandardError(const QString &message) override
    {
        standardErrors << StandardErrorText(message);
        log << QStringLiteral("StandardError: ") + StandardErrorText(message);
        if (whileStandardErrorOpen)
            whileStandardErrorOpen();
    }
    bool ChoosePrinter(QPrinter &) override
    {
        log << QStringLiteral("ChoosePrinter");
        return printerAnswers.isEmpty() ? false : printerAnswers.dequeue();
    }
    QString SavePictureFileName(const QString &proposed) override
    {
        log << QStringLiteral("SavePicture: ") + proposed;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }
    QString SaveCsvFileName(const QString &proposed) override
    {
        log << QStringLiteral("SaveCsv: ") + proposed;
        return csvAnswers.isEmpty() ? QString() : csvAnswers.dequeue();
    }

    QString ChooseFolder(const QString &caption) override
    {
        log << QStringLiteral("ChooseFolder: ") + caption;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
};
