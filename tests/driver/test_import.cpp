// The import layer: loading, forwarding, and its own two failure codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <string>

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_import.h"
#include "driver/daqmx_trace.h"

namespace {

const std::string kNotLoaded =
    "Unable to load NI-DAQmx dynamic link library NICAIU.DLL.\n\nEnsure that NI-DAQmx is installed on your machine.\n";
const std::string kMissing =
    "Unable to find function in NI-DAQmx dynamic link library (DLL) NICAIU.DLL.\n\nThe DLL exists on your computer, "
    "but the version is incorrect. Install the correct version of the DLL on your machine.\n";

class ImportTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ::unsetenv("KORVANE_DAQ");
        driver::select("sim");
        driver::unload();
    }
};

// Every operation of the interface, called once; the statuses in order.
std::vector<int32> call_all()
{
    TaskHandle h = nullptr;
    uInt8 b = 0x11;
    float64 v = 0.5;
    char buf[16];
    uInt32 n = 0;
    return {
        DAQmxCreateTask("t", &h),
        DAQmxStartTask(h),
        DAQmxStopTask(h),
        DAQmxClearTask(h),
        DAQmxCreateDOChan(h, "PXI1Slot2/port0", "w", 1),
        DAQmxCreateDIChan(h, "PXI1Slot2/port0", "r", 1),
        DAQmxCreateAOVoltageChan(h, "PXI1Slot2/ao0", "", -10, 10, DAQmx_Val_Volts, ""),
        DAQmxCreateAIVoltageChan(h, "PXI1Slot2/ai0", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts, ""),
        DAQmxCfgSampClkTiming(h, "OnboardClock", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100),
        DAQmxCfgAnlgEdgeStartTrig(h, "APFI0", DAQmx_Val_RisingSlope, 1.0),
        DAQmxDisableStartTrig(h),
        DAQmxWriteDigitalU8(h, 1, 1, 10, 0, &b, nullptr, nullptr),
        DAQmxReadDigitalU8(h, 1, 10, 0, &b, 1, nullptr, nullptr),
        DAQmxWriteAnalogF64(h, 1, 1, 1, 0, &v, nullptr, nullptr),
        DAQmxReadAnalogF64(h, 1, 1, 0, &v, 1, nullptr, nullptr),
        DAQmxGetErrorString(-200088, buf, sizeof buf),
        DAQmxGetExtendedErrorInfo(buf, sizeof buf),
        DAQmxGetSysDevNames(buf, sizeof buf),
        DAQmxGetDevProductType("PXI1Slot2", buf, sizeof buf),
        DAQmxGetDevSerialNum("PXI1Slot2", &n),
        DAQmxGetDevPXIChassisNum("PXI1Slot2", &n),
        DAQmxGetDevPXISlotNum("PXI1Slot2", &n),
    };
}

std::string error_string(int32 code, uInt32 size)
{
    std::string s(size + 4, '#');
    DAQmxGetErrorString(code, s.data(), size);
    return std::string(s.c_str());
}

TEST_F(ImportTest, MissingLibraryFailsEveryOperation)
{
    driver::select("/nonexistent/libnothing.so");
    for (int32 st : call_all()) EXPECT_EQ(st, DAQmxErrorCVIFailedToLoadDAQmxDLL);
    EXPECT_FALSE(driver::load());
    const auto &info = driver::info();
    EXPECT_TRUE(info.attempted);
    EXPECT_FALSE(info.loaded);
    EXPECT_EQ(info.path, "/nonexistent/libnothing.so");
    EXPECT_NE(info.error.find("libnothing.so"), std::string::npos) << info.error;
    EXPECT_EQ(info.description().rfind("driver: none \xE2\x80\x94 cannot load /nonexistent/libnothing.so: ", 0), 0u)
        << info.description();
    EXPECT_EQ(driver::symbol("DAQmxStartTask"), nullptr);
}

TEST_F(ImportTest, FixedTextsWithoutALibrary)
{
    driver::select("/nonexistent/libnothing.so");
    EXPECT_EQ(error_string(DAQmxErrorCVIFailedToLoadDAQmxDLL, 1024), kNotLoaded);
    EXPECT_EQ(error_string(DAQmxErrorCVIFunctionNotFoundInDAQmxDLL, 1024), kMissing);
    // Other codes need the library.
    char buf[64] = "untouched";
    EXPECT_EQ(DAQmxGetErrorString(-200088, buf, sizeof buf), DAQmxErrorCVIFailedToLoadDAQmxDLL);
    EXPECT_STREQ(buf, "untouched");
}

