// data.txc through the start-up load (LoadItems) and the ticks that follow.
// The first byte chooses the decimal separator; the rest is the file.

#include "fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    fuzz::WriteFile(Ledger::DataFileName, fuzz::Bytes(data + 1, size - 1));
    fuzz::WriteFile(Ledger::HistoryFileName, "0:\r\n");
    fuzz::WriteFile(Ledger::SwitchFileName, "2461382.5\r\n3\r\n");
    fuzz::LoadAndRun(fuzz::Locale(data[0] & 1));
    return 0;
}
