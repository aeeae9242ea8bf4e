// One libFuzzer target per reader: CP_FUZZ_INPUT names the function of FuzzInputs.h that takes
// each input (the build makes favorfile_fuzz, linkrules_fuzz and discnames_fuzz from this file).
#include "fuzz/FuzzInputs.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CP_FUZZ_INPUT(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
