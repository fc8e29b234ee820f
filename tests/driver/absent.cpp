// A library that the broken stand-in for NI-DAQmx needs and that is never
// where the dynamic linker looks: dlopen of that stand-in fails.
extern "C" __attribute__((visibility("default"))) int korvane_absent_dependency(void)
{
    return 1;
}
