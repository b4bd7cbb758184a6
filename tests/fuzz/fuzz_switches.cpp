// help.txc through the start-up load (finding today's switch entry), a
// counted switch and the saves that follow, across a day's end.

#include "fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::WriteFile(Ledger::DataFileName, "2461382.5:Writing:5:\r\n2461382.5:Mail:1:\r\nT:Writing:50:\r\nT:Mail:9:\r\n");
    fuzz::WriteFile(Ledger::HistoryFileName, "0:\r\n2461382.5:Writing:5:\r\n2461382.5:Mail:1:\r\n");
    fuzz::WriteFile(Ledger::SwitchFileName, fuzz::Bytes(data, size));
    fuzz::LoadAndRun(fuzz::Locale(false));
    return 0;
}
