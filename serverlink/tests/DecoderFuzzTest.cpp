// Bounded randomized decoding of mutated data events: every event ends,
// never yields more readings than its text has characters, and never crashes.
#include <gtest/gtest.h>

#include <random>

#include "protocol/Identifiers.h"
#include "readings/PageVector.h"
#include "serverlink/DataDecoder.h"
#include "serverlink/SetupLookup.h"

namespace qx {
namespace {

class CountingPage : public IReadingSink {
public:
    void ShowReading(const SensorReading&) override { ++count; }
    void ShowSecondaryReading(const SensorReading&) override { ++count; }
    int count = 0;
};

TEST(DecoderFuzz, MutatedEventsTerminateWithBoundedReadings) {
    CountingPage page;
    TPageVector pages{&page};
    TSetupQueryLookup setup([](const std::string& request) {
        if (request.size() % 3 == 0) throw std::runtime_error("lookup failed");
        return request.size() % 3 == 1 ? std::string("ERROR") : std::string("OWNER");
    });
    TDataDecoder decoder(std::string(IID_IQXRTDCom), pages, setup);

    std::mt19937 rng(1984);
    const std::string seed = "05/12/2009 10:15:00,ST1.AIR,12.5,ST1.AIR:2,1,ST2.X,,";
    const char alphabet[] = "0123456789/:.,: ABC2\r\n\x00\xff";
    const std::string_view senders[] = {IID_IQXRtuDataCOM, IID_IQXDecodeCom, IID_IQXMBRTUDataCOM};
    for (int round = 0; round < 20000; ++round) {
        std::string text = seed;
        for (int n = 1 + static_cast<int>(rng() % 6); n > 0; --n) {
            const std::size_t at = rng() % (text.size() + 1);
            switch (rng() % 3) {
                case 0: text.insert(at, 1, alphabet[rng() % (sizeof alphabet)]); break;
                case 1:
                    if (at < text.size()) text.erase(at, 1);
                    break;
                default:
                    if (at < text.size()) text[at] = static_cast<char>(rng());
                    break;
            }
        }
        page.count = 0;
        decoder.Buffer = {std::string(senders[rng() % 3]), "$realtime", text};
        decoder.DecodeDataMessage();
        ASSERT_LE(page.count, static_cast<int>(text.size())) << text;
    }
}

}  // namespace
}  // namespace qx
