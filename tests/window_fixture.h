#pragma once

// A ledger fixture with the real main window on top, its prompts answered by
// the test, and its desktop session. open() creates the window and shows it, which runs the start-up load.

#include "desktop_session.h"
#include "ledger_fixture.h"
#include "main_window.h"
#include "scripted_prompts.h"

struct WindowFixture : LedgerFixture {
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> window;
    DesktopSession *session = nullptr; // the window's tray and away watch, ended with it

    TForm1 &open()
    {
        make();
        window = std::make_unique<TForm1>(*ledger, prompts);
        session = new DesktopSession(*window, *ledger, prompts);
        window->CreateDialogs();
        window->show();
        return *window;
    }
};
