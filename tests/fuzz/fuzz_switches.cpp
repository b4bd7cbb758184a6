// help.txc through the start-up load (finding today's switch entry), a
// counted switch and the saves that follow, across a day's end. The search
// for a day's key in the bytes must find the line that reading every line
// finds first.

#include "day_block.h"
#include "fuzz_folder.h"
#include "line_file.h"

#include <cstdlib>

namespace {

void FindLikeEveryLineRead(const QByteArray &bytes, double day, const LocaleValues &locale)
{
    qsizetype expected = -1;
    for (qsizetype at = 0; at < bytes.size() && expected < 0;) {
        const LineSpan line = LineAt(bytes, at);
        if (IsDayKeyOf(DecodeLine(bytes, line.start, line.end), day, locale))
            expected = line.start;
        at = line.next;
    }
    if (FirstLineOfDayKey(bytes, day, locale) != expected)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray log = fuzz::Bytes(data, size);
    for (const bool comma : {false, true}) {
        for (const double day : {2461382.5, 2461382.0, 0.5})
            FindLikeEveryLineRead(log, day, fuzz::Locale(comma));
    }
    fuzz::WriteFile(Ledger::DataFileName, "2461382.5:Writing:5:\r\n2461382.5:Mail:1:\r\nT:Writing:50:\r\nT:Mail:9:\r\n");
    fuzz::WriteFile(Ledger::HistoryFileName, "0:\r\n2461382.5:Writing:5:\r\n2461382.5:Mail:1:\r\n");
    fuzz::WriteFile(Ledger::SwitchFileName, log);
    fuzz::LoadAndRun(fuzz::Locale(false));
    return 0;
}