TEST_F(ImportTest, FixedTextSizing)
{
    driver::select("/nonexistent/libnothing.so");
    for (const auto &[code, text] : {std::pair{DAQmxErrorCVIFailedToLoadDAQmxDLL, kNotLoaded},
                                     std::pair{DAQmxErrorCVIFunctionNotFoundInDAQmxDLL, kMissing}}) {
        EXPECT_EQ(DAQmxGetErrorString(code, nullptr, 0), static_cast<int32>(text.size() + 1));
        for (uInt32 size : {1u, 2u, 10u, static_cast<uInt32>(text.size()), static_cast<uInt32>(text.size() + 1),
                            static_cast<uInt32>(text.size() + 50)}) {
            SCOPED_TRACE(size);
            std::string buf(size + 8, '#');
            EXPECT_EQ(DAQmxGetErrorString(code, buf.data(), size), 0);
            const size_t expect = std::min<size_t>(text.size(), size - 1);
            EXPECT_EQ(std::string(buf.c_str()), text.substr(0, expect));
            EXPECT_EQ(buf[expect], '\0');
            EXPECT_EQ(buf[size], '#') << "wrote past the buffer";
        }
    }
}

TEST_F(ImportTest, MissingEntryPointFailsOnlyThatOperation)
{
    driver::select(PARTIAL_DRIVER);
    EXPECT_FALSE(driver::load());
    const auto &info = driver::info();
    EXPECT_TRUE(info.loaded);
    EXPECT_FALSE(info.simulated);
    EXPECT_EQ(info.missing, "DAQmxDisableStartTrig");  // and nothing else: the stand-in has every other one
    EXPECT_NE(info.description().find("missing entry points: DAQmxDisableStartTrig"), std::string::npos);

    EXPECT_EQ(DAQmxDisableStartTrig(nullptr), DAQmxErrorCVIFunctionNotFoundInDAQmxDLL);
    TaskHandle h = nullptr;
    EXPECT_EQ(DAQmxCreateTask("x", &h), 0);
    EXPECT_EQ(h, reinterpret_cast<TaskHandle>(0x1234));
    EXPECT_EQ(DAQmxStartTask(h), 42);
    EXPECT_EQ(DAQmxStopTask(h), 43);
    EXPECT_EQ(DAQmxClearTask(h), 44);
    uInt8 w = 0x8a, r = 0;
    EXPECT_EQ(DAQmxWriteDigitalU8(h, 1, 1, 10, 0, &w, nullptr, nullptr), 0x8a);  // arguments reach the library
    EXPECT_EQ(DAQmxReadDigitalU8(h, 1, 10, 0, &r, 1, nullptr, nullptr), 52);
    EXPECT_EQ(r, 0x5A);
    float64 v = 0;
    EXPECT_EQ(DAQmxReadAnalogF64(h, 1, 1, 0, &v, 1, nullptr, nullptr), 54);
    EXPECT_EQ(v, 1.25);
    EXPECT_EQ(error_string(-200088, 64), "partial:-200088");
    // The layer's own codes keep their fixed texts even with a library loaded.
    EXPECT_EQ(error_string(DAQmxErrorCVIFunctionNotFoundInDAQmxDLL, 1024), kMissing);
}

