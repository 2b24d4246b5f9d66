#pragma once
#include <string>
#include <vector>

class EngineeringFrame;
class StickConnection;

// The factory's acceptance test of a stick, run from the engineering edition's stick tool
// window: the stick's clock calibrated and set, its reader, read range and memory tested, its
// factory configuration written and loaded, and the console saved as the stick's test report.
//
// A stick passes only when every step passed: the first failure fails it for good, the steps
// that need a working stick are skipped, and no later step can set the verdict back. The
// verdict and the report are written for every test that got as far as its options.
class StickAcceptanceTest {
public:
    StickAcceptanceTest(EngineeringFrame& frame, StickConnection& stick) : frame_(frame), stick_(stick) {}
    void Run();

    // The clock calibration for a measured frequency (Hz, within 511.936946 to 512.031527),
    // halves rounded to even: 100 to 131 for a fast clock, 132 to 163 for a slow one.
    static long CalibrationValue(double frequency);
    // An autotune digit as the big battery's stick reports it: its four bits in reverse order.
    static char ReversedDigit(char hexDigit);
    // The configuration lines the test writes: the memory option, the serial number and the
    // calibration, then the configuration file's lines with its battery (w04) and use (w05)
    // items set from the options. Empty lines are left out.
    static std::vector<std::string> ConfigurationLines(const std::string& fileText, bool allowMemory,
                                                       const std::string& serial, const std::string& calibration,
                                                       bool smallBattery, bool agricultural);

private:
    EngineeringFrame& frame_;
    StickConnection& stick_;
    bool ok_ = true;
    std::string fileText_, serial_, startTime_;

    bool OptionsChosen();
    bool CalibrationMode();
    void AskFrequency();
    bool SetClock(const std::string& time);
    void AskSerialNumber();
    void CheckVersion();
    void Autotune();
    void RangeTest();
    void MemoryTest();
    void WriteConfiguration();
    void LoadAndCheckClock();
    void Verdict();

    bool Send(const std::string& command);
    bool Factory(const std::string& command);
    std::string ReplyData() const;
    void Line(const std::string& text, bool overwrite = false);
    void FailureLine(const std::string& text, bool overwrite = false);
};
