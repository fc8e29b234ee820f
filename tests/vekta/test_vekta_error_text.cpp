// vekta: the driver's message of a failure is kept to its first 1023 bytes
// whatever the driver does with a buffer too small for it (a stand-in driver
// with 3000-byte messages).
#include <gtest/gtest.h>

#include <string>

#include "driver/daqmx_import.h"
#include "tests/vekta/long_text_driver.h"
#include "vekta/vekta.h"
#include "vekta/vekta_testing.h"

TEST(VektaErrorText, LongMessageKeepsItsFirst1023Bytes)
{
    driver::select(LONG_TEXT_DRIVER);
    vekta_resetState();
    const struct {
        int idx;
        int code;
    } cases[] = {{0, long_text::kRefuses}, {1, long_text::kCuts}};
    for (const auto &c : cases) {
        EXPECT_EQ(vekta_analogOut(c.idx, 1.0), c.code);
        EXPECT_EQ(vekta_GetLastError(), c.code);
        EXPECT_EQ(std::string(vekta_GetLastErrorBuffer()), long_text::message(c.code).substr(0, 1023)) << c.code;
    }
    VektaDevice device{};
    EXPECT_EQ(vekta_deviceGet("Dev1", &device), long_text::kRefuses);
    EXPECT_EQ(std::string(vekta_GetLastErrorBuffer()), long_text::message(long_text::kRefuses).substr(0, 1023));
    driver::select("sim");
    vekta_resetState();
}