// The getters by ID are variadic: the layer reads a string property's buffer
// size by the property's type and hands it on; an ID it does not know gets
// size 0 (the driver then only answers the size it needs); the others take
// their pointer alone. The new digital forms reach the library too.
TEST_F(ImportTest, VariadicGettersPassAStringsSizeByThePropertysType)
{
    driver::select(PARTIAL_DRIVER);
    driver::load();
    TaskHandle h = reinterpret_cast<TaskHandle>(0x1234);
    char buf[32] = "";
    driver::trace::capture(true);
    driver::trace::clear();
    EXPECT_EQ(DAQmxGetTaskAttribute(h, DAQmx_Task_Channels, buf, uInt32{29}), 29);
    EXPECT_STREQ(buf, "x");
    EXPECT_EQ(DAQmxGetDeviceAttribute("Dev1", DAQmx_Dev_ProductType, nullptr, uInt32{0}), 0);
    uInt32 n = 0;
    EXPECT_EQ(DAQmxGetTaskAttribute(h, DAQmx_Task_NumChans, &n), 70);
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(DAQmxGetSystemInfoAttribute(DAQmx_Sys_NIDAQMajorVersion, &n), 70);
    uInt32 w = 0x1A2B, r = 0;
    EXPECT_EQ(DAQmxWriteDigitalU32(h, 1, 1, 10, 0, &w, nullptr, nullptr), 0x1A2B);
    EXPECT_EQ(DAQmxReadDigitalU32(h, 1, 10, 0, &r, 1, nullptr, nullptr), 62);
    EXPECT_EQ(r, 0xBEEFu);
    int32 per = 0;
    uInt8 lines[3] = {};
    EXPECT_EQ(DAQmxReadDigitalLines(h, 1, 10, 0, lines, 3, nullptr, &per, nullptr), 64);
    EXPECT_EQ(per, 3);
    // The trace has every call, the variadic ones and the new forms' data too.
    const std::string text = driver::trace::text();
    driver::trace::capture(false);
    driver::trace::clear();
    EXPECT_NE(text.find("DAQmxGetTaskAttribute(?, 4723, &) = 29\n"), std::string::npos) << text;
    EXPECT_NE(text.find("DAQmxGetDeviceAttribute(\"Dev1\", 1585, NULL) = 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("DAQmxWriteDigitalU32(?, 1, 1, 10, 0, {0x1a2b}, NULL, NULL) = 6699\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("DAQmxReadDigitalU32(?, 1, 10, 0, {0xbeef}, 1, NULL, NULL) = 62\n"), std::string::npos)
        << text;
}

TEST_F(ImportTest, SelectUnloadReload)
{
    driver::select(PARTIAL_DRIVER);
    EXPECT_FALSE(driver::info().attempted) << "selection alone loads nothing";
    EXPECT_EQ(DAQmxStartTask(nullptr), 42);  // the first call loads
    EXPECT_TRUE(driver::info().loaded);
    driver::unload();
    EXPECT_FALSE(driver::info().attempted);
    EXPECT_EQ(driver::symbol("partial_marker"), nullptr);
    EXPECT_EQ(DAQmxStopTask(nullptr), 43);  // loaded again
    EXPECT_TRUE(driver::info().loaded);
    EXPECT_EQ(driver::info().choice, PARTIAL_DRIVER);

    driver::select("/nonexistent/libnothing.so");
    EXPECT_EQ(DAQmxStartTask(nullptr), DAQmxErrorCVIFailedToLoadDAQmxDLL);
    driver::select(PARTIAL_DRIVER);
    EXPECT_EQ(DAQmxStartTask(nullptr), 42);
}

TEST_F(ImportTest, EnvironmentChoosesWhenSelectionEmpty)
{
    ::setenv("KORVANE_DAQ", PARTIAL_DRIVER, 1);
    driver::select("");
    EXPECT_EQ(DAQmxStartTask(nullptr), 42);
    EXPECT_EQ(driver::info().path, PARTIAL_DRIVER);
    // An explicit choice beats the environment.
    driver::select("/nonexistent/libnothing.so");
    EXPECT_EQ(DAQmxStartTask(nullptr), DAQmxErrorCVIFailedToLoadDAQmxDLL);
}

TEST_F(ImportTest, SymbolFindsOtherExports)
{
    driver::select(PARTIAL_DRIVER);
    EXPECT_EQ(driver::symbol("partial_marker"), nullptr) << "nothing before a load";
    ASSERT_FALSE(driver::load());  // loads, with one entry missing
    auto *marker = static_cast<int *>(driver::symbol("partial_marker"));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(*marker, 7);
    EXPECT_EQ(driver::symbol("no_such_symbol"), nullptr);
    EXPECT_EQ(driver::symbol(nullptr), nullptr);
}

TEST_F(ImportTest, RealDriverAbsentIsReported)
{
    driver::select("nidaqmx");
    if (driver::load()) GTEST_SKIP() << "NI-DAQmx is installed here";
    const auto &info = driver::info();
    EXPECT_FALSE(info.loaded);
    EXPECT_EQ(info.path, "libnidaqmx.so");
    EXPECT_EQ(info.description().rfind("driver: none \xE2\x80\x94 cannot load libnidaqmx.so (nor libnidaqmx.so.1): ", 0), 0u);
    EXPECT_EQ(DAQmxStartTask(nullptr), DAQmxErrorCVIFailedToLoadDAQmxDLL);
}

// Whether NI-DAQmx is installed is where the dynamic linker would find it:
// LD_LIBRARY_PATH's folders first, then its cache and default folders.
TEST_F(ImportTest, LinkerSearchFindsWhatTheDynamicLinkerWould)
{
    const std::filesystem::path partial(PARTIAL_DRIVER);
    const std::string name = partial.filename().string(), dir = partial.parent_path().string();
    const char *before = std::getenv("LD_LIBRARY_PATH");
    const std::string saved = before ? before : "";
    ::setenv("LD_LIBRARY_PATH", ("/nonexistent:" + dir).c_str(), 1);
    EXPECT_EQ(driver::linker_finds(name), (std::filesystem::path(dir) / name).string());
    ::unsetenv("LD_LIBRARY_PATH");
    EXPECT_EQ(driver::linker_finds(name), "");
    EXPECT_EQ(driver::linker_finds("libkorvane-no-such-library.so.9"), "");
    // The C library is in every system's cache or default folders.
    EXPECT_NE(driver::linker_finds("libc.so.6").find("/libc.so.6"), std::string::npos);
    if (before) ::setenv("LD_LIBRARY_PATH", saved.c_str(), 1);
}

#if HAVE_SIM
TEST_F(ImportTest, SimulatedBenchIsFoundAndNamed)
{
    const std::string path = driver::sim_library_path();
    EXPECT_NE(path.find("libkorvane-sim.so"), std::string::npos);
    driver::select("sim");
    ASSERT_TRUE(driver::load()) << driver::info().error;
    const auto &info = driver::info();
    EXPECT_TRUE(info.simulated);
    EXPECT_TRUE(info.missing.empty());
    EXPECT_EQ(info.description(), "driver: simulated bench (" + path + ")");
    ASSERT_NE(driver::symbol("ksim_present"), nullptr);
    auto present = reinterpret_cast<int (*)()>(driver::symbol("ksim_present"));
    EXPECT_EQ(present(), 1);
    // The bench's texts arrive through the layer.
    EXPECT_EQ(error_string(-200088, 1024), "Task specified is invalid or does not exist.");
}

// A driver file dlopen must not be given: a truncated library (it would die
// of SIGBUS), a FIFO (it would block), a folder, an empty file. Each is one
// clear reason and the loader's usual failure, not a crash or a hang.
TEST_F(ImportTest, BrokenDriverFilesAreRefusedWithAReason)
{
    const std::string dir = ::testing::TempDir() + "import_" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    const std::string truncated = dir + "/libtruncated.so", fifo = dir + "/fifo.so", empty = dir + "/empty.so";
    {
        std::ifstream in(driver::sim_library_path(), std::ios::binary);
        std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(whole.size(), 65536u);
        // Cut inside the code, not only in the debug sections at the end.
        std::ofstream(truncated, std::ios::binary) << whole.substr(0, 16384);
        std::ofstream{empty};
    }
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {truncated, "truncated (a loadable segment ends at byte"},
        {fifo, "not a regular file (a FIFO)"},
        {dir, "not a regular file (a folder)"},
        {empty, "an empty file"},
    };
    for (const auto &[path, reason] : cases) {
        SCOPED_TRACE(path);
        for (bool from_environment : {false, true}) {
            if (from_environment) {
                ::setenv("KORVANE_DAQ", path.c_str(), 1);
                driver::select("");
            } else {
                driver::select(path);
            }
            EXPECT_EQ(DAQmxStartTask(nullptr), DAQmxErrorCVIFailedToLoadDAQmxDLL);
            const std::string line = driver::info().description();
            EXPECT_EQ(line, "driver: none \xE2\x80\x94 cannot load " + path + ": " + path + ": " +
                                line.substr(line.find(reason)))
                << line;
            EXPECT_NE(line.find(reason), std::string::npos) << line;
            ::unsetenv("KORVANE_DAQ");
        }
    }
    std::filesystem::remove_all(dir);
}

TEST_F(ImportTest, DefaultFallsBackToTheBench)
{
    ::unsetenv("KORVANE_DAQ");
    driver::select("");
    ASSERT_TRUE(driver::load() || driver::info().loaded);
    if (!driver::info().simulated) GTEST_SKIP() << "the real driver is installed here";
    EXPECT_EQ(driver::info().path, driver::sim_library_path());
}
#endif

}  // namespace
