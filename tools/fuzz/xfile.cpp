// `.x` meshes.
#include "xfile_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ScanAndImport(data, size);
    return 0;
}
